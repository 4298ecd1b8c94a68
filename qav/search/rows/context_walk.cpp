#include "qav/search/rows/context_walk.h"

#include <algorithm>
#include <chrono>
#include <random>
#include <vector>

#include "qav/search/atom/atom_ret.h"
#include "qav/search/atom/record_walk.h"
#include "qav/search/merge/parallel_shares.h"
#include "qav/search/merge/qav_ret.h"
#include "qav/search/filter/query_clock.h"
#include "qav/search/filter/query_time.h"

namespace qav {

namespace {

// The clock is read only after a new row or after this many rejections.
constexpr int64_t kRejectionsPerClockRead = kTimeCheckInterval;
constexpr int64_t kSmallestStride = 3;
constexpr int64_t kStrideBelowSmallest = 2;

// Sample phases; each thread has its own generator.
int64_t RandomPhase(int64_t stride) {
    thread_local std::mt19937_64 generator(
        static_cast<uint64_t>(std::chrono::system_clock::now().time_since_epoch().count()));
    return static_cast<int64_t>(generator() % static_cast<uint64_t>(stride));
}

constexpr uint64_t kRejectedRecord = UINT64_MAX;  // no sentence key has every bit set

// The sentence key of every record in walk order (kRejectedRecord for one the
// test rejects), tested in shares on worker threads. Returns how many leading
// keys are known: all of them unless the time limit stopped a share.
int64_t KeysInShares(const CAtomRet& result, int64_t records, const AcceptRecordFn& accept,
                     std::vector<uint64_t>& keys) {
    keys.assign(static_cast<size_t>(records), kRejectedRecord);
    std::vector<int64_t> stoppedAt(PassShares(), -1);
    RunShares(PassShares(), [&](int share) {
        const int64_t from = records * share / PassShares();
        const int64_t to = records * (share + 1) / PassShares();
        int64_t at = from;
        VisitRawRecordsInRange(result, from, to, [&](const unsigned char* record, uint8_t width) {
            if ((at - from + 1) % kRejectionsPerClockRead == 0 && ContextTimedOut()) {
                stoppedAt[static_cast<size_t>(share)] = at;
                return false;
            }
            uint64_t key = 0;
            if (accept(record, width, key)) keys[static_cast<size_t>(at)] = key;
            ++at;
            return true;
        });
    });
    for (int64_t stop : stoppedAt)
        if (stop >= 0) return stop;
    return records;
}

// A set of sentence keys for one walk, with room for a given number: open
// addressing in one array, so that a key costs no allocation.
class KeySet {
public:
    explicit KeySet(size_t most) {
        size_t size = 16;
        while (size < 2 * most) size *= 2;
        if (most > 0) m_slots.assign(size, kRejectedRecord);
        m_mask = size - 1;
    }
    // False when the key was in the set already.
    bool Insert(uint64_t key) {
        for (size_t i = ((key * 0x9E3779B97F4A7C15ull) >> 32) & m_mask;; i = (i + 1) & m_mask) {
            if (m_slots[i] == key) return false;
            if (m_slots[i] == kRejectedRecord) {
                m_slots[i] = key;
                return true;
            }
        }
    }

private:
    std::vector<uint64_t> m_slots;
    size_t m_mask = 0;
};

ContextWalkResult SampledWalk(const CAtomRet& result, int64_t hits, const ContextWalkSetup& setup,
                              std::unordered_set<uint64_t>& seen, const AcceptRecordFn& accept,
                              const AddRowFn& addRow) {
    const int64_t stride = SampleStride(setup.conditions, hits, setup.pageSize);
    const int64_t phase = RandomPhase(stride);
    ContextWalkResult out;
    int64_t g = 0;
    int64_t rows = 0;
    int64_t rejections = 0;
    int misses = 0;
    bool trying = false;
    bool finished = false;
    bool timedOut = false;
    VisitRawRecords(result, [&](const unsigned char* record, uint8_t width) {
        if (g++ % stride == phase) {
            trying = true;
            misses = 0;
        }
        if (!trying) return true;
        uint64_t key = 0;
        if (accept(record, width, key)) {
            trying = false;
            if (!seen.insert(key).second) return true;
            addRow(key);
            if (++rows >= setup.pageSize) {
                finished = true;
                return false;
            }
            if (ContextTimedOut()) {
                timedOut = true;
                return false;
            }
            return true;
        }
        if (setup.conditions && ++misses >= kSampleMissLimit) trying = false;
        if (++rejections % kRejectionsPerClockRead == 0 && ContextTimedOut()) {
            timedOut = true;
            return false;
        }
        return true;
    });
    if (finished) {
        out.approximate = setup.conditions;
        out.total = hits;
    } else if (timedOut) {
        out.approximate = true;
        out.total = setup.conditions ? (rows > 0 ? hits : 0) : rows;
    } else if (setup.conditions) {
        out.approximate = true;
        out.total = rows > 0 ? hits : 0;
    } else {
        out.total = hits;
    }
    return out;
}

ContextWalkResult PagedWalk(const CAtomRet& result, int64_t hits, const ContextWalkSetup& setup,
                            std::unordered_set<uint64_t>& seen, const AcceptRecordFn& accept,
                            const AddRowFn& addRow) {
    const int64_t first = int64_t{setup.pageSize} * setup.page;
    const int64_t end = first + setup.pageSize;
    const int64_t last = end - 1;
    const bool large = hits >= kPagedStopFromHits;
    ContextWalkResult out;
    int64_t k = 0;
    int64_t rejections = 0;
    bool timedOut = false;
    // Every record is tested when the walk does not stop at its page: the
    // tests then run in shares first (when nothing was output before), and
    // the walk reads their keys, testing again only the records that become
    // rows, for what accept keeps.
    std::vector<uint64_t> keys;
    int64_t known = -1;
    if (const int64_t records = CountSegmentRecords(result);
        setup.concurrentAccept && !large && seen.empty() && records >= kSharedContextFromHits)
        known = KeysInShares(result, records, *setup.concurrentAccept, keys);
    KeySet distinct(known >= 0 ? static_cast<size_t>(known) : 0);
    int64_t at = 0;
    VisitRawRecords(result, [&](const unsigned char* record, uint8_t width) {
        uint64_t key = 0;
        if (known >= 0) {
            if (at >= known) {
                timedOut = true;
                return false;
            }
            key = keys[static_cast<size_t>(at++)];
            if (key == kRejectedRecord || !distinct.Insert(key)) return true;
            uint64_t rowKey = 0;
            if (k >= first && k < end && accept(record, width, rowKey)) {
                seen.insert(key);
                addRow(key);
            }
            if ((k + 1) % kRejectionsPerClockRead == 0 && ContextTimedOut()) {
                timedOut = true;
                return false;
            }
            ++k;
            return true;
        }
        if (!accept(record, width, key)) {
            if (++rejections % kRejectionsPerClockRead == 0 && ContextTimedOut()) {
                timedOut = true;
                return false;
            }
            return true;
        }
        if (!seen.insert(key).second) return true;
        if (k >= first && k < end) addRow(key);
        if (large && k >= last) {
            return false;
        }
        if (ContextTimedOut()) {
            timedOut = true;
            return false;
        }
        ++k;
        return true;
    });
    if (timedOut) {
        out.approximate = true;
        out.total = k;
    } else {
        out.total = large ? hits : k;
        // A total taken from the record count is exact only when no
        // condition can reject a record.
        out.approximate = large && setup.conditions;
    }
    return out;
}

}  // namespace

int NormalContextPageSize(int pageSize) { return pageSize == -1 ? kDefaultContextPageSize : pageSize; }

bool UseSampledWalk(bool hasLimits, int64_t hits, int pageSize) {
    return !hasLimits && hits >= kSampleFromHits && pageSize >= 1;
}

int64_t SampleStride(bool conditions, int64_t hits, int pageSize) {
    if (conditions) return kConditionStride;
    const int64_t stride =
        pageSize >= 1 ? static_cast<int64_t>(static_cast<uint64_t>(hits) / static_cast<uint64_t>(pageSize)) : 0;
    return stride < kSmallestStride ? kStrideBelowSmallest : stride;
}

ContextWalkResult WalkAtomContext(const CAtomRet& result, const ContextWalkSetup& setup,
                                  std::unordered_set<uint64_t>& seen, const AcceptRecordFn& accept,
                                  const AddRowFn& addRow) {
    const int64_t hits = result.TotalHits();
    if (hits <= 0) return {};
    if (UseSampledWalk(setup.hasLimits, hits, setup.pageSize))
        return SampledWalk(result, hits, setup, seen, accept, addRow);
    return PagedWalk(result, hits, setup, seen, accept, addRow);
}

ContextWalkResult WalkMergedContext(const CQAVRet& result, bool estimateAllowed, const ContextWalkSetup& setup,
                                    std::unordered_set<uint64_t>& seen, const AcceptHitFn& accept,
                                    const AddRowFn& addRow) {
    const int64_t first = int64_t{setup.pageSize} * setup.page;
    const int64_t end = first + setup.pageSize;
    const int64_t last = end - 1;
    int64_t estimate = estimateAllowed ? result.m_nCount : 0;
    ContextWalkResult out;
    int64_t k = 0;
    for (int i = 0; i < result.m_nCount; ++i) {
        uint64_t key = 0;
        if (!accept(result.m_Hits[i], key)) {
            if (i % kRejectionsPerClockRead == 0 && ContextTimedOut()) {
                out.approximate = true;
                out.total = k;
                return out;
            }
            continue;
        }
        if (!seen.insert(key).second) {
            if (estimate > 0) --estimate;
            continue;
        }
        if (k >= first && k < end) addRow(key);
        if (k >= last) {
            if (estimate > 0) {
                out.total = estimate;
            } else {
                out.approximate = true;
                out.total = result.m_nCount;
            }
            return out;
        }
        if (ContextTimedOut()) {
            out.approximate = true;
            out.total = k;
            return out;
        }
        ++k;
    }
    out.total = estimate != 0 ? estimate : k;
    return out;
}

}  // namespace qav
