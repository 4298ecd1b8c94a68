#include "qav/search/rows/count_maps.h"

#include <algorithm>
#include <cstdint>

#include "qav/search/rows/final_rect.h"
#include "common/text/gbk_char.h"
#include "qav/search/filter/splited_ret.h"

namespace qav {

void InitFreq(std::vector<CCountMap>& maps, int rangeCount) {
    maps.assign(static_cast<size_t>(std::max(rangeCount, 1)), CCountMap());
}

std::string CountFormText(const std::string& form, const CSplitedRet& parts) {
    if (form.empty() || form == "$Q") return parts.m_Match;
    if (form == "$1") return parts.m_Group1;
    if (form == "$2") return parts.m_Group2;
    if (form == "$B") return parts.m_Left;
    if (form == "$E") return parts.m_Right;
    if (form == "$1*$2" || form == "$12" || form == "$1$2" || form == "$1 $2")
        return parts.m_Group1 + "*" + parts.m_Group2;
    return std::string();
}

bool cmp(const std::pair<std::string, int32_t>& a, const std::pair<std::string, int32_t>& b) {
    return a.second > b.second;
}

void sortMapByValue(const CCountMap& map, std::vector<std::pair<std::string, int32_t>>& sorted) {
    sorted.assign(map.begin(), map.end());
    std::sort(sorted.begin(), sorted.end(), cmp);
}

int32_t Add2RetBuff(const CCountMap& map, int top, std::string& text) {
    text.clear();
    if (top <= 0) return 0;
    std::vector<std::pair<std::string, int32_t>> sorted;
    sortMapByValue(map, sorted);
    const size_t listed = std::min(sorted.size(), static_cast<size_t>(top));
    int64_t sum = 0;
    bool full = false;
    for (size_t i = 0; i < listed; ++i) {
        sum += sorted[i].second;
        if (full) continue;
        std::string item = sorted[i].first + "_" + std::to_string(sorted[i].second);
        item.resize(qz::GbkPrefixLength(item, kCountItemBytes));
        full = text.size() + item.size() + 1 > kCountRowBytes;
        if (full) continue;
        text += item;
        text += ';';
    }
    if (!text.empty()) text.pop_back();
    return static_cast<int32_t>(std::min<int64_t>(sum, INT32_MAX));
}

void AddvmFreq2RetBuff(const std::vector<CCountMap>& maps, int top, CFinalRect& rows) {
    std::string text;
    for (size_t i = 0; i < maps.size(); ++i) {
        if (rows.m_nCount >= rows.m_nCapacity) {
            // The rows of the ranges left are not made, only counted.
            rows.m_nLeftOut += static_cast<int64_t>(maps.size() - i);
            break;
        }
        const int32_t sum = Add2RetBuff(maps[i], top, text);
        rows.AddRow(text, sum);
    }
}

}  // namespace qav
