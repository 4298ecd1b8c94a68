// Admission of a record's sentence by the limits, the document checks and
// the base, and the filtering of results by the document filters.
#include "qav/index/engine/qav_engine.h"
#include "qav/index/engine/sent_info.h"
#include "qav/search/merge/merge_run.h"
#include "qav/search/qav_search.h"

namespace {

// Without an engine nothing is known about any sentence.
const CHashTableInfo& SentInfo() {
    static const CHashTableInfo none;
    return g_pCQAVEngine ? g_pCQAVEngine->m_sentInfo : none;
}

const COrgInfo* Documents() { return g_pCQAVEngine ? &g_pCQAVEngine->m_orgInfo : nullptr; }

}  // namespace

bool CQAVSearch::IsInLimit(uint32_t file, uint32_t position, bool skipBase) const {
    const int64_t key = SentenceKey(file, position);
    if (!m_Limits.empty() && m_Limits.RetLimitNo(key) < 0) return false;
    const CHashTableInfo& info = SentInfo();
    if (!m_Condition.IsOK(key, info, Documents())) return false;
    return skipBase || m_Condition.IsInBase(key, info, Documents());
}

bool CQAVSearch::IsInFilter(uint32_t file, uint32_t position) const {
    return m_Condition.IsInFilter(SentenceKey(file, position), SentInfo(), Documents());
}

void CQAVSearch::SetFilterRet(const CAtomRet& atom, CQAVRet& out) const {
    out.Clear();
    ForEachAtomRecord(atom, [&](const OffsetRecordInfo& record) {
        if (!IsOverFlow(m_Corpus, record.position, record.fileNo, record.wordIndex) ||
            !IsInLimit(record.fileNo, record.position, false) || !IsInFilter(record.fileNo, record.position))
            return true;
        CRetInfo hit;
        if (MakeRetInfo(m_Corpus, atom.m_Query, record, hit)) out.Add2QAVRetEx(hit);
        return true;
    });
}

void CQAVSearch::SetFilterRet(const CQAVRet& merged, CQAVRet& out) const {
    out.Clear();
    for (int i = 0; i < merged.m_nCount; ++i) {
        const CRetInfo& hit = merged.m_Hits[static_cast<size_t>(i)];
        if (IsInFilter(hit.file_no, hit.position)) out.Add2QAVRetEx(hit);
    }
}

void CQAVSearch::SetFilterRet(CQAVRet& out) {
    out.Clear();
    CAtomRet* atom = GetAS();
    if (!atom) return;
    SetFilterRet(*atom, out);
    if (atom->m_bApproximate) out.m_bApproximate = 1;
    atom->Clear();
    FreeSlot(atom->Handle());
}

CQAVRet* CQAVSearch::GetFilterRet(uint64_t handle) {
    CQAVRet* out = FirstFreeMergedSlot();
    if (!out) return nullptr;
    // A free slot holds no result: an atom slot's records may be released.
    if (CAtomRet* atom = AtomSlot(handle)) {
        if (atom->IsFree()) return nullptr;
        SetFilterRet(*atom, *out);
        MarkCutResult(*out, atom->m_bApproximate, false, "filter");
        atom->Clear();
    } else if (CQAVRet* merged = MergedSlot(handle)) {
        if (merged->IsFree()) return nullptr;
        SetFilterRet(*merged, *out);
        MarkCutResult(*out, merged->m_bApproximate, false, "filter");
        merged->m_nCount = 0;
    } else if (handle == 0) {
        SetFilterRet(*out);
        MarkCutResult(*out, false, false, "filter");
        return out;
    } else {
        return nullptr;
    }
    FreeSlot(handle);
    return out;
}
