#include "qav/index/build/keyed_sort.h"

#include <type_traits>

#include "common/platform/zq_sort_steps.h"

namespace qav {

namespace {

template <size_t Bytes>
using FixedSize = std::integral_constant<size_t, Bytes>;

// Calls run(size) with the keyed record size as a compile-time constant
// where it is one of the usual ones: a context window of ten words, or no
// words carried, with 8- or 9-byte records.
template <typename Run>
void WithKeyedSize(size_t keyedBytes, Run&& run) {
    constexpr size_t kTenWords = kSortKeyBytes + 4 * 10;
    switch (keyedBytes) {
        case kTenWords + 8: run(FixedSize<kTenWords + 8>{}); return;
        case kTenWords + 9: run(FixedSize<kTenWords + 9>{}); return;
        case kSortKeyBytes + 8: run(FixedSize<kSortKeyBytes + 8>{}); return;
        case kSortKeyBytes + 9: run(FixedSize<kSortKeyBytes + 9>{}); return;
        default: run(keyedBytes);
    }
}

auto LessOf(const KeyedOrder& order) {
    return [&order](const char* a, const char* b) {
        return CompareKeyedRecords(reinterpret_cast<const unsigned char*>(a), reinterpret_cast<const unsigned char*>(b),
                                   order) < 0;
    };
}

}  // namespace

void SortKeyed(unsigned char* keyed, size_t count, size_t keyedBytes, const KeyedOrder& order) {
    WithKeyedSize(keyedBytes, [&](auto size) { qz::sort_steps::QuickSort(keyed, count, size, LessOf(order)); });
}

PartSorter KeyedPartSorter(size_t keyedBytes, const KeyedOrder& order) {
    const KeyedOrder* kept = &order;
    auto partition = [keyedBytes, kept](void* part, size_t count, size_t minHandOff, const qz::ZqHandOff& handOff) {
        WithKeyedSize(keyedBytes, [&](auto size) {
            qz::sort_steps::PartitionHandingOff(part, count, size, LessOf(*kept), minHandOff, handOff);
        });
    };
    auto finish = [keyedBytes, kept](void* base, size_t count) {
        WithKeyedSize(keyedBytes,
                      [&](auto size) { qz::sort_steps::FinishPartitioned(base, count, size, LessOf(*kept)); });
    };
    return {partition, finish};
}

}  // namespace qav
