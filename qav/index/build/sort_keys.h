// Records sorted together with a key each: a comparison whose keys differ
// needs no corpus text, and the quicksort, which looks at nothing but the
// comparisons' results, puts the records in the very order the plain
// comparator gives.
#pragma once

#include <cstddef>

#include "common/platform/zq_sort.h"
#include "qav/index/format/record_compare.h"

namespace qav {

// Bytes a key adds in front of each record.
constexpr size_t kSortKeyBytes = 16;

// The comparator of keyed records and what it falls back on for equal keys.
struct KeyedOrder {
    zq_compare_ex_fn compare = nullptr;  // of the records themselves
    void* context = nullptr;             // its context
};

// Compares two keyed records; context is a KeyedOrder*.
int CompareKeyed(const void* a, const void* b, void* context);

// Writes count records of width bytes, each after its key, to keyed
// (count * (kSortKeyBytes + width) bytes).
void AddSortKeys(const unsigned char* records, size_t count, size_t width, UnitType kind, const RecordSortKeys& keys,
                 unsigned char* keyed);
// Writes the records of count keyed records back without their keys.
void DropSortKeys(const unsigned char* keyed, size_t count, size_t width, unsigned char* records);

}  // namespace qav
