#include "qav/search/filter/limit_list.h"

#include <algorithm>

namespace qav {

void CLimitList::Add2Limit(const Range& range) {
    if (range.first > range.second || (!m_ranges.empty() && range.first <= m_ranges.back().second))
        m_bAscending = false;
    m_ranges.push_back(range);
}

void CLimitList::ClearLimit() {
    m_ranges.clear();
    m_bAscending = true;
}

int CLimitList::RetLimitNo(int64_t key, int lo, int hi) const {
    if (m_ranges.empty()) return 0;
    lo = std::max(lo, 0);
    hi = std::min(hi, size() - 1);
    if (!m_bAscending) {
        for (int i = lo; i <= hi; ++i) {
            const Range& range = m_ranges[static_cast<size_t>(i)];
            if (key >= range.first && key <= range.second) return i;
        }
        return -1;
    }
    while (lo <= hi) {
        const int middle = lo + (hi - lo) / 2;
        const Range& range = m_ranges[static_cast<size_t>(middle)];
        if (key < range.first)
            hi = middle - 1;
        else if (key > range.second)
            lo = middle + 1;
        else
            return middle;
    }
    return -1;
}

}  // namespace qav
