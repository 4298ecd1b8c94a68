#include "qav/index/sort_batch.h"

#include <system_error>

SortWork& SortBatch::Add() {
    works_.push_back(std::make_unique<SortWork>());
    return *works_.back();
}

void SortBatch::StartLast() {
    SortWork* work = works_.back().get();
    try {
        threads_.emplace_back([this, work] { work->SortOffsetThread_Splitted(order_, max_threads_); });
    } catch (const std::system_error&) {
        work->SortOffsetThread_Splitted(order_, max_threads_);  // no thread to be had: sort here
    }
}

void SortBatch::Join() {
    for (std::thread& thread : threads_)
        if (thread.joinable()) thread.join();
    threads_.clear();
}

bool SortBatch::ProcessSorted(CHashTable& splitHash) {
    Join();
    bool ok = true;
    for (const std::unique_ptr<SortWork>& work : works_) {
        // Each unit at its own offset: a unit may have fewer records than its
        // region holds, so the regions of a batch are not back to back.
        if (!work->Write2File()) ok = false;
        work->AddToSplittedHash(splitHash);
    }
    works_.clear();
    return ok;
}
