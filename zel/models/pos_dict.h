// The part-of-speech dictionary: words with their parts of speech and
// weights, and tag pairs "A/B" whose first weight is the weight of B after A.
//
// File, little-endian; "string" is a u8 length and that many GBK bytes:
//   i32 P, P strings (part-of-speech names); i32 N; N entries {string keyword,
//   u8 k, k x {u8 name index, f32 weight}} in ascending strcmp order.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zel {

struct CDictItem {
    std::string keyword;
    std::vector<std::string> pos;
    std::vector<float> weights;

    const std::string& GetKeyword() const { return keyword; }
};

class CDictSearch {
public:
    // False when the file cannot be read or is damaged (a count, length or
    // part-of-speech index that does not fit); the dictionary is then empty.
    bool DictSearchInit(const std::string& path);
    void DictSearchExit();

    bool DictSearch(std::string_view key, CDictItem& entry) const;
    bool IsInDict(std::string_view key) const;
    // Null when the index is not a part-of-speech name.
    const char* GetPOS(int index) const;
    void SetBit(std::string_view key);

    size_t size() const { return entries_.size(); }

private:
    const CDictItem* Find(std::string_view key) const;

    std::vector<CDictItem> entries_;
    std::vector<std::string> names_;
    std::vector<uint8_t> filter_;  // entries x 100 slots, one bit used per byte
};

// The longest dictionary word (8 bytes down to 4, two at a time) at the start
// of a GBK text; false when there is none or no dictionary.
bool DictMaxSeg(const CDictSearch* dict, std::string_view text, std::string& word);

}  // namespace zel
