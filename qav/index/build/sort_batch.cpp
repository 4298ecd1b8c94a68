#include "qav/index/build/sort_batch.h"

#include <atomic>

namespace qav {

SortWork& SortBatch::Add() {
    works_.push_back(std::make_unique<SortWork>());
    return *works_.back();
}

namespace {

// Records of small units gathered into one task.
constexpr uint64_t kSmallUnitTaskRecords = 16384;

}  // namespace

void SortBatch::StartLast() {
    SortWork& work = *works_.back();
    if (work.count >= SortWork::kInlineSortRecords) {
        work.SortOffsetThread_Splitted(order_, pool_);
        return;
    }
    // A small unit is sorted whole by the task that takes it; several such
    // units make one task.
    work.ReadyKeys(order_);
    small_.push_back(&work);
    small_records_ += work.count;
    if (small_records_ >= kSmallUnitTaskRecords) SubmitSmallUnits();
}

void SortBatch::SubmitSmallUnits() {
    if (small_.empty()) return;
    pool_.Submit([this, units = std::move(small_)] {
        for (SortWork* work : units) work->SortOffsetThread_Splitted(order_, pool_);
    });
    small_.clear();
    small_records_ = 0;
}

void SortBatch::Join() {
    SubmitSmallUnits();
    pool_.Wait();
}

bool SortBatch::ProcessSorted(CHashTable& splitHash) {
    Join();
    // Each unit at its own offset (a unit may have fewer records than its
    // region holds, so the regions of a batch are not back to back), by
    // positioned writes, so the units go back side by side on the pool:
    // turning keyed records back into records is work of its own.
    std::atomic<bool> ok{true};
    std::vector<SortWork*> task;
    uint64_t taskRecords = 0;
    auto submit = [&] {
        pool_.Submit([&ok, units = std::move(task)] {
            for (SortWork* work : units)
                if (!work->Write2File()) ok = false;
        });
        task.clear();
        taskRecords = 0;
    };
    for (const std::unique_ptr<SortWork>& work : works_) {
        task.push_back(work.get());
        taskRecords += work->count;
        if (taskRecords >= kSmallUnitTaskRecords) submit();
    }
    if (!task.empty()) submit();
    pool_.Wait();
    for (const std::unique_ptr<SortWork>& work : works_) work->AddToSplittedHash(splitHash);
    works_.clear();
    return ok;
}

}  // namespace qav
