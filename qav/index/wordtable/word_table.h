// A named, sorted list of words tuned for Chinese (GB2312 Han) words: per Han
// character it keeps the length of the longest word that starts or ends with
// it, so that prefix and suffix tests only try lengths that can match, and a
// 1,024-slot bit filter rejects most candidates before the binary search.
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace qav {

// Keys and values of a table are shorter than this many bytes.
constexpr size_t kTableTextLimit = 2048;
// GB2312 Han characters: lead 0xB0-0xF7, trail 0xA1-0xFE.
constexpr int kHanCount = 6768;
constexpr size_t kTableFilterSlots = 1024;

struct CTableItem {
    std::string key;
    std::string value;
    uint32_t number = 0;
};

class CTable {
public:
    CTable() = default;
    CTable(const CTable&) = delete;
    CTable& operator=(const CTable&) = delete;

    // One item per word, in set order (value empty, number 0). Words of
    // kTableTextLimit bytes or more are left out.
    void SetTable_Set(const std::set<std::string>& words, const char* name);
    // Rebuilds both length arrays from the items.
    void SetTag();
    // Parses one data block of a table file (see table_cluster.h). False, with
    // a message naming the table, when the block is malformed; the table is
    // then empty.
    bool SetTable(const char* name, const char* block, size_t size);

    // The item of that key, or null.
    const CTableItem* Lookup(std::string_view key) const;
    // Longest candidate length, in characters, of a key at the start (_R) or
    // at the end (_L) of text.
    int GetMaxLen_R(std::string_view text) const;
    int GetMaxLen_L(std::string_view text) const;

    const std::string& GetKeyword() const { return keyword_; }
    const std::vector<CTableItem>& Items() const { return items_; }
    void FreeTable();

private:
    // Entry i of a length array; 0 beyond the array (arrays read from files
    // may be shorter than kHanCount).
    static int Entry(const std::vector<uint16_t>& lengths, int han);
    void ResetFilter();
    void AddToFilter(const std::string& key);

    std::string keyword_;
    std::vector<CTableItem> items_;        // ascending strcmp order of keys
    std::vector<uint16_t> end_lengths_;    // per Han index, from word ends
    std::vector<uint16_t> start_lengths_;  // per Han index, from word starts
    std::bitset<kTableFilterSlots> filter_;
};

// h = h * 31 + b over the unsigned bytes, modulo 2^32.
uint32_t GetHash(std::string_view text);
// strcmp of the two keys.
int CompareItem_table(const CTableItem& a, const CTableItem& b);
// Han index (0-6767) of the text's first two bytes, or -1.
int GetHZNo(std::string_view text);
// Updates one length array for one item: from the start when from_end is
// false (low byte: first character, high byte: second character), else
// from the end (last and second-to-last characters).
void SetHZInfo(const CTableItem& item, std::vector<uint16_t>& lengths, bool from_end);

}  // namespace qav
