// The hash join of two results under a positional relation. The passes over
// the list side and the probe side are cut into shares run side by side when
// a side is large; each share gathers its own hits or pairs, and they are
// taken in share order, so the joined result is the one a single walk gives.
#include <algorithm>
#include <atomic>
#include <new>
#include <utility>
#include <vector>

#include "qav/search/atom/record_walk.h"
#include "qav/search/merge/join_relation.h"
#include "qav/search/merge/merge_run.h"
#include "qav/search/merge/parallel_shares.h"
#include "qav/search/filter/query_time.h"

namespace qav {

namespace {

bool IsRecordWidth(int width) { return width == 8 || width == 9; }

// Records of an atom result counted over its segments in order; false when a
// segment holds no offset records (a single walk then logs and skips it).
bool CountRecords(const CAtomRet& atom, int64_t& total) {
    total = 0;
    for (int s = 0; s < atom.m_nSegCount; ++s)
        if (!IsRecordWidth(atom.m_SegWidth[static_cast<size_t>(s)])) return false;
    total = CountSegmentRecords(atom);
    return true;
}

// Asks the processor for the first word of a sentence, which making a hit
// reads, ahead of the hits of a batch of records.
void PrefetchSentenceWord(const RecordCompareContext& corpus, uint8_t fileNo, uint32_t position) {
    if (fileNo < corpus.files.size() && position < corpus.files[fileNo].count)
        __builtin_prefetch(corpus.files[fileNo].words + position);
}

// Items [from, to) of share `share` of count items.
int64_t ShareStart(int64_t count, int share) { return count * share / kPassShares; }

// What the shares of one pass found, in share order.
struct SharedPass {
    std::vector<std::vector<CRetInfo>> found = std::vector<std::vector<CRetInfo>>(kPassShares);
    std::vector<int64_t> leftOut = std::vector<int64_t>(kPassShares, 0);
    std::atomic<bool> cut{false};
    std::atomic<bool> noMemory{false};

    // Runs keep(share, from, to, found) for every share, catching a lack of
    // memory in a share; rethrows it on the calling thread.
    template <typename Keep>
    void Run(int64_t count, Keep&& keep) {
        RunShares(kPassShares, [&](int share) {
            try {
                // Filled apart and moved in at the end: the shares' vectors
                // sit side by side, and growing them in place would make the
                // threads fight over one cache line.
                std::vector<CRetInfo> own;
                keep(share, ShareStart(count, share), ShareStart(count, share + 1), own);
                found[static_cast<size_t>(share)] = std::move(own);
            } catch (const std::bad_alloc&) {
                noMemory = true;
            }
        });
        if (noMemory) throw std::bad_alloc();
    }
};

}  // namespace

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

bool MergeRun::ListRecordHit(const CAtomRet& atom, const OffsetRecordInfo& record, CRetInfo& hit) {
    const RecordCompareContext& corpus = m_env.Corpus();
    // Hits of sentences the probe side does not hold could never pair up.
    return IsOverFlow(corpus, record.position, record.fileNo, record.wordIndex) &&
           m_area.m_JoinSentences.Has(record.fileNo, record.position) &&
           m_env.IsInLimit(record.fileNo, record.position, false) && MakeRetInfo(corpus, atom.m_Query, record, hit);
}

void MergeRun::GatherListHits(const MergeSide& side) {
    const SentenceSet& sentences = m_area.m_JoinSentences;
    SentenceHits& hits = m_area.m_JoinHits;
    hits.Clear();
    int64_t records = 0;
    if (side.merged) {
        for (int i = 0; i < side.merged->m_nCount; ++i) {
            const CRetInfo& hit = side.merged->m_Hits[static_cast<size_t>(i)];
            if (sentences.Has(hit.file_no, hit.position)) hits.Add(hit);
        }
    } else if (side.atom && CountRecords(*side.atom, records) && records >= kSharedPassFrom) {
        const CAtomRet& atom = *side.atom;
        const RecordCompareContext& corpus = m_env.Corpus();
        SharedPass pass;
        pass.Run(records, [&](int, int64_t from, int64_t to, std::vector<CRetInfo>& found) {
            QueryTimeCheck clock;
            CRetInfo hit;
            ForEachRecordBatchInRange(atom, from, to, [&](const OffsetRecordInfo* batch, int count) {
                for (int i = 0; i < count; ++i) sentences.Prefetch(batch[i].fileNo, batch[i].position);
                for (int i = 0; i < count; ++i)
                    if (sentences.Has(batch[i].fileNo, batch[i].position))
                        PrefetchSentenceWord(corpus, batch[i].fileNo, batch[i].position);
                for (int i = 0; i < count; ++i) {
                    if (clock.Step()) {
                        pass.cut = true;
                        return true;
                    }
                    if (ListRecordHit(atom, batch[i], hit)) found.push_back(hit);
                }
                return false;
            });
        });
        if (pass.cut) m_env.SetApproximate();
        hits.AddAll(std::move(pass.found));
    } else if (side.atom) {
        ForEachRecordInTime(*side.atom, [&](const OffsetRecordInfo& record) {
            CRetInfo hit;
            if (ListRecordHit(*side.atom, record, hit)) hits.Add(hit);
        });
    }
    hits.Index();
}

void MergeRun::ProbeListHits(const MergeSide& probe, CQAVRet& out, int code, bool probeIsLeft) {
    const SentenceHits& hits = m_area.m_JoinHits;
    const RecordCompareContext& corpus = m_env.Corpus();
    // Calls pair(joined) for each pair of a probe hit, in the list side's order.
    auto pairUp = [&](const CRetInfo& probeHit, auto&& pair) {
        hits.ForEachOfSentence(probeHit.file_no, probeHit.position, [&](const CRetInfo& listHit) {
            const CRetInfo& left = probeIsLeft ? probeHit : listHit;
            const CRetInfo& right = probeIsLeft ? listHit : probeHit;
            if (IsJoinMatch(left, right, code)) pair(JoinRetInfo(left, right));
        });
    };
    // The probe hit of an admitted record with a partner.
    auto probeHit = [&](const OffsetRecordInfo& record, CRetInfo& hit) {
        return IsOverFlow(corpus, record.position, record.fileNo, record.wordIndex) &&
               m_env.IsInLimit(record.fileNo, record.position, false) &&
               hits.ForEachOfSentence(record.fileNo, record.position, [](const CRetInfo&) {}) &&
               MakeRetInfo(corpus, probe.atom->m_Query, record, hit);
    };
    auto addToOut = [&](const CRetInfo& joined) { out.Add2QAVRetEx(joined); };

    int64_t records = 0;
    const bool atomProbe = probe.atom != nullptr;
    const int64_t items = atomProbe ? (CountRecords(*probe.atom, records) ? records : -1)
                                    : (probe.merged ? probe.merged->m_nCount : 0);
    if (items >= kSharedPassFrom) {
        // A share keeps at most as many pairs as the output can take and
        // counts the rest, which the output would leave out anyway.
        const int64_t room = std::max(out.m_nCapacity, 0);
        SharedPass pass;
        pass.Run(items, [&](int share, int64_t from, int64_t to, std::vector<CRetInfo>& found) {
            int64_t leftOut = 0;
            auto keep = [&](const CRetInfo& joined) {
                if (static_cast<int64_t>(found.size()) < room) {
                    found.push_back(joined);
                } else {
                    ++leftOut;
                }
            };
            QueryTimeCheck clock;
            if (!atomProbe) {
                for (int64_t i = from; i < to && !pass.cut; ++i) {
                    if (clock.Step()) {
                        pass.cut = true;
                    } else {
                        pairUp(probe.merged->m_Hits[static_cast<size_t>(i)], keep);
                    }
                }
            } else {
                CRetInfo hit;
                ForEachRecordBatchInRange(*probe.atom, from, to, [&](const OffsetRecordInfo* batch, int count) {
                    for (int i = 0; i < count; ++i) hits.Prefetch(batch[i].fileNo, batch[i].position);
                    for (int i = 0; i < count; ++i)
                        if (hits.PrefetchHits(batch[i].fileNo, batch[i].position))
                            PrefetchSentenceWord(corpus, batch[i].fileNo, batch[i].position);
                    for (int i = 0; i < count; ++i) {
                        if (clock.Step()) {
                            pass.cut = true;
                            return true;
                        }
                        if (probeHit(batch[i], hit)) pairUp(hit, keep);
                    }
                    return false;
                });
            }
            pass.leftOut[static_cast<size_t>(share)] = leftOut;
        });
        // A probe cut short leaves pairs unfound: the result is approximate.
        if (pass.cut) m_env.SetApproximate();
        for (size_t share = 0; share < pass.found.size(); ++share) {
            for (const CRetInfo& joined : pass.found[share]) out.Add2QAVRetEx(joined);
            out.m_nLeftOut += pass.leftOut[share];
        }
        return;
    }
    if (!atomProbe) {
        if (!probe.merged) return;
        QueryTimeCheck clock;
        for (int i = 0; i < probe.merged->m_nCount; ++i) {
            if (clock.Step()) {
                m_env.SetApproximate();
                return;
            }
            pairUp(probe.merged->m_Hits[static_cast<size_t>(i)], addToOut);
        }
        return;
    }
    ForEachRecordInTime(*probe.atom, [&](const OffsetRecordInfo& record) {
        CRetInfo hit;
        if (probeHit(record, hit)) pairUp(hit, addToOut);
    });
}

}  // namespace qav
