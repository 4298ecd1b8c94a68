// One index unit whose offset records are being sorted: its region read from
// the offset file, cut into chunks, sorted in memory and later written back.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "common/platform/zq_sort.h"
#include "qav/index/engine/hash_table.h"
#include "qav/index/build/sort_keys.h"
#include "qav/index/build/sort_pool.h"
#include "qav/index/format/record_compare.h"

namespace qav {

// Comparators of the three record kinds and the context they all receive.
struct RecordOrder {
    zq_compare_ex_fn tag_l = nullptr;  // type 3
    zq_compare_ex_fn tag_r = nullptr;  // type 4
    zq_compare_ex_fn ml = nullptr;     // type 5
    void* context = nullptr;
    // Keys of the records of context's corpus; without them, or with other
    // comparators than the kinds' own, records are sorted without keys.
    const RecordSortKeys* keys = nullptr;

    // Null for types whose records are left unsorted.
    zq_compare_ex_fn ForType(int32_t type) const;
};

// Bytes that are all written before they are read (records read from a
// region, keyed records made from them), so they are not zeroed first: the
// zeroing touched every page on the thread that hands out the work, where the
// pool's threads now touch them as they fill them.
class UnfilledBytes {
public:
    void Reset(size_t size) {
        bytes_.reset(size > 0 ? new unsigned char[size] : nullptr);
        size_ = size;
    }
    void Free() { Reset(0); }
    unsigned char* data() { return bytes_.get(); }
    const unsigned char* data() const { return bytes_.get(); }
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

private:
    std::unique_ptr<unsigned char[]> bytes_;
    size_t size_ = 0;
};

class SortWork {
public:
    // Below this many records a chunk sorts faster than a hand-off to a worker.
    static constexpr uint32_t kInlineSortRecords = 256;

    std::string text;
    int64_t offset = 0;    // region start in the offset file
    uint32_t count = 0;    // records written to the region
    int32_t type = 0;
    std::FILE* file = nullptr;
    uint32_t chunk_limit = 0;
    uint8_t file_no = 0;
    UnfilledBytes records;
    std::vector<uint32_t> chunks;
    // While a sort with the record kind's own comparator runs: the records
    // with their sort keys, and the order of such keyed records.
    UnfilledBytes keyed;
    KeyedOrder keyed_order;
    const RecordSortKeys* keys = nullptr;

    // Reads the unit's region into records, zeroes records that point
    // outside the corpus and cuts the records into chunks. False when the
    // region cannot be read whole.
    bool SetThreadInfoEx(const std::string& unitText, int64_t regionOffset, uint32_t recordCount,
                         int32_t unitType, std::FILE* offsetFile, uint32_t chunkLimit, uint8_t offsetFileNo,
                         const RecordCompareContext& corpus);

    // Sorts the records, whole or chunk by chunk; every chunk becomes a sorted
    // run of its own. Small chunks are sorted here, larger ones go to the pool
    // (the largest spread over its threads) and are done once the pool has
    // been waited for.
    void SortOffsetThread_Splitted(const RecordOrder& order, SortPool& pool);
    // When the records are sorted with keys (the kind's own comparator, keys
    // at hand, records of some width): makes the room for the keyed records,
    // once, and true. The thread that reads the records calls it, so that a
    // batch's buffers come from its heap instead of being spread over the
    // heaps of the pool's threads, which keep what they once held.
    bool ReadyKeys(const RecordOrder& order);
    // Sorts chunk k in place.
    void SortOffsetThread(size_t k, const RecordOrder& order);

    // Writes the records (back from their keyed copy, when sorted with keys)
    // at the region's own offset and frees them; false
    // (after logging "Write2File Error!\n") on a failed write.
    bool Write2File();

    // Registers every chunk as a chunk unit "%s_%d" in the split-unit hash,
    // with its record count, region and file; only units cut in more than one
    // chunk have chunk units.
    void AddToSplittedHash(CHashTable& splitHash) const;

    int width() const;
    // Records before chunk k.
    uint64_t ChunkStart(size_t k) const;

private:
    // Keys chunk k's records and sorts them by CompareKeyed.
    void SortKeyedChunk(size_t k);
    unsigned char* KeyedChunk(size_t k);
    // Bytes of one keyed record.
    size_t KeyedBytes() const;
    // Keys chunk k on the pool's threads, then sorts it there in parts.
    void KeyInPartsThenSort(size_t k, SortPool& pool);
};

}  // namespace qav
