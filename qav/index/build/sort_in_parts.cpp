#include "qav/index/build/sort_in_parts.h"

#include <atomic>
#include <memory>
#include <utility>

namespace qav {

namespace {

// Parts smaller than this are partitioned by the task that made them.
constexpr size_t kMinPartToHandOff = 16384;

struct PartedSort {
    unsigned char* base;
    size_t count;
    PartSorter sorter;
    SortPool* pool;
    std::atomic<size_t> unpartitioned{1};  // parts submitted and not yet partitioned
};

void PartitionPart(const std::shared_ptr<PartedSort>& sort, void* part, size_t count) {
    sort->sorter.partition(part, count, kMinPartToHandOff, [&sort](void* next, size_t nextCount) {
        sort->unpartitioned.fetch_add(1);
        sort->pool->Submit([sort, next, nextCount] { PartitionPart(sort, next, nextCount); });
    });
    // The last part to be partitioned finishes the whole array.
    if (sort->unpartitioned.fetch_sub(1) == 1) sort->sorter.finish(sort->base, sort->count);
}

}  // namespace

PartSorter ComparatorPartSorter(size_t width, zq_compare_ex_fn compare, void* context) {
    return {[=](void* part, size_t count, size_t minHandOff, const qz::ZqHandOff& handOff) {
                qz::ZqPartitionEx(part, count, width, compare, context, minHandOff, handOff);
            },
            [=](void* base, size_t count) { qz::ZqFinishEx(base, count, width, compare, context); }};
}

void SortInParts(unsigned char* base, size_t count, PartSorter sorter, SortPool& pool) {
    auto sort = std::shared_ptr<PartedSort>(new PartedSort{base, count, std::move(sorter), &pool});
    pool.Submit([sort] { PartitionPart(sort, sort->base, sort->count); });
}

}  // namespace qav
