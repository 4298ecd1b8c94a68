#include "qav/search/final_rect.h"

#include <algorithm>
#include <utility>

void CFinalRect::FinalRectInit(int n) {
    m_nCapacity = std::max(n, 0);
    m_Rows.clear();
    m_nCount = 0;
}

void CFinalRect::FinalRectExit() {
    m_Rows = decltype(m_Rows)();
    m_nCapacity = 0;
    m_nCount = 0;
}

bool CFinalRect::AddRow(std::string text, int32_t count) {
    if (m_nCount >= m_nCapacity) return false;
    const size_t index = static_cast<size_t>(m_nCount++);
    if (index < m_Rows.size()) {
        m_Rows[index] = CFinalRectRow{std::move(text), count};
    } else {
        m_Rows.push_back(CFinalRectRow{std::move(text), count});
    }
    return true;
}
