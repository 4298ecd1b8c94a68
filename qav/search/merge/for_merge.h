// Work area of joins and merges: a chained hash list over a pool of hits and
// two prefilter bitmaps.
#pragma once

#include <cstdint>
#include <vector>

#include "qav/search/atom/ret_info.h"
#include "qav/search/atom/zeroed_array.h"
#include "qav/search/merge/sentence_hits.h"
#include "qav/search/merge/sentence_set.h"

namespace qav {

class CQAVSearch;

// Merge types.
constexpr int kMergeAnd = 0;
constexpr int kMergeOr = 1;
constexpr int kMergeNot = 2;

class CForMerge {
public:
    // Sets the area up with hashSize buckets (none when not positive) and
    // bitmaps of tagSize bytes; arrays already there are kept and cleared. A
    // pool of 4 x hashSize entries is made when there is none; a pool that
    // cannot be allocated stays absent. False when the buckets or bitmaps
    // cannot be allocated: the area then has no buckets and no bitmaps.
    bool ForMergeInit(int hashSize, int tagSize, CQAVSearch* owner);
    // Grows the area for a merge of inputs with these hit counts: at least
    // larger / 4 buckets, 10 x smaller bitmap bytes and larger pool entries.
    // Empties the pool. False as ForMergeInit.
    bool PrepareForMerge(int64_t larger, int64_t smaller);
    void ForMergeExit();
    // Empties the buckets, their counts and the pool.
    void ClearHashList();
    // Zeroes both bitmaps and forgets the exact tag keys.
    void ClearTag();

    // Bit (h mod size) of bitmap 0 or 1; with no bitmap, nothing is set and
    // every test fails.
    void SetTag(int map, uint32_t h);
    bool HasTag(int map, uint32_t h) const;
    void ResetTag(int map, uint32_t h);

    // A key's bits in both bitmaps: Hash_Jenkins in bitmap 0, Hash_Tomas_Wang
    // in bitmap 1.
    void SetTagKey(uint32_t key);
    bool HasTagKeyBits(uint32_t key) const;
    // Neither of the key's bits is set.
    bool HasNoTagKeyBits(uint32_t key) const;
    void ResetTagKey(uint32_t key);
    // Whether a sentence was tagged by a merge's tagging pass: both bits of
    // its merge key, confirmed by its exact key (the sentence key, or the
    // document), so that a key shared by chance or by the same position in
    // another data file is never taken for it.
    bool HasTagKey(uint32_t key, uint64_t exactKey) const;
    // Records an exact key of a tagging pass; SortTagKeys ends the pass.
    void AddTagKey(uint64_t exactKey) { m_TagKeys.push_back(exactKey); }
    void SortTagKeys();

    // Next free pool entry, its link cleared; null when the pool is used up
    // or absent.
    CRetInfoEx* NewEntry();

    ZeroedArray<CRetInfoEx*> m_Buckets;
    ZeroedArray<uint16_t> m_BucketCount[2];  // per-bucket entry counts
    int m_nBucketCount = 0;
    ZeroedArray<uint8_t> m_Tag[2];  // prefilter bitmaps
    int m_nTagSize = 0;             // bytes of each bitmap
    ZeroedArray<CRetInfoEx> m_Pool;
    int m_nPoolUsed = 0;
    int m_nPoolCapacity = 0;
    std::vector<CRetInfoEx*> m_Candidates;  // filled by hash lookups
    // Exact keys of the tagged sentences, sorted and distinct once a tagging
    // pass ends (8 bytes a key, against the records a result already holds).
    std::vector<uint64_t> m_TagKeys;
    std::vector<uint32_t> m_Passed;          // prefilter keys a fill let through
    // Joins: the probe side's sentences (layer kJoinSentences) and, under an
    // exact relation, the places where its hits meet a partner (layer
    // kJoinPlaces), its hits (of an atom side, by share), and the list side's
    // hits in those sentences.
    static constexpr int kJoinSentences = 0;
    static constexpr int kJoinPlaces = 1;
    SentenceSet m_JoinMarks;
    std::vector<std::vector<CRetInfo>> m_JoinProbeHits;
    SentenceHits m_JoinHits;
    CQAVSearch* m_pOwner = nullptr;
    uint8_t m_bDocLevel = 0;
    int m_nMergeType = kMergeAnd;

private:
    // Bit index of h; m_nTagSize must be positive.
    uint64_t TagBit(uint32_t h) const { return h % static_cast<uint32_t>(m_nTagSize); }
};

}  // namespace qav
