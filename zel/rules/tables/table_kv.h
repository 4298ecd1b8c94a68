// CTableKV: the key-value index of one word table, filed in the cluster as
// "KV-" + the table's name. It maps each pair text key=value found in the
// item values to the ascending numbers of the items that hold it.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace zel {

class CTableKV {
public:
    // Fills the index from its blob; false when the blob is damaged (the
    // index is then empty). The name is not kept.
    bool SetTable(const char* name, const char* blob, size_t size);

    // The posting list of one pair; list and count are left as they were
    // when no item holds the pair.
    bool GetKV(const char* pair, const uint32_t*& list, int& count) const;
    // The items that hold every pair of a condition of pairs joined by "&";
    // count results in items[0..count-1] (the vector grows as needed).
    bool GetKV(const char* condition, std::vector<int>& items, int& count) const;
    // Intersection of two ascending lists, at most limit numbers, into out.
    static bool And(const uint32_t* a, int na, const uint32_t* b, int nb, std::vector<uint32_t>& out, int& n,
                    int limit);

private:
    std::unordered_map<std::string, uint32_t> starts_;
    std::vector<uint32_t> postings_;
};

}  // namespace zel
