// Sorting one large array on the sorting threads, with the order a single
// zq_quicksort_ex would give: the large parts left by each partition step
// become tasks of their own.
#pragma once

#include <cstddef>
#include <functional>

#include "common/platform/zq_sort.h"
#include "qav/index/build/sort_pool.h"

namespace qav {

// The steps of one array's sort: partition(part, count, minHandOff, handOff)
// partitions a part as qz::ZqPartitionEx does, and finish(base, count)
// completes the whole array as qz::ZqFinishEx does once every part is
// partitioned.
struct PartSorter {
    std::function<void(void* part, size_t count, size_t minHandOff, const qz::ZqHandOff& handOff)> partition;
    std::function<void(void* base, size_t count)> finish;
};

// The steps of zq_quicksort_ex by compare over elements of width bytes.
PartSorter ComparatorPartSorter(size_t width, zq_compare_ex_fn compare, void* context);

// Submits the sort to the pool; the array is sorted once the pool has been
// waited for.
void SortInParts(unsigned char* base, size_t count, PartSorter sorter, SortPool& pool);

}  // namespace qav
