#include "qav/fulltext/search/bm_ret.h"

namespace qav {

bool CBMRet::BMRetInit(int32_t capacity) {
    m_nCapacity = capacity > 0 ? capacity : 0;
    // One record more than the capacity, so that even an empty slot has an
    // address of its own as its handle.
    m_pDocs = std::make_unique<bm::Posting[]>(static_cast<size_t>(m_nCapacity) + 1);
    m_nDocNum = 0;
    m_bFree = true;
    return true;
}

void CBMRet::BMRetExit() {
    m_pDocs.reset();
    m_nCapacity = 0;
    Clear();
}

void CBMRet::Clear() {
    m_bFree = true;
    m_nDocNum = 0;
}

bool CBMRet::Append(const bm::Posting& record) {
    m_bFree = false;
    if (!m_pDocs || m_nDocNum >= m_nCapacity) return false;
    m_pDocs[static_cast<size_t>(m_nDocNum++)] = record;
    return true;
}

bool CForMergeBM::ForMergeInit(int32_t buckets) {
    m_Documents.clear();
    if (buckets > 0) m_Documents.reserve(static_cast<size_t>(buckets));
    return true;
}

void CForMergeBM::ForMergeExit() { std::unordered_set<uint64_t>().swap(m_Documents); }

bool CForMergeBM::SetHashTag(const CBMRet& slot) {
    if (!slot.HasArray()) return false;
    m_Documents.clear();
    for (int32_t i = 0; i < slot.m_nDocNum; ++i) m_Documents.insert(DocumentKey(slot[i]));
    return true;
}

}  // namespace qav
