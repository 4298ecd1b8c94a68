// The hash join of two results under a positional relation. The passes over
// the list side and the probe side are cut into shares run side by side when
// a side is large; each share gathers its own hits or pairs, and they are
// taken in share order, so the joined result is the one a single walk gives.
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <new>
#include <utility>
#include <vector>

#include "qav/index/engine/qav_engine.h"
#include "qav/search/atom/record_walk.h"
#include "qav/search/merge/join_relation.h"
#include "qav/search/merge/merge_run.h"
#include "qav/search/merge/parallel_shares.h"
#include "qav/search/merge/sentence_records.h"
#include "qav/search/merge/tag_places.h"
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

// Asks the processor for the first word of a record's sentence, which making
// its hit reads, ahead of a batch of records.
void PrefetchSentenceWord(const RecordCompareContext& corpus, const OffsetRecordInfo& record) {
    if (record.fileNo < corpus.files.size() && record.position < corpus.files[record.fileNo].count)
        __builtin_prefetch(corpus.files[record.fileNo].words + record.position);
}

// The place where a hit meets a partner, as a word place of its data file
// kept in the sentence form of a SentenceSet. A place before the file's
// start wraps around and falls outside the file, where the set keeps it
// exactly all the same.
uint32_t PlaceKey(const CRetInfo& hit, int place) {
    return static_cast<uint32_t>(static_cast<int64_t>(hit.position) + place);
}

// Whether a hit may meet a hit of the probe side: always under a relation
// without one meeting place, otherwise when some probe hit meets at its place.
bool MeetsAProbePlace(const SentenceSet& marks, int code, bool isLeft, const CRetInfo& hit) {
    int place = 0;
    return !JoinPlace(code, isLeft, hit, place) ||
           marks.Has(hit.file_no, PlaceKey(hit, place), CForMerge::kJoinPlaces);
}

// Asks the processor for the bit MeetsAProbePlace will read.
void PrefetchProbePlace(const SentenceSet& marks, int code, bool isLeft, const CRetInfo& hit) {
    int place = 0;
    if (JoinPlace(code, isLeft, hit, place))
        marks.Prefetch(hit.file_no, PlaceKey(hit, place), CForMerge::kJoinPlaces);
}

// A probe side with fewer hits than the list side's records over this is
// sparse (see GatherListHits).
constexpr int64_t kSparseProbeShare = 16;
// With fewer than this share of the list side's records, the probe side's
// sentences are looked up in the list side's filing by sentence: a look-up
// on one thread costs some memory waits, a record of the walk in shares
// about a nanosecond.
constexpr int64_t kSentenceLookupShare = 1024;

// The generation under which what a join makes of a search is kept with
// the loaded index: the index's when the join reads its corpus, else 0.
uint64_t KeptGeneration(const RecordCompareContext& corpus) {
    const CQAVEngine* engine = g_pCQAVEngine;
    const bool engineCorpus = engine && !corpus.files.empty() && engine->m_corpus.size() == corpus.files.size() &&
                              corpus.files[0].words == engine->m_corpus[0].get();
    return engineCorpus ? engine->m_offsetGeneration : 0;
}

// Items [from, to) of share `share` of count items.
int64_t ShareStart(int64_t count, int share) { return count * share / PassShares(); }

// What the shares of one pass found, in share order.
struct SharedPass {
    std::vector<std::vector<CRetInfo>> found = std::vector<std::vector<CRetInfo>>(PassShares());
    std::vector<int64_t> leftOut = std::vector<int64_t>(PassShares(), 0);
    std::atomic<bool> cut{false};
    std::atomic<bool> noMemory{false};

    // Runs keep(share, from, to, found) for every share, catching a lack of
    // memory in a share; rethrows it on the calling thread.
    template <typename Keep>
    void Run(int64_t count, Keep&& keep) {
        RunShares(PassShares(), [&](int share) {
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

// A run of probe hits side by side.
struct ProbeSlice {
    const CRetInfo* hits = nullptr;
    size_t count = 0;
};

// The pairs one share keeps: at most as many as the output can take; the
// rest are counted, which the output would leave out anyway.
struct SharePairs {
    std::vector<CRetInfo>& found;
    int64_t room;
    int64_t leftOut = 0;

    void operator()(const CRetInfo& joined) {
        if (static_cast<int64_t>(found.size()) < room) {
            found.push_back(joined);
        } else {
            ++leftOut;
        }
    }
};

// Moves the pairs of a pass's shares into out in share order; a pass cut
// short leaves pairs unfound, and the result is approximate.
void TakeSharePairs(SharedPass& pass, CQAVRet& out, MergeEnv& env) {
    if (pass.cut) env.SetApproximate();
    int64_t pairs = 0;
    for (const std::vector<CRetInfo>& found : pass.found) pairs += static_cast<int64_t>(found.size());
    out.ExpectHits(pairs);
    for (size_t share = 0; share < pass.found.size(); ++share) {
        for (const CRetInfo& joined : pass.found[share]) out.Add2QAVRetEx(joined);
        out.m_nLeftOut += pass.leftOut[share];
    }
}

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
    const bool probeIsLeft = probe == &left;
    try {
        if (!JoinAtTagPlaces(*probe, list, out, code, probeIsLeft)) {
            MarkProbeSentences(*probe, code, probeIsLeft);
            GatherListHits(list, *probe, code, !probeIsLeft);
            ProbeListHits(*probe, out, code, probeIsLeft);
        }
    } catch (const std::bad_alloc&) {
        // The pairs not yet found are lost.
        QavLog("Approximate: no memory for a join of %lld and %lld hits\n", static_cast<long long>(list.Count()),
               static_cast<long long>(probe->Count()));
        m_env.SetApproximate();
    }
    m_area.m_JoinHits.Clear();
    m_area.m_JoinProbeHits.clear();
}

void MergeRun::CollectProbeHits(const CAtomRet& atom) {
    std::vector<std::vector<CRetInfo>>& probeHits = m_area.m_JoinProbeHits;
    const RecordCompareContext& corpus = m_env.Corpus();
    probeHits.clear();
    int64_t records = 0;
    if (CountRecords(atom, records) && records >= kSharedPassFrom) {
        SharedPass pass;
        pass.Run(records, [&](int, int64_t from, int64_t to, std::vector<CRetInfo>& found) {
            QueryTimeCheck clock;
            CRetInfo hit;
            // Room for a hit per record: a growing list would be copied into
            // fresh pages, and room never touched costs no memory.
            found.reserve(static_cast<size_t>(to - from));
            ForEachRecordBatchInRange(atom, from, to, [&](const OffsetRecordInfo* batch, int count) {
                for (int i = 0; i < count; ++i) PrefetchSentenceWord(corpus, batch[i]);
                for (int i = 0; i < count; ++i) {
                    if (clock.Step()) {
                        pass.cut = true;
                        return true;
                    }
                    if (AdmitRecord(atom, batch[i], false, hit)) found.push_back(hit);
                }
                return false;
            });
        });
        if (pass.cut) m_env.SetApproximate();
        probeHits = std::move(pass.found);
        return;
    }
    probeHits.resize(1);
    ForEachRecordInTime(atom, [&](const OffsetRecordInfo& record) {
        CRetInfo hit;
        if (AdmitRecord(atom, record, false, hit)) probeHits[0].push_back(hit);
    });
}

void MergeRun::MarkProbeSentences(const MergeSide& side, int code, bool sideIsLeft) {
    SentenceSet& marks = m_area.m_JoinMarks;
    int place = 0;
    const bool exact = JoinPlace(code, sideIsLeft, ClearedRetInfo(), place);
    marks.Reset(m_env.Corpus(), exact ? 2 : 1);
    m_area.m_JoinProbeHits.clear();
    if (side.merged) {
        for (int i = 0; i < side.merged->m_nCount; ++i) {
            const CRetInfo& hit = side.merged->m_Hits[static_cast<size_t>(i)];
            marks.Add(hit.file_no, hit.position, CForMerge::kJoinSentences);
            if (exact && JoinPlace(code, sideIsLeft, hit, place))
                marks.Add(hit.file_no, PlaceKey(hit, place), CForMerge::kJoinPlaces);
        }
        return;
    }
    if (!side.atom) return;
    CollectProbeHits(*side.atom);
    marks.AddAllLayers(m_area.m_JoinProbeHits, [&](int layer, const CRetInfo& hit, uint8_t& fileNo,
                                                    uint32_t& position) {
        fileNo = hit.file_no;
        if (layer == CForMerge::kJoinSentences) {
            position = hit.position;
            return true;
        }
        int hitPlace = 0;
        if (!JoinPlace(code, sideIsLeft, hit, hitPlace)) return false;
        position = PlaceKey(hit, hitPlace);
        return true;
    });
}

bool MergeRun::ListRecordHit(const CAtomRet& atom, const OffsetRecordInfo& record, CRetInfo& hit) {
    const RecordCompareContext& corpus = m_env.Corpus();
    // Hits of sentences the probe side does not hold could never pair up.
    return IsOverFlow(corpus, record.position, record.fileNo, record.wordIndex) &&
           m_area.m_JoinMarks.Has(record.fileNo, record.position) &&
           m_env.IsInLimit(record.fileNo, record.position, false) && MakeRetInfo(corpus, atom.m_Query, record, hit);
}

bool MergeRun::GatherSentenceRecords(const CAtomRet& atom, const MergeSide& probe, int64_t records, int code,
                                     bool sideIsLeft) {
    int64_t probeHits = probe.merged ? probe.merged->m_nCount : 0;
    for (const std::vector<CRetInfo>& share : m_area.m_JoinProbeHits) probeHits += static_cast<int64_t>(share.size());
    if (atom.m_bApproximate || probeHits * kSentenceLookupShare >= records) return false;
    const RecordCompareContext& corpus = m_env.Corpus();
    bool cut = false;
    const std::shared_ptr<const SentenceRecords> filing = SentenceRecordsOf(atom, corpus, KeptGeneration(corpus), cut);
    if (!filing) return false;
    // The probe side's sentences, each once.
    std::vector<uint64_t> sentences;
    sentences.reserve(static_cast<size_t>(probeHits));
    auto addSentence = [&](const CRetInfo& hit) { sentences.push_back((uint64_t{hit.file_no} << 32) | hit.position); };
    if (probe.merged) {
        for (int i = 0; i < probe.merged->m_nCount; ++i) addSentence(probe.merged->m_Hits[static_cast<size_t>(i)]);
    } else {
        for (const std::vector<CRetInfo>& share : m_area.m_JoinProbeHits)
            for (const CRetInfo& hit : share) addSentence(hit);
    }
    std::sort(sentences.begin(), sentences.end());
    sentences.erase(std::unique(sentences.begin(), sentences.end()), sentences.end());
    // Their records in the walk's order; a sentence outside the files (of a
    // merged result made by hand) is left to the walk.
    std::vector<uint32_t> numbers;
    for (uint64_t sentence : sentences)
        if (!filing->AddRecordsOf(static_cast<uint8_t>(sentence >> 32), static_cast<uint32_t>(sentence), numbers))
            return false;
    std::sort(numbers.begin(), numbers.end());
    SentenceHits& hits = m_area.m_JoinHits;
    QueryTimeCheck clock;
    ForEachNumberedRecord(atom, numbers, [&](const OffsetRecordInfo& record) {
        if (clock.Step()) {
            m_env.SetApproximate();
            return true;
        }
        CRetInfo hit;
        if (ListRecordHit(atom, record, hit) && MeetsAProbePlace(m_area.m_JoinMarks, code, sideIsLeft, hit))
            hits.Add(hit);
        return false;
    });
    return true;
}

void MergeRun::GatherListHits(const MergeSide& side, const MergeSide& probe, int code, bool sideIsLeft) {
    const SentenceSet& sentences = m_area.m_JoinMarks;
    SentenceHits& hits = m_area.m_JoinHits;
    hits.Clear();
    int64_t records = 0;
    if (side.merged) {
        for (int i = 0; i < side.merged->m_nCount; ++i) {
            const CRetInfo& hit = side.merged->m_Hits[static_cast<size_t>(i)];
            if (sentences.Has(hit.file_no, hit.position) &&
                MeetsAProbePlace(m_area.m_JoinMarks, code, sideIsLeft, hit))
                hits.Add(hit);
        }
    } else if (side.atom && CountRecords(*side.atom, records) && records >= kSharedPassFrom) {
        const CAtomRet& atom = *side.atom;
        if (GatherSentenceRecords(atom, probe, records, code, sideIsLeft)) {
            hits.Index();
            return;
        }
        const RecordCompareContext& corpus = m_env.Corpus();
        const int64_t probeHits = probe.Count();
        // With few probe hits against the records, most records fall in
        // blocks of the coarse map without a marked sentence: a first test
        // there passes them by. With many, it would only add a test.
        const bool sparse = probeHits * kSparseProbeShare < records;
        SharedPass pass;
        pass.Run(records, [&](int, int64_t from, int64_t to, std::vector<CRetInfo>& found) {
            QueryTimeCheck clock;
            // As in the probe side's pass.
            found.reserve(static_cast<size_t>(to - from));
            bool candidate[kRecordBatch];
            CRetInfo made[kRecordBatch];
            // Whether the hit of a record in a marked sentence may meet a
            // probe place. Where the record alone gives the hit's shape, the
            // place is tested before the hit is made: making it reads the
            // corpus, the place's bit lies beside the sentence's.
            auto mayMeet = [&](const OffsetRecordInfo& record) {
                CRetInfo shaped;
                if (!RecordHitShape(atom.m_Query, record, shaped.start, shaped.length)) return true;
                shaped.file_no = record.fileNo;
                shaped.position = record.position;
                return MeetsAProbePlace(m_area.m_JoinMarks, code, sideIsLeft, shaped);
            };
            // The hits of a batch of records.
            auto takeBatch = [&](const OffsetRecordInfo* batch, int count) {
                for (int i = 0; i < count; ++i) sentences.Prefetch(batch[i].fileNo, batch[i].position);
                for (int i = 0; i < count; ++i) {
                    candidate[i] = sentences.Has(batch[i].fileNo, batch[i].position) && mayMeet(batch[i]);
                    if (candidate[i]) PrefetchSentenceWord(corpus, batch[i]);
                }
                // The hits of the batch first, then their places: the
                // place tests of a batch overlap their memory waits.
                int madeCount = 0;
                for (int i = 0; i < count; ++i) {
                    // A record outside the marked sentences, or whose hit
                    // meets no probe place, makes no hit of this side.
                    if (candidate[i] && ListRecordHit(atom, batch[i], made[madeCount])) {
                        PrefetchProbePlace(m_area.m_JoinMarks, code, sideIsLeft, made[madeCount]);
                        ++madeCount;
                    }
                }
                for (int i = 0; i < madeCount; ++i)
                    if (MeetsAProbePlace(m_area.m_JoinMarks, code, sideIsLeft, made[i])) found.push_back(made[i]);
            };
            if (!sparse) {
                ForEachRecordBatchInRange(atom, from, to, [&](const OffsetRecordInfo* batch, int count) {
                    for (int i = 0; i < count; ++i) {
                        if (clock.Step()) {
                            pass.cut = true;
                            return true;
                        }
                    }
                    takeBatch(batch, count);
                    return false;
                });
                return;
            }
            // Only the records the coarse map lets through are batched.
            OffsetRecordInfo batch[kRecordBatch];
            int count = 0;
            const bool stopped =
                VisitRawRecordsInRange(atom, from, to, [&](const unsigned char* record, uint8_t width) {
                    if (clock.Step()) {
                        pass.cut = true;
                        return false;
                    }
                    if (!sentences.MayHave(GetFileNo(record), GetOffset(record))) return true;
                    batch[count++] = ReadOffsetRecord(record, width);
                    if (count == kRecordBatch) {
                        takeBatch(batch, count);
                        count = 0;
                    }
                    return true;
                });
            if (!stopped) takeBatch(batch, count);
        });
        if (pass.cut) m_env.SetApproximate();
        hits.AddAll(std::move(pass.found));
    } else if (side.atom) {
        ForEachRecordInTime(*side.atom, [&](const OffsetRecordInfo& record) {
            CRetInfo hit;
            if (ListRecordHit(*side.atom, record, hit) &&
                MeetsAProbePlace(m_area.m_JoinMarks, code, sideIsLeft, hit))
                hits.Add(hit);
        });
    }
    hits.Index();
}

namespace {

// The partners of a probe hit among the gathered hits of the list side.
struct GatheredPartners {
    const SentenceHits& hits;
    int code;
    bool probeIsLeft;

    void Prefetch(const CRetInfo& probeHit) const { hits.Prefetch(probeHit.file_no, probeHit.position); }
    void PrefetchMore(const CRetInfo& probeHit) const { hits.PrefetchHits(probeHit.file_no, probeHit.position); }
    // The pairs of a probe hit, in the list side's order.
    template <typename Pair>
    void PairUp(const CRetInfo& probeHit, Pair&& pair) const {
        hits.ForEachOfSentence(probeHit.file_no, probeHit.position, [&](const CRetInfo& listHit) {
            const CRetInfo& left = probeIsLeft ? probeHit : listHit;
            const CRetInfo& right = probeIsLeft ? listHit : probeHit;
            if (IsJoinMatch(left, right, code)) pair(JoinRetInfo(left, right));
        });
    }
};

// A list side searched for a tag without text costs a walk of its records; a
// test of the tag's places costs a bit per word place of the corpus to set up.
// The places are taken from this many bits per record on.
constexpr int64_t kPlaceBitsPerRecord = 64;

// The partner of a probe hit among the hits of a tag search without text:
// the hit of the one record that anchors where a partner would lie.
struct TagPlacePartners {
    const TagPlaces& places;
    const RecordCompareContext& corpus;
    MergeEnv& env;
    const CAtomSearchQuery& query;
    int code;
    bool probeIsLeft;
    int listPlace;   // where a list hit starting at word 0 meets its partner
    int64_t wave1;   // words the hit starts before its record's anchor

    // Index, within the probe hit's sentence, of the anchor of the record
    // whose hit would meet the probe hit; false when no record's could.
    bool AnchorIndex(const CRetInfo& probeHit, int64_t& index) const {
        int place = 0;
        if (!JoinPlace(code, probeIsLeft, probeHit, place)) return false;
        const int64_t start = int64_t{place} - listPlace;
        index = start + wave1;
        return start >= INT16_MIN && start <= INT16_MAX && index >= INT16_MIN && index <= INT16_MAX;
    }
    void Prefetch(const CRetInfo& probeHit) const {
        int64_t index = 0;
        if (AnchorIndex(probeHit, index)) places.Prefetch(probeHit.file_no, probeHit.position, index);
    }
    void PrefetchMore(const CRetInfo&) const {}
    // The pair of a probe hit, when the record is there and its hit is
    // admitted as the walk admits it.
    template <typename Pair>
    void PairUp(const CRetInfo& probeHit, Pair&& pair) const {
        int64_t index = 0;
        if (!AnchorIndex(probeHit, index)) return;
        OffsetRecordInfo record;
        record.fileNo = probeHit.file_no;
        record.position = probeHit.position;
        record.wordIndex = static_cast<int16_t>(index);
        // The record's clause byte is not known here; no exact relation
        // reads it, and a joined hit has none.
        CRetInfo listHit;
        if (!IsOverFlow(corpus, record.position, record.fileNo, record.wordIndex) ||
            !places.Has(record.fileNo, record.position, index) ||
            !env.IsInLimit(record.fileNo, record.position, false) || !MakeRetInfo(corpus, query, record, listHit))
            return;
        const CRetInfo& left = probeIsLeft ? probeHit : listHit;
        const CRetInfo& right = probeIsLeft ? listHit : probeHit;
        if (IsJoinMatch(left, right, code)) pair(JoinRetInfo(left, right));
    }
};

// Words of the corpus's data files.
int64_t WordPlacesOf(const RecordCompareContext& corpus) {
    int64_t places = 0;
    for (const CorpusFile& file : corpus.files) places += file.count;
    return places;
}

}  // namespace

void MergeRun::ProbeListHits(const MergeSide& probe, CQAVRet& out, int code, bool probeIsLeft) {
    PairProbeHits(probe, out, GatheredPartners{m_area.m_JoinHits, code, probeIsLeft});
}

template <typename Partners>
void MergeRun::PairProbeHits(const MergeSide& probe, CQAVRet& out, const Partners& partners) {
    // Pairs up the probe hits of a slice until the query time runs out (then
    // false), asking for what the partners of a batch of hits read ahead.
    auto pairSlice = [&](const ProbeSlice& slice, auto&& pair) {
        QueryTimeCheck clock;
        for (size_t first = 0; first < slice.count; first += kRecordBatch) {
            const size_t end = std::min(slice.count, first + kRecordBatch);
            for (size_t i = first; i < end; ++i) partners.Prefetch(slice.hits[i]);
            for (size_t i = first; i < end; ++i) partners.PrefetchMore(slice.hits[i]);
            for (size_t i = first; i < end; ++i) {
                if (clock.Step()) return false;
                partners.PairUp(slice.hits[i], pair);
            }
        }
        return true;
    };

    // The probe hits: an atom side's as its shares kept them, a merged
    // side's in shares when there are many.
    std::vector<ProbeSlice> slices;
    if (probe.atom) {
        for (const std::vector<CRetInfo>& share : m_area.m_JoinProbeHits) slices.push_back({share.data(), share.size()});
    } else if (probe.merged) {
        const int64_t count = probe.merged->m_nCount;
        const CRetInfo* first = probe.merged->m_Hits.get();
        if (count >= kSharedPassFrom) {
            for (int share = 0; share < PassShares(); ++share)
                slices.push_back({first + ShareStart(count, share),
                                  static_cast<size_t>(ShareStart(count, share + 1) - ShareStart(count, share))});
        } else if (count > 0) {
            slices.push_back({first, static_cast<size_t>(count)});
        }
    }
    if (slices.size() == static_cast<size_t>(PassShares())) {
        const int64_t room = std::max(out.m_nCapacity, 0);
        SharedPass pass;
        pass.Run(PassShares(), [&](int share, int64_t, int64_t, std::vector<CRetInfo>& found) {
            // Room for a pair per probe hit, as many as most joins make: a
            // growing list would be copied as it grows.
            found.reserve(static_cast<size_t>(
                std::min<int64_t>(room, static_cast<int64_t>(slices[static_cast<size_t>(share)].count))));
            SharePairs keep{found, room};
            if (!pairSlice(slices[static_cast<size_t>(share)], keep)) pass.cut = true;
            pass.leftOut[static_cast<size_t>(share)] = keep.leftOut;
        });
        TakeSharePairs(pass, out, m_env);
        return;
    }
    auto addToOut = [&](const CRetInfo& joined) { out.Add2QAVRetEx(joined); };
    for (const ProbeSlice& slice : slices) {
        if (!pairSlice(slice, addToOut)) {
            m_env.SetApproximate();
            return;
        }
    }
}

template <typename Partners>
bool MergeRun::PairAtomProbeRecords(const CAtomRet& atom, CQAVRet& out, const Partners& partners) {
    int64_t records = 0;
    if (!CountRecords(atom, records) || records < kSharedPassFrom) return false;
    const RecordCompareContext& corpus = m_env.Corpus();
    const int64_t room = std::max(out.m_nCapacity, 0);
    SharedPass pass;
    pass.Run(records, [&](int share, int64_t from, int64_t to, std::vector<CRetInfo>& found) {
        QueryTimeCheck clock;
        found.reserve(static_cast<size_t>(std::min<int64_t>(room, to - from)));
        SharePairs keep{found, room};
        CRetInfo hits[kRecordBatch];
        // A batch's probe hits are made, then what their partners read is
        // asked for, then they are paired, so that the waits overlap.
        ForEachRecordBatchInRange(atom, from, to, [&](const OffsetRecordInfo* batch, int count) {
            for (int i = 0; i < count; ++i) PrefetchSentenceWord(corpus, batch[i]);
            int made = 0;
            for (int i = 0; i < count; ++i) {
                if (clock.Step()) {
                    pass.cut = true;
                    return true;
                }
                if (AdmitRecord(atom, batch[i], false, hits[made])) ++made;
            }
            for (int k = 0; k < made; ++k) partners.Prefetch(hits[k]);
            for (int k = 0; k < made; ++k) partners.PrefetchMore(hits[k]);
            for (int k = 0; k < made; ++k) partners.PairUp(hits[k], keep);
            return false;
        });
        pass.leftOut[static_cast<size_t>(share)] = keep.leftOut;
    });
    TakeSharePairs(pass, out, m_env);
    return true;
}

bool MergeRun::JoinAtTagPlaces(const MergeSide& probe, const MergeSide& list, CQAVRet& out, int code,
                               bool probeIsLeft) {
    if (!list.atom || list.atom->m_bApproximate) return false;
    const CAtomRet& tags = *list.atom;
    // A tag without text: the record alone gives its hit's shape, and the
    // relation has one place where the pair meets.
    CRetInfo shaped = ClearedRetInfo();
    if (!RecordHitShape(tags.m_Query, OffsetRecordInfo{}, shaped.start, shaped.length)) return false;
    const int64_t wave1 = -int64_t{shaped.start};
    shaped.start = 0;
    int listPlace = 0;
    if (!JoinPlace(code, !probeIsLeft, shaped, listPlace)) return false;
    int64_t records = 0;
    const RecordCompareContext& corpus = m_env.Corpus();
    if (!CountRecords(tags, records) || records * kPlaceBitsPerRecord < WordPlacesOf(corpus)) return false;
    bool cut = false;
    const std::shared_ptr<const TagPlaces> places = TagPlacesOf(tags, corpus, KeptGeneration(corpus), cut);
    if (!places) return false;
    if (cut) m_env.SetApproximate();
    m_area.m_JoinProbeHits.clear();
    const TagPlacePartners partners{*places, corpus, m_env, tags.m_Query, code, probeIsLeft, listPlace, wave1};
    if (probe.atom && PairAtomProbeRecords(*probe.atom, out, partners)) return true;
    if (probe.atom) CollectProbeHits(*probe.atom);
    PairProbeHits(probe, out, partners);
    return true;
}

}  // namespace qav
