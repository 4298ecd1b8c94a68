// Finding the offset records of one unit that continue an atom query: the
// comparison of a record with the query and the bisections over a unit's
// records, which are sorted by the comparators of record_compare.h.
#pragma once

#include <cstdint>
#include <string_view>

#include "qav/index/format/record_compare.h"

namespace qav {

class CAtomSearchQuery;

// True when lo <= index <= hi; then, for kinds 3, 4 and 5, cmp is the
// comparison of record `index` with the query (0 a match, > 0 the record
// sorts after it). A record without a full context in its data file compares
// as 1; so does every record of any other kind.
bool CmpFunc(const RecordCompareContext& ctx, const unsigned char* records, int64_t index,
             std::string_view queryText, const uint32_t* ids, int n, UnitType kind, int& cmp, int64_t lo,
             int64_t hi);

// First (last) index in [lo, hi] whose record compares 0; false when the
// bisection finds none. An empty pattern text gives lo (hi) at once.
bool bSearchLow(const RecordCompareContext& ctx, const unsigned char* records, int64_t lo, int64_t hi,
                std::string_view queryText, const uint32_t* ids, int n, UnitType kind, int64_t& low);
bool bSearchHigh(const RecordCompareContext& ctx, const unsigned char* records, int64_t lo, int64_t hi,
                 std::string_view queryText, const uint32_t* ids, int n, UnitType kind, int64_t& high);

// Inclusive range of the records of one unit (count records) that match the
// query; false when there is none. When the bisections fail (the order is
// broken for this query) a sampled scan gives a range that may also hold
// records that do not match.
bool GetLowHigh(const RecordCompareContext& ctx, const unsigned char* records, int64_t count,
                const CAtomSearchQuery& query, UnitType kind, int64_t& low, int64_t& high);

}  // namespace qav
