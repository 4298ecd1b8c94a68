#include "qav/index/build/sort_batch.h"

namespace qav {

SortWork& SortBatch::Add() {
    works_.push_back(std::make_unique<SortWork>());
    return *works_.back();
}

void SortBatch::StartLast() { works_.back()->SortOffsetThread_Splitted(order_, pool_); }

void SortBatch::Join() { pool_.Wait(); }

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

}  // namespace qav
