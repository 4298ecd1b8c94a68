// Joins and AND/OR/NOT merges of two results in a merge work area. A join
// marks the sentences of the side with fewer hits (the probe side), gathers
// the other side's hits in those sentences, and then probes them with each
// hit of the smaller side. A merge lets the side with fewer hits set the two
// prefilter bitmaps; the other side's hits whose sentence passes them fill
// the hash list; the smaller side then probes it.
#pragma once

#include <cstdint>

#include "qav/index/base/qav_log.h"
#include "qav/search/atom/atom_ret.h"
#include "qav/search/merge/for_merge.h"
#include "qav/search/atom/make_ret_info.h"
#include "qav/search/merge/merge_env.h"
#include "qav/search/merge/qav_ret.h"
#include "qav/search/filter/query_time.h"

namespace qav {

// One input: an atom result or a merged result.
struct MergeSide {
    const CAtomRet* atom = nullptr;
    const CQAVRet* merged = nullptr;

    static MergeSide Atom(const CAtomRet& result) { return {&result, nullptr}; }
    static MergeSide Merged(const CQAVRet& result) { return {nullptr, &result}; }
    int64_t Count() const;
};

class MergeRun {
public:
    MergeRun(CForMerge& area, MergeEnv& env) : m_area(area), m_env(env) {}

    // Joins left and right into out: every pair of a hit of each side in the
    // same sentence that stands in relation `code` becomes one joined hit.
    // Left's hits are always the pairs' left part.
    void Join(const MergeSide& left, const MergeSide& right, CQAVRet& out, int code);
    // AND (kMergeAnd), OR (kMergeOr) or NOT (kMergeNot) of first and second
    // into out, by sentence or, with docLevel, by document. Any other type
    // leaves out empty. Ends with the hash list and bitmaps cleared.
    void Merge(const MergeSide& first, const MergeSide& second, CQAVRet& out, int type, bool docLevel);

    // Clears the bitmaps and tags the merge keys (sentence position, or
    // document) of the side's hits that pass the limits and conditions. Each
    // tagged sentence or document is also kept exactly, so that tests by
    // HasTagKey never take another data file's sentence for it.
    void SetHashTagEx(const MergeSide& side, bool docLevel);
    // AND: the list side's hits whose merge key is tagged fill the hash list.
    void SetRetInfoHashEx(const MergeSide& side);
    // AND: each probe hit whose sentence the list side shares, followed by
    // the list side's hits of that sentence.
    void GetQAVRet_AND(const MergeSide& probe, CQAVRet& out);
    // NOT: the probe's hits whose sentence or document is not tagged.
    void GetQAVRet_NOT(const MergeSide& probe, CQAVRet& out);
    // OR: second's hits, then first's, without removing repeats.
    void GetQAVRet_OR(const MergeSide& first, const MergeSide& second, CQAVRet& out);

    // Fills the candidate list with the hash list's hits of exactly this
    // sentence (data file and position); false when it holds none.
    bool LookupHash(uint8_t fileNo, uint32_t position);
    // Links a copy of the hit at the head of its bucket; false when the pool
    // is absent or used up, which makes the result approximate.
    bool Add2RetInfoHash(const CRetInfo& hit);

private:
    // Join: when the list side is a complete search of a tag without text
    // and the relation has one meeting place, pairs each probe hit with the
    // hit of the tag's record at that place (see TagPlaces) and true; false,
    // with nothing done, when it is not such a join.
    bool JoinAtTagPlaces(const MergeSide& probe, const MergeSide& list, CQAVRet& out, int code, bool probeIsLeft);
    // Join: the admitted hits of an atom probe side, kept by share.
    void CollectProbeHits(const CAtomRet& atom);
    // Join: marks the sentences of the probe side's admitted hits and, under
    // a relation with one meeting place (JoinPlace), those places; an atom
    // side's hits are kept by share for the probe.
    void MarkProbeSentences(const MergeSide& side, int code, bool sideIsLeft);
    // Join: gathers the list side's admitted hits in the marked sentences
    // (at a marked place, under a relation with one meeting place) of the
    // probe side.
    void GatherListHits(const MergeSide& side, const MergeSide& probe, int code, bool sideIsLeft);
    // Join: GatherListHits for an atom list side of `records` records that
    // is a complete search, when the probe side's hits are few against them:
    // only the records of the probe side's sentences are taken, through the
    // search's SentenceRecords, in the order of the walk. False, with
    // nothing done, when that does not apply.
    bool GatherSentenceRecords(const CAtomRet& atom, const MergeSide& probe, int64_t records, int code,
                               bool sideIsLeft);
    // Join: the hit of a list record that is admitted and in a marked
    // sentence. Safe to call from several threads at once.
    bool ListRecordHit(const CAtomRet& atom, const OffsetRecordInfo& record, CRetInfo& hit);
    // Join: pairs each admitted probe hit with the gathered hits of its
    // sentence, the last gathered first; pairs that match `code` go to out.
    void ProbeListHits(const MergeSide& probe, CQAVRet& out, int code, bool probeIsLeft);
    // Join: pairs each admitted probe hit with its partners (partners.PairUp)
    // into out, in shares when there are many probe hits; pairs beyond out's
    // room are counted as left out.
    template <typename Partners>
    void PairProbeHits(const MergeSide& probe, CQAVRet& out, const Partners& partners);
    // Join: makes the hits of an atom probe side's records and pairs each as
    // PairProbeHits does, in shares and without a list of the probe hits;
    // false, with nothing done, when the side has too few records for shares.
    template <typename Partners>
    bool PairAtomProbeRecords(const CAtomRet& atom, CQAVRet& out, const Partners& partners);

    // Merge key of a sentence for the bitmaps and its exact key; the
    // document-level form reuses the last document found in this pass for a
    // sentence the index does not know.
    uint32_t MergeKey(uint8_t fileNo, uint32_t position, uint64_t& exactKey);
    // Makes the hit of an admitted record (bounds, then IsInLimit(skipBase)).
    bool AdmitRecord(const CAtomRet& atom, const OffsetRecordInfo& record, bool skipBase, CRetInfo& hit);
    // A list-side record within the corpus, then its key (keyOf(record)), and
    // when both bits of the key are set and the record is within the limits,
    // the key is passed and the record's hit goes to the hash list.
    template <typename KeyOf>
    void HashListRecord(const CAtomRet& atom, const OffsetRecordInfo& record, KeyOf&& keyOf);
    // Calls visit(record) for the atom's records until the query time runs
    // out; a walk cut short makes the result approximate.
    template <typename Visit>
    void ForEachRecordInTime(const CAtomRet& atom, Visit&& visit);
    void AppendAtomHits(const CAtomRet& atom, CQAVRet& out);
    void Finish();

    CForMerge& m_area;
    MergeEnv& m_env;
    uint32_t m_lastDocument = 0;
    bool m_poolShort = false;  // a hit found the pool used up (logged once)
};

template <typename KeyOf>
void MergeRun::HashListRecord(const CAtomRet& atom, const OffsetRecordInfo& record, KeyOf&& keyOf) {
    const RecordCompareContext& corpus = m_env.Corpus();
    if (!IsOverFlow(corpus, record.position, record.fileNo, record.wordIndex)) return;
    const uint32_t key = keyOf(record);
    if (!m_area.HasTagKeyBits(key) || !m_env.IsInLimit(record.fileNo, record.position, false)) return;
    m_area.m_Passed.push_back(key);
    CRetInfo hit;
    if (MakeRetInfo(corpus, atom.m_Query, record, hit)) Add2RetInfoHash(hit);
}

template <typename Visit>
void MergeRun::ForEachRecordInTime(const CAtomRet& atom, Visit&& visit) {
    QueryTimeCheck clock;
    ForEachAtomRecord(atom, [&](const OffsetRecordInfo& record) {
        if (clock.Step()) {
            m_env.SetApproximate();
            return false;
        }
        visit(record);
        return true;
    });
}

// Calls f(record) for every record of every segment, in order, until f
// returns false; false when f stopped the walk. A segment of another record
// width than 8 or 9 is skipped (and logged).
template <typename F>
bool ForEachAtomRecord(const CAtomRet& atom, F&& f) {
    for (int s = 0; s < atom.m_nSegCount; ++s) {
        const size_t i = static_cast<size_t>(s);
        const int width = atom.m_SegWidth[i];
        if (width != 8 && width != 9) {
            QavLogOnly("pAtomRet->m_pnUnitSize[%d]=%u\n", s, static_cast<unsigned>(width));
            continue;
        }
        const unsigned char* record = atom.m_SegRecords[i];
        if (!record) continue;
        record += atom.m_SegOffset[i];
        for (int32_t r = 0; r < atom.m_SegCount[i]; ++r, record += width)
            if (!f(ReadOffsetRecord(record, width))) return false;
    }
    return true;
}

}  // namespace qav
