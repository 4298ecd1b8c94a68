// Hits of a result ordered or grouped by a tag of their documents: the value
// that a hit's document has under the tag in the document information.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace qav {

class CHashTableInfo;

// A hit of an atom result, (segment, record), or of a merged result (its
// index), with the tag value it is sorted by.
template <typename Value>
struct AtomTagEntry {
    int segment;
    int32_t record;
    Value value;
};
template <typename Value>
struct MergedTagEntry {
    int hit;
    Value value;
};

using AtomTagGroups = std::unordered_map<std::string, std::vector<std::pair<int, int32_t>>>;
using MergedTagGroups = std::unordered_map<std::string, std::vector<int>>;

// The tag value of a sentence: the value of its document under tag, empty
// when the document has none or is beyond the table. False when the sentence
// information does not know the sentence.
bool GetTagValue(const CHashTableInfo& info, uint64_t key, const std::string& tag, std::string& value);

// Numeric value: the text read as a decimal number, 0 when it starts with none.
int32_t NumericTagValue(const std::string& value);

// Orders of the entries: ascending by value, or descending; texts bytewise,
// a prefix first.
bool QAVSortTagFuncAscend1(const AtomTagEntry<int32_t>& a, const AtomTagEntry<int32_t>& b);
bool QAVSortTagFuncDescend1(const AtomTagEntry<int32_t>& a, const AtomTagEntry<int32_t>& b);
bool QAVSortTagFuncExAscend1(const MergedTagEntry<int32_t>& a, const MergedTagEntry<int32_t>& b);
bool QAVSortTagFuncExDescend1(const MergedTagEntry<int32_t>& a, const MergedTagEntry<int32_t>& b);
bool QAVSortTagFuncAscend2(const AtomTagEntry<std::string>& a, const AtomTagEntry<std::string>& b);
bool QAVSortTagFuncDescend2(const AtomTagEntry<std::string>& a, const AtomTagEntry<std::string>& b);
bool QAVSortTagFuncExAscend2(const MergedTagEntry<std::string>& a, const MergedTagEntry<std::string>& b);
bool QAVSortTagFuncExDescend2(const MergedTagEntry<std::string>& a, const MergedTagEntry<std::string>& b);

// SortType 1 sorts ascending, any other value descending.
constexpr int kSortAscending = 1;

}  // namespace qav
