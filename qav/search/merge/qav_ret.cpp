#include "qav/search/merge/qav_ret.h"

#include <algorithm>

namespace qav {

bool CQAVRet::QAVRetInit(int n) {
    QAVRetExit();
    // At least one entry, so that the handle is never 0 and never shared.
    // Hits past the count are never read, so zeroed pages serve as cleared.
    m_Hits = MakeZeroedArray<CRetInfo>(static_cast<size_t>(std::max(n, 1)));
    if (!m_Hits) return false;
    m_nCapacity = std::max(n, 0);
    return true;
}

void CQAVRet::QAVRetExit() {
    m_Hits.reset();
    m_nCapacity = 0;
    m_nCount = 0;
    m_nLeftOut = 0;
    m_bApproximate = 0;
    m_bFree = 1;
}

void CQAVRet::ExpectHits(int64_t count) {
    // Hits of one huge page.
    constexpr int64_t kHugePageHits = (int64_t{2} << 20) / static_cast<int64_t>(sizeof(CRetInfo));
    if (count >= kHugePageHits) AdviseHugePages(m_Hits);
}

bool CQAVRet::Add2QAVRetEx(const CRetInfo& info) {
    if (m_nCount >= m_nCapacity) {
        ++m_nLeftOut;
        return false;
    }
    m_Hits[static_cast<size_t>(m_nCount++)].SetRetInfo(info);
    return true;
}

uint64_t CQAVRet::Handle() const { return reinterpret_cast<uintptr_t>(m_Hits.get()); }

}  // namespace qav
