#include "qav/search/qav_ret.h"

#include <algorithm>

void CQAVRet::QAVRetInit(int n) {
    m_nCapacity = std::max(n, 0);
    // At least one entry, so that the handle is never 0 and never shared.
    m_Hits.assign(static_cast<size_t>(std::max(n, 1)), ClearedRetInfo());
    m_nCount = 0;
    m_bFree = 1;
}

void CQAVRet::QAVRetExit() {
    m_Hits = decltype(m_Hits)();
    m_nCapacity = 0;
    m_nCount = 0;
    m_bFree = 1;
}

bool CQAVRet::Add2QAVRetEx(const CRetInfo& info) {
    if (m_nCount >= m_nCapacity) return false;
    m_Hits[static_cast<size_t>(m_nCount++)].SetRetInfo(info);
    return true;
}

uint64_t CQAVRet::Handle() const { return reinterpret_cast<uintptr_t>(m_Hits.data()); }
