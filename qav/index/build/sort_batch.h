// A batch of consecutive units of one offset file whose records are sorted
// concurrently by a pool of at most maxThreads threads, then written back by
// the same pool.
#pragma once

#include <memory>
#include <vector>

#include "qav/index/engine/hash_table.h"
#include "qav/index/build/sort_pool.h"
#include "qav/index/build/sort_work.h"

namespace qav {

class SortBatch {
public:
    SortBatch(const RecordOrder& order, int maxThreads) : order_(order), pool_(maxThreads) {}
    ~SortBatch() { Join(); }
    SortBatch(const SortBatch&) = delete;
    SortBatch& operator=(const SortBatch&) = delete;

    size_t size() const { return works_.size(); }
    // A work record for the next unit of the batch.
    SortWork& Add();
    // Starts sorting the work record last added; small units are gathered
    // and sorted together on one of the pool's threads.
    void StartLast();

    // Joins the batch, writes every unit's records back at the unit's own
    // region and registers the chunk units in splitHash; the batch is then
    // empty. False when a unit's records could not be written.
    bool ProcessSorted(CHashTable& splitHash);
    // Waits until every started unit is sorted.
    void Join();

private:
    // Hands the small units collected so far to the pool as one task.
    void SubmitSmallUnits();

    RecordOrder order_;
    std::vector<std::unique_ptr<SortWork>> works_;
    // Units too small for a task of their own, waiting to be sorted together.
    std::vector<SortWork*> small_;
    uint64_t small_records_ = 0;
    SortPool pool_;  // last: its workers stop before the works they sort go
};

}  // namespace qav
