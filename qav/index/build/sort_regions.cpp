#include "qav/index/build/sort_regions.h"

#include <algorithm>

#include "qav/index/base/qav_log.h"
#include "qav/index/build/sort_batch.h"

namespace qav {

namespace {

// Records a batch holds per sorting thread. A record is sorted with its key
// and context words, several times its own size, so this bounds the build's
// memory at the end of the sort.
constexpr uint64_t kBatchRecordsPerThread = 32768;
constexpr size_t kBatchUnits = 4096;

}  // namespace

bool SortUnitRegions(const SortRegionsInput& input, CHashTable& splitHash) {
    const int threads = std::max(input.threads, 1);
    const uint32_t chunkLimit = SortChunkLimit(input.max_unit_count_to_sort);
    // A batch is joined and written back before a unit would take it past
    // this many records, or once it holds kBatchUnits units: large enough
    // that the threads seldom wait for one another at a join, small enough to
    // bound the records held in memory. A larger unit makes a batch alone.
    const uint64_t batchRecordLimit =
        uint64_t{std::min(uint64_t{chunkLimit}, kBatchRecordsPerThread)} * static_cast<uint64_t>(threads);
    const int64_t unitCount = input.units->length();
    QavLog("Sorting Offset...%lld total\n", static_cast<long long>(unitCount));

    SortBatch batch(input.order, threads);
    int currentFile = 255;
    uint64_t batchRecords = 0;
    bool ok = true;
    auto flush = [&] {
        if (!batch.ProcessSorted(splitHash)) ok = false;
        batchRecords = 0;
    };

    for (int64_t i = 0; i < unitCount && ok; ++i) {
        const CWord& unit = input.units->words[static_cast<size_t>(i)];
        const CHashNode* node = input.merged->GetHashNode(unit.text, unit.type);
        const uint32_t written = node ? node->count : 0;
        const int fileNo = unit.file_no;

        if (fileNo == currentFile && batch.size() > 0 &&
            (batch.size() >= kBatchUnits || batchRecords + written > batchRecordLimit))
            flush();
        if (fileNo != currentFile) {
            if (batch.size() > 0) flush();
            currentFile = fileNo;
        }
        if (!ok) break;
        if (static_cast<size_t>(fileNo) >= input.offset_files.size() || !input.offset_files[fileNo]) {
            QavLog("Sort Offset Error: no offset file %d for [%s]\n", fileNo, unit.text.c_str());
            ok = false;
            break;
        }

        SortWork& work = batch.Add();
        if (!work.SetThreadInfoEx(unit.text, unit.offset, written, unit.type, input.offset_files[fileNo], chunkLimit,
                                  static_cast<uint8_t>(fileNo), *input.corpus)) {
            ok = false;
            break;
        }
        batch.StartLast();
        if (i % 10000 == 0) QavLog("Sorting Offset...%d\n", static_cast<int>(i));
        batchRecords += written;
    }
    if (ok) {
        flush();
    } else {
        batch.Join();  // the stage fails; nothing more is written
    }
    return ok;
}

}  // namespace qav
