#include "qav/search/merge/merge_run.h"

#include "qav/search/merge/merge_hash.h"
#include "qav/index/base/qav_log.h"
#include "qav/search/merge/merge_hash.h"

namespace qav {

int64_t MergeSide::Count() const {
    if (atom) return atom->TotalHits();
    return merged ? merged->m_nCount : 0;
}

uint32_t MergeRun::MergeKey(uint8_t fileNo, uint32_t position, uint64_t& exactKey) {
    if (!m_area.m_bDocLevel) {
        exactKey = (uint64_t{fileNo} << 32) | position;
        return position;
    }
    uint32_t document = 0;
    if (m_env.GetDocument(fileNo, position, document)) m_lastDocument = document;
    exactKey = m_lastDocument;
    return m_lastDocument;
}

bool MergeRun::AdmitRecord(const CAtomRet& atom, const OffsetRecordInfo& record, bool skipBase, CRetInfo& hit) {
    const RecordCompareContext& corpus = m_env.Corpus();
    return IsOverFlow(corpus, record.position, record.fileNo, record.wordIndex) &&
           m_env.IsInLimit(record.fileNo, record.position, skipBase) &&
           MakeRetInfo(corpus, atom.m_Query, record, hit);
}

bool MergeRun::LookupHash(uint8_t fileNo, uint32_t position) {
    m_area.m_Candidates.clear();
    if (m_area.m_nBucketCount <= 0 || !m_area.m_Buckets) return false;
    const size_t bucket = Hash_Jenkins(CombineForHash(position, fileNo)) % static_cast<uint32_t>(m_area.m_nBucketCount);
    // The chain is walked to its end: a per-bucket count of 16 bits may
    // have wrapped in a crowded bucket.
    for (CRetInfoEx* entry = m_area.m_Buckets[bucket]; entry; entry = entry->next)
        if (entry->file_no == fileNo && entry->position == position) m_area.m_Candidates.push_back(entry);
    return !m_area.m_Candidates.empty();
}

bool MergeRun::Add2RetInfoHash(const CRetInfo& hit) {
    if (m_area.m_nBucketCount <= 0 || !m_area.m_Buckets) return false;
    CRetInfoEx* entry = m_area.NewEntry();
    if (!entry) {
        // The pool is sized for the larger side, so only memory that could
        // not be had leaves it short; the pairs of the hit are lost.
        if (!m_poolShort) QavLog("Approximate: the merge pool of %d hits is used up\n", m_area.m_nPoolCapacity);
        m_poolShort = true;
        m_env.SetApproximate();
        return false;
    }
    entry->SetRetInfo(hit);
    const size_t bucket =
        Hash_Jenkins(CombineForHash(hit.position, hit.file_no)) % static_cast<uint32_t>(m_area.m_nBucketCount);
    entry->next = m_area.m_Buckets[bucket];
    m_area.m_Buckets[bucket] = entry;
    for (auto& counts : m_area.m_BucketCount)
        if (counts[bucket] < UINT16_MAX) ++counts[bucket];
    return true;
}

void MergeRun::Finish() {
    m_area.ClearHashList();
    m_area.ClearTag();
    m_area.m_Passed.clear();
    m_area.m_Candidates.clear();
}

}  // namespace qav
