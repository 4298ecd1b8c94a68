// AND, OR and NOT of two results, sentence by sentence or document by
// document.
#include <algorithm>
#include <climits>

#include "qav/search/merge/merge_run.h"

namespace qav {

void MergeRun::Merge(const MergeSide& first, const MergeSide& second, CQAVRet& out, int type, bool docLevel) {
    out.Clear();
    m_area.m_nMergeType = type;
    m_area.m_bDocLevel = docLevel ? 1 : 0;
    if (type == kMergeAnd) {
        const MergeSide* probe = &first;
        if (first.atom && second.atom) {
            probe = first.Count() > second.Count() ? &second : &first;
        } else {
            const MergeSide& atomSide = first.atom ? first : second;
            const MergeSide& mergedSide = first.atom ? second : first;
            probe = mergedSide.Count() < atomSide.Count() ? &mergedSide : &atomSide;
        }
        const MergeSide& list = probe == &first ? second : first;
        m_area.PrepareForMerge(list.Count(), probe->Count());
        SetHashTagEx(*probe, docLevel);
        SetRetInfoHashEx(list);
        GetQAVRet_AND(*probe, out);
    } else if (type == kMergeNot) {
        const int64_t bytes = std::min<int64_t>(10 * second.Count(), INT_MAX);
        if (m_area.m_nTagSize < bytes) {
            const int buckets = m_area.m_nBucketCount;
            CQAVSearch* owner = m_area.m_pOwner;
            m_area.ForMergeExit();
            m_area.ForMergeInit(buckets, static_cast<int>(bytes), owner);
        }
        m_area.m_nPoolUsed = 0;
        SetHashTagEx(second, docLevel);
        GetQAVRet_NOT(first, out);
    } else if (type == kMergeOr) {
        // An atom result with a merged one is given as (atom, merged).
        if (first.atom || !second.atom)
            GetQAVRet_OR(first, second, out);
        else
            GetQAVRet_OR(second, first, out);
    }
    Finish();
}

void MergeRun::SetHashTagEx(const MergeSide& side, bool docLevel) {
    m_area.ClearTag();
    m_area.m_bDocLevel = docLevel ? 1 : 0;
    m_lastDocument = 0;
    auto tag = [&](const CRetInfo& hit) {
        uint64_t exactKey = 0;
        m_area.SetTagKey(MergeKey(hit.file_no, hit.position, exactKey));
        m_area.AddTagKey(exactKey);
    };
    if (side.merged) {
        for (int i = 0; i < side.merged->m_nCount; ++i) {
            const CRetInfo& hit = side.merged->m_Hits[static_cast<size_t>(i)];
            if (m_env.IsOk(hit)) tag(hit);
        }
    } else if (side.atom) {
        ForEachRecordInTime(*side.atom, [&](const OffsetRecordInfo& record) {
            CRetInfo hit;
            if (AdmitRecord(*side.atom, record, true, hit) && m_env.IsOk(hit)) tag(hit);
        });
    }
    m_area.SortTagKeys();
}

void MergeRun::SetRetInfoHashEx(const MergeSide& side) {
    m_area.ClearHashList();
    m_area.m_Passed.clear();
    m_lastDocument = 0;
    uint64_t exactKey = 0;
    if (side.merged) {
        for (int i = 0; i < side.merged->m_nCount; ++i) {
            const CRetInfo& hit = side.merged->m_Hits[static_cast<size_t>(i)];
            const uint32_t key = MergeKey(hit.file_no, hit.position, exactKey);
            if (!m_area.HasTagKeyBits(key)) continue;
            m_area.m_Passed.push_back(key);
            Add2RetInfoHash(hit);
        }
    } else if (side.atom) {
        ForEachAtomRecord(*side.atom, [&](const OffsetRecordInfo& record) {
            HashListRecord(*side.atom, record,
                           [&](const OffsetRecordInfo& r) { return MergeKey(r.fileNo, r.position, exactKey); });
            return true;
        });
    }
    // The bits left set mark probe keys without a partner.
    for (uint32_t key : m_area.m_Passed) m_area.ResetTagKey(key);
}

void MergeRun::GetQAVRet_AND(const MergeSide& probe, CQAVRet& out) {
    m_lastDocument = 0;
    auto emit = [&](const CRetInfo& hit) {
        out.Add2QAVRetEx(hit);
        for (const CRetInfoEx* candidate : m_area.m_Candidates) out.Add2QAVRetEx(*candidate);
    };
    // The probe's conditions act through the bits: a key still tagged had no
    // partner, a key never tagged reaches the exact lookup.
    auto hasPartner = [&](uint8_t fileNo, uint32_t position) {
        uint64_t exactKey = 0;
        const uint32_t key = MergeKey(fileNo, position, exactKey);
        return m_area.HasNoTagKeyBits(key) && LookupHash(fileNo, position);
    };
    if (probe.merged) {
        for (int i = 0; i < probe.merged->m_nCount; ++i) {
            const CRetInfo& hit = probe.merged->m_Hits[static_cast<size_t>(i)];
            if (hasPartner(hit.file_no, hit.position)) emit(hit);
        }
        return;
    }
    if (!probe.atom) return;
    const RecordCompareContext& corpus = m_env.Corpus();
    ForEachAtomRecord(*probe.atom, [&](const OffsetRecordInfo& record) {
        if (!IsOverFlow(corpus, record.position, record.fileNo, record.wordIndex) ||
            !m_env.IsInLimit(record.fileNo, record.position, false) || !hasPartner(record.fileNo, record.position))
            return true;
        CRetInfo hit;
        if (MakeRetInfo(corpus, probe.atom->m_Query, record, hit)) emit(hit);
        return true;
    });
}

void MergeRun::GetQAVRet_NOT(const MergeSide& probe, CQAVRet& out) {
    m_lastDocument = 0;
    // The bitmaps only prefilter; the exact keys decide.
    auto excluded = [&](uint8_t fileNo, uint32_t position) {
        uint64_t exactKey = 0;
        const uint32_t key = MergeKey(fileNo, position, exactKey);
        return m_area.HasTagKey(key, exactKey);
    };
    if (probe.merged) {
        for (int i = 0; i < probe.merged->m_nCount; ++i) {
            const CRetInfo& hit = probe.merged->m_Hits[static_cast<size_t>(i)];
            if (!excluded(hit.file_no, hit.position)) out.Add2QAVRetEx(hit);
        }
        return;
    }
    if (!probe.atom) return;
    ForEachAtomRecord(*probe.atom, [&](const OffsetRecordInfo& record) {
        CRetInfo hit;
        if (!excluded(record.fileNo, record.position) && AdmitRecord(*probe.atom, record, false, hit))
            out.Add2QAVRetEx(hit);
        return true;
    });
}

void MergeRun::GetQAVRet_OR(const MergeSide& first, const MergeSide& second, CQAVRet& out) {
    for (const MergeSide* side : {&second, &first}) {
        if (side->merged) {
            for (int i = 0; i < side->merged->m_nCount; ++i)
                out.Add2QAVRetEx(side->merged->m_Hits[static_cast<size_t>(i)]);
        } else if (side->atom) {
            AppendAtomHits(*side->atom, out);
        }
    }
}

void MergeRun::AppendAtomHits(const CAtomRet& atom, CQAVRet& out) {
    ForEachAtomRecord(atom, [&](const OffsetRecordInfo& record) {
        CRetInfo hit;
        if (AdmitRecord(atom, record, false, hit)) out.Add2QAVRetEx(hit);
        return true;
    });
}

}  // namespace qav
