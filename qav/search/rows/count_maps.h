// Count maps: per limit range, how often each text of a hit part occurred;
// and the row made of each map's most frequent texts.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace qav {

class CFinalRect;
class CSplitedRet;

using CCountMap = std::unordered_map<std::string, int32_t>;

// One map per limit range, or a single map when there are no ranges.
void InitFreq(std::vector<CCountMap>& maps, int rangeCount);

// The text that a count form takes from a hit: "" and "$Q" the match, "$1"
// group 1, "$2" group 2, "$B" the left context, "$E" the right context;
// "$1*$2", "$12", "$1$2" and "$1 $2" group 1, "*" and group 2; any other
// form the empty text.
std::string CountFormText(const std::string& form, const CSplitedRet& parts);

// Entries by count, largest first; equal counts in no fixed order.
bool cmp(const std::pair<std::string, int32_t>& a, const std::pair<std::string, int32_t>& b);
void sortMapByValue(const CCountMap& map, std::vector<std::pair<std::string, int32_t>>& sorted);

// Longest row text of a count, and longest item of it, in bytes.
constexpr size_t kCountRowBytes = 102399;
constexpr size_t kCountItemBytes = 10239;

// The first top entries by count (none when top <= 0) as "text_count" items
// joined by ";" into text; an item that would make the text pass
// kCountRowBytes is left out, with every item after it. Returns the sum of
// the first top entries' counts.
int32_t Add2RetBuff(const CCountMap& map, int top, std::string& text);

// One row per map, in range order: Add2RetBuff's text and sum.
void AddvmFreq2RetBuff(const std::vector<CCountMap>& maps, int top, CFinalRect& rows);

}  // namespace qav
