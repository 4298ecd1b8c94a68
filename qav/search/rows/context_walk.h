// The walks that pick the hits of one page of context lines: a sampled walk
// over large results without limit ranges, a paged walk otherwise, and the
// walk over the hits of a merged result. The walks own the page arithmetic,
// duplicate removal, totals and time limit; what makes a hit acceptable and
// what a row is are the caller's.
#pragma once

#include <cstdint>
#include <functional>
#include <unordered_set>

namespace qav {

class CAtomRet;
class CQAVRet;
struct CRetInfo;

// Page size asked as -1.
constexpr int kDefaultContextPageSize = 1024;
// Atom results of at least this many records are sampled when they have no
// limit ranges.
constexpr int64_t kSampleFromHits = 200001;
// The paged walk stops at the end of its page in results this large.
constexpr int64_t kPagedStopFromHits = 204801;
// Sampling stride when conditions may reject hits, and the rejections in a
// row after which a sample point is given up.
constexpr int64_t kConditionStride = 10000;
constexpr int kSampleMissLimit = 100;

int NormalContextPageSize(int pageSize);
// Whether an atom result of hits records is sampled rather than paged.
bool UseSampledWalk(bool hasLimits, int64_t hits, int pageSize);
// Distance between sample points.
int64_t SampleStride(bool conditions, int64_t hits, int pageSize);

struct ContextWalkResult {
    int64_t total = 0;
    bool approximate = false;
};

// The acceptance test of one record of the given width: true, with its
// sentence key, when it may become a row.
using AcceptRecordFn = std::function<bool(const unsigned char* record, uint8_t width, uint64_t& key)>;
// The acceptance test of a merged hit.
using AcceptHitFn = std::function<bool(const CRetInfo& hit, uint64_t& key)>;
// Makes the row of the hit accepted last.
using AddRowFn = std::function<void(uint64_t key)>;

struct ContextWalkSetup {
    bool conditions = false;  // limit ranges, filters, checks or a base
    bool hasLimits = false;
    int page = 0;
    int pageSize = kDefaultContextPageSize;  // already normal
    // The acceptance test of an atom result's records without what accept
    // keeps for the row: the same answer and key, safe to run on several
    // threads at once; null when there is none. With it, a paged walk that
    // has to test every record of a large result tests them in shares on
    // worker threads first.
    const AcceptRecordFn* concurrentAccept = nullptr;
};

// Paged walks over at least this many records test them in shares when they
// can.
constexpr int64_t kSharedContextFromHits = 20000;

// Walks an atom result; seen holds the sentence keys already output, and the
// walk adds those of its rows (and may add the other keys it meets).
ContextWalkResult WalkAtomContext(const CAtomRet& result, const ContextWalkSetup& setup,
                                  std::unordered_set<uint64_t>& seen, const AcceptRecordFn& accept,
                                  const AddRowFn& addRow);

// Walks a merged result. estimateAllowed: no limit ranges, no filter and no
// check, so that the item count less duplicates estimates the total.
ContextWalkResult WalkMergedContext(const CQAVRet& result, bool estimateAllowed, const ContextWalkSetup& setup,
                                    std::unordered_set<uint64_t>& seen, const AcceptHitFn& accept,
                                    const AddRowFn& addRow);

}  // namespace qav
