#include "qav/search/final_rect.h"

#include <algorithm>
#include <utility>

void CFinalRect::FinalRectInit(int n) {
    m_nCapacity = std::max(n, 0);
    m_Rows.assign(static_cast<size_t>(m_nCapacity), CFinalRectRow{});
    m_nCount = 0;
}

void CFinalRect::FinalRectExit() {
    m_Rows = decltype(m_Rows)();
    m_nCapacity = 0;
    m_nCount = 0;
}

bool CFinalRect::AddRow(std::string text, int32_t count) {
    if (m_nCount >= m_nCapacity) return false;
    CFinalRectRow& row = m_Rows[static_cast<size_t>(m_nCount++)];
    row.text = std::move(text);
    row.count = count;
    return true;
}
