#include "qav/search/atom/record_search.h"

#include <optional>
#include <string>

#include "qav/search/atom/atom_query.h"

namespace qav {

namespace {

// The comparison of one unit's records with one query (1 outside [lo, hi]
// and for a record without a full context); the query's context text is made
// once for each way a context runs.
class RecordProbe {
public:
    RecordProbe(const RecordCompareContext& ctx, const unsigned char* records, std::string_view text,
                const uint32_t* ids, int n, UnitType kind, int64_t lo, int64_t hi)
        : ctx_(ctx), records_(records), text_(text), ids_(ids), n_(n), kind_(kind), lo_(lo), hi_(hi) {}

    int operator()(int64_t index) const {
        if (index < lo_ || index > hi_) return 1;
        RecordContextStart start;
        if (!GetRecordContextStart(ctx_, records_ + index * SearchRecordWidth(kind_), kind_, start)) return 1;
        return CompareWithQueryKey(ctx_, *start.file, start.start, start.leftward, KeyOf(start.leftward));
    }

private:
    const std::string& KeyOf(bool leftward) const {
        std::optional<std::string>& key = keys_[leftward ? 1 : 0];
        if (!key) key = QueryContextKey(ctx_, text_, ids_, n_, leftward);
        return *key;
    }

    const RecordCompareContext& ctx_;
    const unsigned char* records_;
    std::string_view text_;
    const uint32_t* ids_;
    int n_;
    UnitType kind_;
    int64_t lo_;
    int64_t hi_;
    mutable std::optional<std::string> keys_[2];  // rightward, leftward
};

}  // namespace

bool CmpFunc(const RecordCompareContext& ctx, const unsigned char* records, int64_t index,
             std::string_view queryText, const uint32_t* ids, int n, UnitType kind, int& cmp, int64_t lo,
             int64_t hi) {
    if (index < lo || index > hi) return false;
    cmp = RecordProbe(ctx, records, queryText, ids, n, kind, lo, hi)(index);
    return true;
}

namespace {

// First index in [from, to] whose record does not sort before the query
// (to + 1 when all do).
int64_t FirstNotBefore(const RecordProbe& probe, int64_t from, int64_t to) {
    int64_t left = from;
    int64_t right = to + 1;
    while (left < right) {
        const int64_t middle = left + (right - left) / 2;
        if (probe(middle) < 0)
            left = middle + 1;
        else
            right = middle;
    }
    return left;
}

// First index in [from, to] whose record sorts after the query.
int64_t FirstAfter(const RecordProbe& probe, int64_t from, int64_t to) {
    int64_t left = from;
    int64_t right = to + 1;
    while (left < right) {
        const int64_t middle = left + (right - left) / 2;
        if (probe(middle) <= 0)
            left = middle + 1;
        else
            right = middle;
    }
    return left;
}

// Sampled scan for a query whose records are not in order: probe every
// step-th record, then widen around the first match, tolerating up to step
// consecutive misses on each side.
bool ScanForRange(const RecordProbe& probe, int64_t count, int64_t& low, int64_t& high) {
    const int64_t step = count <= 100 ? 1 : count <= 10000 ? 2 : count / 500;
    int64_t found = -1;
    for (int64_t i = 0; i < count; i += step) {
        if (probe(i) == 0) {
            found = i;
            break;
        }
    }
    if (found < 0) return false;
    low = high = found;
    int64_t misses = 0;
    for (int64_t i = found - 1; i >= 0; --i) {
        if (probe(i) == 0) {
            low = i;
            misses = 0;
        } else if (misses >= step) {
            break;
        } else {
            ++misses;
        }
    }
    misses = 0;
    for (int64_t i = found + 1; i < count; ++i) {
        if (probe(i) == 0) {
            high = i;
            misses = 0;
        } else if (misses >= step) {
            break;
        } else {
            ++misses;
        }
    }
    return true;
}

}  // namespace

bool bSearchLow(const RecordCompareContext& ctx, const unsigned char* records, int64_t lo, int64_t hi,
                std::string_view queryText, const uint32_t* ids, int n, UnitType kind, int64_t& low) {
    low = 0;
    if (queryText.empty()) {
        low = lo;
        return true;
    }
    if (lo > hi) return false;
    const RecordProbe probe{ctx, records, queryText, ids, n, kind, lo, hi};
    const int64_t index = FirstNotBefore(probe, lo, hi);
    if (index > hi || probe(index) != 0) return false;
    low = index;
    return true;
}

bool bSearchHigh(const RecordCompareContext& ctx, const unsigned char* records, int64_t lo, int64_t hi,
                 std::string_view queryText, const uint32_t* ids, int n, UnitType kind, int64_t& high) {
    high = 0;
    if (queryText.empty()) {
        high = hi;
        return true;
    }
    if (lo > hi) return false;
    const RecordProbe probe{ctx, records, queryText, ids, n, kind, lo, hi};
    const int64_t index = FirstAfter(probe, lo, hi) - 1;
    if (index < lo || probe(index) != 0) return false;
    high = index;
    return true;
}

bool GetLowHigh(const RecordCompareContext& ctx, const unsigned char* records, int64_t count,
                const CAtomSearchQuery& query, UnitType kind, int64_t& low, int64_t& high) {
    if (count <= 0) return false;
    const std::string_view text = query.pattern;
    const uint32_t* ids = query.ids.data();
    const int n = query.idCount();
    const bool lowFound = bSearchLow(ctx, records, 0, count - 1, text, ids, n, kind, low);
    const bool highFound = bSearchHigh(ctx, records, 0, count - 1, text, ids, n, kind, high);
    if (lowFound && highFound) return true;

    const RecordProbe probe{ctx, records, text, ids, n, kind, 0, count - 1};
    if (highFound) {
        // Smallest matching index in [0, high]; a miss moves to the right.
        int64_t left = 0;
        int64_t right = high;
        while (left < right) {
            const int64_t middle = left + (right - left) / 2;
            if (probe(middle) == 0)
                right = middle;
            else
                left = middle + 1;
        }
        low = left;
        return true;
    }
    if (lowFound) {
        // Largest matching index in [low, count - 1]; a miss moves to the left.
        int64_t left = low;
        int64_t right = count - 1;
        while (left < right) {
            const int64_t middle = left + (right - left + 1) / 2;
            if (probe(middle) == 0)
                left = middle;
            else
                right = middle - 1;
        }
        high = left;
        return true;
    }
    return ScanForRange(probe, count, low, high);
}

}  // namespace qav
