#include "qav/search/atom/atom_ret.h"

#include <algorithm>

#include "qav/index/engine/hash_table.h"

namespace qav {

bool CAtomRet::AtomRetInit(int n) {
    AtomRetExit();
    // At least one entry, so that the handle is never 0 and never shared.
    const size_t size = static_cast<size_t>(std::max(n, 1));
    m_SegRecords = MakeZeroedArray<const unsigned char*>(size);
    m_SegOffset = MakeZeroedArray<uint64_t>(size);
    m_SegCount = MakeZeroedArray<int32_t>(size);
    m_SegWidth = MakeZeroedArray<uint8_t>(size);
    if (!m_SegRecords || !m_SegOffset || !m_SegCount || !m_SegWidth) {
        AtomRetExit();
        return false;
    }
    m_nCapacity = std::max(n, 0);
    return true;
}

void CAtomRet::AtomRetExit() {
    LowerRaised();
    m_SegRecords.reset();
    m_SegOffset.reset();
    m_SegCount.reset();
    m_SegWidth.reset();
    m_nCapacity = 0;
    m_nSegCount = 0;
    m_bApproximate = 0;
    m_bFree = 1;
}

uint64_t CAtomRet::Handle() const { return reinterpret_cast<uintptr_t>(m_SegRecords.get()); }

void CAtomRet::Take() {
    // A slot is taken only when free, so it holds no use counts; lowering
    // here keeps the balance even if a caller skipped Release.
    LowerRaised();
    m_nSegCount = 0;
    m_bApproximate = 0;
    m_bFree = 0;
}

void CAtomRet::Release() {
    LowerRaised();
    m_bFree = 1;
}

bool CAtomRet::AddSegment(const unsigned char* records, uint64_t offset, int32_t count, uint8_t width) {
    if (m_nSegCount >= m_nCapacity) {
        m_bApproximate = 1;
        return false;
    }
    const size_t i = static_cast<size_t>(m_nSegCount++);
    m_SegRecords[i] = records;
    m_SegOffset[i] = offset;
    m_SegCount[i] = count;
    m_SegWidth[i] = width;
    return true;
}

int64_t CAtomRet::TotalHits() const {
    int64_t total = 0;
    for (int i = 0; i < m_nSegCount; ++i) total += m_SegCount[static_cast<size_t>(i)];
    return total;
}

void CAtomRet::RaiseUse(CHashNode* node) {
    if (!node) return;
    ++node->use_count;
    m_raised.push_back(node);
}

void CAtomRet::LowerRaised() {
    for (CHashNode* node : m_raised) --node->use_count;
    m_raised.clear();
}

}  // namespace qav
