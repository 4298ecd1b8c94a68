// In-place quicksort of fixed-size elements: no allocation, an explicit stack
// instead of recursion, median-of-three pivots and a final insertion pass.
// Not stable: equal elements may change order.
#pragma once

#include <cstddef>
#include <functional>

#include "common/platform/qz_export.h"

extern "C" {

typedef int (*zq_compare_fn)(const void* a, const void* b);
typedef int (*zq_compare_ex_fn)(const void* a, const void* b, void* context);

// Comparators return a negative, zero or positive int, like qsort's.
QZ_EXPORT void zq_quicksort(void* base, size_t count, size_t size, zq_compare_fn compare);
// As zq_quicksort; every comparison also receives the context.
QZ_EXPORT void zq_quicksort_ex(void* base, size_t count, size_t size, zq_compare_ex_fn compare,
                               void* context);

}

namespace qz {

// zq_quicksort_ex spread over several threads, with the very same result.
// ZqPartitionEx partitions a range as zq_quicksort_ex does and passes every
// part of at least minHandOff elements that it would come back to later to
// handOff, which must partition that part with ZqPartitionEx in turn (on any
// thread). Once every part is partitioned, ZqFinishEx over the whole array
// completes the sort.
using ZqHandOff = std::function<void(void* part, size_t count)>;
void ZqPartitionEx(void* base, size_t count, size_t size, zq_compare_ex_fn compare, void* context, size_t minHandOff,
                   const ZqHandOff& handOff);
void ZqFinishEx(void* base, size_t count, size_t size, zq_compare_ex_fn compare, void* context);

}  // namespace qz
