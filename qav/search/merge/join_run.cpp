// The hash join of two results under a positional relation.
#include "qav/search/merge/join_relation.h"
#include "qav/search/merge/merge_hash.h"
#include "qav/search/merge/merge_run.h"
#include "qav/search/filter/query_time.h"

namespace qav {

void MergeRun::Join(const MergeSide& left, const MergeSide& right, CQAVRet& out, int code) {
    out.Clear();
    // The probe side is the smaller one; between an atom and a merged result
    // the atom result probes unless the merged one is strictly smaller.
    const MergeSide* probe = &left;
    if (left.atom && right.atom) {
        probe = right.Count() < left.Count() ? &right : &left;
    } else {
        const MergeSide& atomSide = left.atom ? left : right;
        const MergeSide& mergedSide = left.atom ? right : left;
        probe = atomSide.atom->m_nSegCount == 0 || mergedSide.Count() >= atomSide.Count() ? &atomSide : &mergedSide;
    }
    const MergeSide& list = probe == &left ? right : left;
    m_area.PrepareForMerge(list.Count(), probe->Count());
    SetHashTag(*probe);
    SetRetInfoHash(list);
    GetQAVRet(*probe, out, code, probe == &left);
    Finish();
}

void MergeRun::SetHashTag(const MergeSide& side) {
    m_area.ClearTag();
    if (side.merged) {
        for (int i = 0; i < side.merged->m_nCount; ++i) {
            const CRetInfo& hit = side.merged->m_Hits[static_cast<size_t>(i)];
            m_area.SetTagKey(CombineForHash(hit.position, hit.file_no));
        }
        return;
    }
    if (!side.atom) return;
    const RecordCompareContext& corpus = m_env.Corpus();
    ForEachRecordInTime(*side.atom, [&](const OffsetRecordInfo& record) {
        if (IsOverFlow(corpus, record.position, record.fileNo, record.wordIndex) &&
            m_env.IsInLimit(record.fileNo, record.position, false))
            m_area.SetTagKey(CombineForHash(record.position, record.fileNo));
    });
}

void MergeRun::SetRetInfoHash(const MergeSide& side) {
    m_area.ClearHashList();
    m_area.m_Passed.clear();
    if (side.merged) {
        for (int i = 0; i < side.merged->m_nCount; ++i) {
            const CRetInfo& hit = side.merged->m_Hits[static_cast<size_t>(i)];
            const uint32_t key = CombineForHash(hit.position, hit.file_no);
            if (m_area.HasTagKeyBits(key)) Add2RetInfoHash(hit);
            m_area.m_Passed.push_back(key);
        }
    } else if (side.atom) {
        ForEachRecordInTime(*side.atom, [&](const OffsetRecordInfo& record) {
            HashListRecord(*side.atom, record,
                           [](const OffsetRecordInfo& r) { return CombineForHash(r.position, r.fileNo); });
        });
    }
    for (uint32_t key : m_area.m_Passed) m_area.ResetTagKey(key);
}

void MergeRun::GetQAVRet(const MergeSide& probe, CQAVRet& out, int code, bool probeIsLeft) {
    auto pairUp = [&](const CRetInfo& probeHit) {
        for (const CRetInfoEx* candidate : m_area.m_Candidates) {
            const CRetInfo& left = probeIsLeft ? probeHit : *candidate;
            const CRetInfo& right = probeIsLeft ? static_cast<const CRetInfo&>(*candidate) : probeHit;
            if (IsJoinMatch(left, right, code)) out.Add2QAVRetEx(JoinRetInfo(left, right));
        }
    };
    // A sentence whose bits are still set has no partner on the list side.
    auto hasPartner = [&](uint8_t fileNo, uint32_t position) {
        const uint32_t key = CombineForHash(position, fileNo);
        return m_area.HasNoTagKeyBits(key) && LookupHash(fileNo, position);
    };
    if (probe.merged) {
        QueryTimeCheck clock;
        for (int i = 0; i < probe.merged->m_nCount; ++i) {
            if (clock.Step()) {
                m_env.SetApproximate();
                return;
            }
            const CRetInfo& hit = probe.merged->m_Hits[static_cast<size_t>(i)];
            if (hasPartner(hit.file_no, hit.position)) pairUp(hit);
        }
        return;
    }
    if (!probe.atom) return;
    const RecordCompareContext& corpus = m_env.Corpus();
    // A probe cut short leaves pairs unfound: the result is approximate.
    ForEachRecordInTime(*probe.atom, [&](const OffsetRecordInfo& record) {
        if (!IsOverFlow(corpus, record.position, record.fileNo, record.wordIndex) ||
            !m_env.IsInLimit(record.fileNo, record.position, false) || !hasPartner(record.fileNo, record.position))
            return;
        CRetInfo hit;
        if (MakeRetInfo(corpus, probe.atom->m_Query, record, hit)) pairUp(hit);
    });
}

}  // namespace qav
