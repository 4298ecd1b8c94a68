// Sorting one large array on the sorting threads, with the order a single
// zq_quicksort_ex would give: the large parts left by each partition step
// become tasks of their own.
#pragma once

#include <cstddef>

#include "common/platform/zq_sort.h"
#include "qav/index/build/sort_pool.h"

namespace qav {

// Submits the sort to the pool; the array is sorted once the pool has been
// waited for.
void SortInParts(unsigned char* base, size_t count, size_t width, zq_compare_ex_fn compare, void* context,
                 SortPool& pool);

}  // namespace qav
