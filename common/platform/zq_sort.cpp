#include "common/platform/zq_sort.h"

#include "common/platform/zq_sort_steps.h"

namespace qz {

void ZqPartitionEx(void* base, size_t count, size_t size, zq_compare_ex_fn compare, void* context, size_t minHandOff,
                   const ZqHandOff& handOff) {
    if (count <= sort_steps::kSmallPart || size == 0 || base == nullptr) return;
    auto less = [compare, context](const char* a, const char* b) { return compare(a, b, context) < 0; };
    sort_steps::PartitionLoop(static_cast<char*>(base), count, size, less, [&](char* lo, char* hi) {
        const size_t part = static_cast<size_t>(hi - lo) / size + 1;
        if (part < minHandOff) return false;
        handOff(lo, part);
        return true;
    });
}

void ZqFinishEx(void* base, size_t count, size_t size, zq_compare_ex_fn compare, void* context) {
    if (count == 0 || size == 0 || base == nullptr) return;
    sort_steps::InsertionPass(static_cast<char*>(base), count, size,
                              [compare, context](const char* a, const char* b) { return compare(a, b, context) < 0; });
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
