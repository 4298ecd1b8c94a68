// The hash join of two results under a positional relation.
#include <new>

#include "qav/search/merge/join_relation.h"
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
    try {
        MarkProbeSentences(*probe);
        GatherListHits(list);
        ProbeListHits(*probe, out, code, probe == &left);
    } catch (const std::bad_alloc&) {
        // The pairs not yet found are lost.
        QavLog("Approximate: no memory for a join of %lld and %lld hits\n", static_cast<long long>(list.Count()),
               static_cast<long long>(probe->Count()));
        m_env.SetApproximate();
    }
    m_area.m_JoinHits.Clear();
}

void MergeRun::MarkProbeSentences(const MergeSide& side) {
    SentenceSet& sentences = m_area.m_JoinSentences;
    sentences.Reset(m_env.Corpus());
    if (side.merged) {
        for (int i = 0; i < side.merged->m_nCount; ++i) {
            const CRetInfo& hit = side.merged->m_Hits[static_cast<size_t>(i)];
            sentences.Add(hit.file_no, hit.position);
        }
        return;
    }
    if (!side.atom) return;
    const RecordCompareContext& corpus = m_env.Corpus();
    ForEachRecordInTime(*side.atom, [&](const OffsetRecordInfo& record) {
        if (IsOverFlow(corpus, record.position, record.fileNo, record.wordIndex) &&
            m_env.IsInLimit(record.fileNo, record.position, false))
            sentences.Add(record.fileNo, record.position);
    });
}

void MergeRun::GatherListHits(const MergeSide& side) {
    const SentenceSet& sentences = m_area.m_JoinSentences;
    SentenceHits& hits = m_area.m_JoinHits;
    hits.Clear();
    // Hits of sentences the probe side does not hold could never pair up.
    if (side.merged) {
        for (int i = 0; i < side.merged->m_nCount; ++i) {
            const CRetInfo& hit = side.merged->m_Hits[static_cast<size_t>(i)];
            if (sentences.Has(hit.file_no, hit.position)) hits.Add(hit);
        }
    } else if (side.atom) {
        const RecordCompareContext& corpus = m_env.Corpus();
        ForEachRecordInTime(*side.atom, [&](const OffsetRecordInfo& record) {
            if (!IsOverFlow(corpus, record.position, record.fileNo, record.wordIndex) ||
                !sentences.Has(record.fileNo, record.position) ||
                !m_env.IsInLimit(record.fileNo, record.position, false))
                return;
            CRetInfo hit;
            if (MakeRetInfo(corpus, side.atom->m_Query, record, hit)) hits.Add(hit);
        });
    }
    hits.Index();
}

void MergeRun::ProbeListHits(const MergeSide& probe, CQAVRet& out, int code, bool probeIsLeft) {
    const SentenceHits& hits = m_area.m_JoinHits;
    auto pairUp = [&](const CRetInfo& probeHit) {
        hits.ForEachOfSentence(probeHit.file_no, probeHit.position, [&](const CRetInfo& listHit) {
            const CRetInfo& left = probeIsLeft ? probeHit : listHit;
            const CRetInfo& right = probeIsLeft ? listHit : probeHit;
            if (IsJoinMatch(left, right, code)) out.Add2QAVRetEx(JoinRetInfo(left, right));
        });
    };
    auto hasPartner = [&](uint8_t fileNo, uint32_t position) {
        return hits.ForEachOfSentence(fileNo, position, [](const CRetInfo&) {});
    };
    if (probe.merged) {
        QueryTimeCheck clock;
        for (int i = 0; i < probe.merged->m_nCount; ++i) {
            if (clock.Step()) {
                m_env.SetApproximate();
                return;
            }
            pairUp(probe.merged->m_Hits[static_cast<size_t>(i)]);
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
