#include "qav/search/rows/final_rect.h"

#include <algorithm>
#include <utility>

#include "qav/search/rows/freq_map.h"

namespace qav {

void CFinalRect::FinalRectInit(int n) {
    m_nCapacity = std::max(n, 0);
    m_Rows.clear();
    m_nCount = 0;
    m_nLeftOut = 0;
}

void CFinalRect::FinalRectExit() {
    m_Rows = decltype(m_Rows)();
    m_nCapacity = 0;
    m_nCount = 0;
}

bool CFinalRect::AddRow(std::string text, int32_t count) {
    if (m_nCount >= m_nCapacity) {
        ++m_nLeftOut;
        return false;
    }
    const size_t index = static_cast<size_t>(m_nCount++);
    if (index < m_Rows.size()) {
        m_Rows[index] = CFinalRectRow{std::move(text), count};
    } else {
        m_Rows.push_back(CFinalRectRow{std::move(text), count});
    }
    return true;
}

bool CFinalRect::AddRectEx(const std::string& key, const CFreqEntry& value) {
    if (m_nCount >= m_nCapacity) {
        ++m_nLeftOut;
        return false;
    }
    return AddRow(FreqRowText(key, value), static_cast<int32_t>(value.count));
}

void CFinalRect::Clear() {
    m_nCount = 0;
    m_nTotal = 0;
    m_nLeftOut = 0;
}

void CFinalRect::ResetRows(int n) {
    m_nCount = 0;
    const int rows = std::min(std::max(n, 0), m_nCapacity);
    for (int i = 0; i < rows; ++i) AddRow(std::string(), 0);
    m_nLeftOut = std::max(n, 0) - rows;
}

void CFinalRect::SortRet() {
    std::sort(m_Rows.begin(), m_Rows.begin() + m_nCount,
              [](const CFinalRectRow& a, const CFinalRectRow& b) { return Cmp_Ret(a, b) < 0; });
}

int Cmp_Ret(const CFinalRectRow& a, const CFinalRectRow& b) {
    if (a.count == b.count) return 0;
    return a.count > b.count ? -1 : 1;
}

}  // namespace qav
