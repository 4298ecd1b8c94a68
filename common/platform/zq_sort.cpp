#include "common/platform/zq_sort.h"

#include "common/platform/zq_sort_steps.h"

namespace qz {

void ZqPartitionEx(void* base, size_t count, size_t size, zq_compare_ex_fn compare, void* context, size_t minHandOff,
                   const ZqHandOff& handOff) {
    sort_steps::PartitionHandingOff(
        base, count, size, [compare, context](const char* a, const char* b) { return compare(a, b, context) < 0; },
        minHandOff, handOff);
}

void ZqFinishEx(void* base, size_t count, size_t size, zq_compare_ex_fn compare, void* context) {
    sort_steps::FinishPartitioned(base, count, size, [compare, context](const char* a, const char* b) {
        return compare(a, b, context) < 0;
    });
}

}  // namespace qz

void zq_quicksort(void* base, size_t count, size_t size, zq_compare_fn compare) {
    qz::sort_steps::QuickSort(base, count, size,
                              [compare](const char* a, const char* b) { return compare(a, b) < 0; });
}

void zq_quicksort_ex(void* base, size_t count, size_t size, zq_compare_ex_fn compare, void* context) {
    qz::sort_steps::QuickSort(base, count, size,
                              [compare, context](const char* a, const char* b) { return compare(a, b, context) < 0; });
}
