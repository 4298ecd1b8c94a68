// Log lines of results that a configured capacity cut short. A cut result
// is answered as approximate; its log line names the capacity ("SizeInfo" key
// of the index configuration) and how far the result got, so that whoever
// reads the log knows which key to raise.
#pragma once

#include <cstdint>

namespace qav {

// A join, merge, filter or row list kept `kept` items and left `leftOut`
// more out: "Approximate: RetInfoMaxSize 102400 cut the join at 102400 hits,
// 103458 more left out".
void LogCapacityCut(const char* capacity, int64_t size, const char* step, const char* items, int64_t kept,
                    int64_t leftOut);
// An atom search searched `searched` of a unit's `units` units and found
// `hits` hits in them; the units not searched were not counted.
void LogAtomSearchCut(const char* capacity, int64_t size, const char* unit, int64_t searched, int64_t units,
                      int64_t hits);

}  // namespace qav
