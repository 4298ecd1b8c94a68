// The quicksort of keyed records (sort_keys.h) with their comparison
// inlined and, for the common widths, their size fixed at compile time: the
// steps of zq_quicksort_ex by CompareKeyed, and so the very same order, at
// less than the cost of a call per comparison and per moved element.
#pragma once

#include <cstddef>

#include "qav/index/build/sort_in_parts.h"
#include "qav/index/build/sort_keys.h"

namespace qav {

// zq_quicksort_ex(keyed, count, keyedBytes, CompareKeyed, &order).
void SortKeyed(unsigned char* keyed, size_t count, size_t keyedBytes, const KeyedOrder& order);

// The steps of that sort, for SortInParts; order must outlive the sort.
PartSorter KeyedPartSorter(size_t keyedBytes, const KeyedOrder& order);

}  // namespace qav
