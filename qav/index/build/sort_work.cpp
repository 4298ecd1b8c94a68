#include "qav/index/build/sort_work.h"

#include <atomic>
#include <cstring>
#include <memory>

#include "common/platform/positioned_io.h"
#include "qav/index/build/add_word.h"
#include "qav/index/format/offset_record.h"
#include "qav/index/base/qav_log.h"
#include "qav/index/build/keyed_sort.h"
#include "qav/index/build/sort_chunks.h"
#include "qav/index/build/sort_in_parts.h"

namespace qav {

zq_compare_ex_fn RecordOrder::ForType(int32_t type) const {
    switch (type) {
        case UNIT_POS_L: return tag_l;
        case UNIT_POS_R: return tag_r;
        case UNIT_ML: return ml;
        default: return nullptr;
    }
}

int SortWork::width() const { return OffsetRecordWidth(type); }

uint64_t SortWork::ChunkStart(size_t k) const {
    uint64_t before = 0;
    for (size_t i = 0; i < k && i < chunks.size(); ++i) before += chunks[i];
    return before;
}

namespace {

// From this many records on, one chunk keeps several threads busy.
constexpr uint32_t kPartedSortRecords = 65536;
// Slices in which the keys of such a chunk are made.
constexpr size_t kKeySlices = 16;

// Zeroes the records that name a data file the corpus lacks or a sentence
// position beyond their data file; returns how many.
uint32_t ZeroOutOfBounds(UnfilledBytes& records, int width, const RecordCompareContext& corpus) {
    uint32_t zeroed = 0;
    for (size_t at = 0; at + width <= records.size(); at += width) {
        unsigned char* record = records.data() + at;
        const uint8_t fileNo = record[6];
        const uint32_t position = qz::bytes::Load<uint32_t>(record);
        if (fileNo < corpus.files.size() && position < corpus.files[fileNo].count) continue;
        std::memset(record, 0, width);
        ++zeroed;
    }
    return zeroed;
}

}  // namespace

bool SortWork::SetThreadInfoEx(const std::string& unitText, int64_t regionOffset, uint32_t recordCount,
                               int32_t unitType, std::FILE* offsetFile, uint32_t chunkLimit,
                               uint8_t offsetFileNo, const RecordCompareContext& corpus) {
    text = unitText;
    offset = regionOffset;
    count = recordCount;
    type = unitType;
    file = offsetFile;
    chunk_limit = chunkLimit;
    file_no = offsetFileNo;
    chunks.clear();

    const size_t wanted = size_t{count} * width();
    records.Reset(wanted);
    if (wanted > 0 && !qz::ReadAt(fileno(file), records.data(), wanted, offset)) {
        QavLogOnly("SetThreadInfoEx Error: cannot read %lld bytes at %lld for [%s]\n", static_cast<long long>(wanted),
                   static_cast<long long>(offset), text.c_str());
        records.Free();
        return false;
    }
    if (width() > 0) {
        const uint32_t zeroed = ZeroOutOfBounds(records, width(), corpus);
        if (zeroed > 0)
            QavLogOnly("SetThreadInfoEx Warning: [%s] %u/%u entries out of bounds (zeroed)\n", text.c_str(), zeroed,
                       count);
    }
    chunks = CutIntoChunks(count, chunk_limit);
    return true;
}

void SortWork::SortOffsetThread(size_t k, const RecordOrder& order) {
    const zq_compare_ex_fn compare = order.ForType(type);
    if (!compare || k >= chunks.size()) return;
    zq_quicksort_ex(records.data() + ChunkStart(k) * width(), chunks[k], width(), compare, order.context);
}

size_t SortWork::KeyedBytes() const { return KeyedRecordBytes(keys->corpus(), width()); }

unsigned char* SortWork::KeyedChunk(size_t k) { return keyed.data() + ChunkStart(k) * KeyedBytes(); }

void SortWork::SortKeyedChunk(size_t k) {
    unsigned char* chunk = KeyedChunk(k);
    AddSortKeys(records.data() + ChunkStart(k) * width(), chunks[k], width(), static_cast<UnitType>(type), *keys,
                chunk);
    SortKeyed(chunk, chunks[k], KeyedBytes(), keyed_order);
}

bool SortWork::ReadyKeys(const RecordOrder& order) {
    const zq_compare_ex_fn compare = order.ForType(type);
    // Keys stand for the corpus text only under the kind's own order.
    if (!compare || compare != SortComparatorOfKind(static_cast<UnitType>(type)) || !order.keys || width() == 0)
        return false;
    if (keys) return true;
    keys = order.keys;
    keyed.Reset(size_t{count} * KeyedBytes());
    keyed_order = KeyedOrderOf(compare, order.context, keys->corpus(), static_cast<UnitType>(type));
    return true;
}

void SortWork::SortOffsetThread_Splitted(const RecordOrder& order, SortPool& pool) {
    const zq_compare_ex_fn compare = order.ForType(type);
    if (!compare) return;
    if (!ReadyKeys(order)) {
        for (size_t k = 0; k < chunks.size(); ++k) {
            if (chunks[k] < kInlineSortRecords)
                SortOffsetThread(k, order);
            else if (chunks[k] < kPartedSortRecords)
                pool.Submit([this, k, order] { SortOffsetThread(k, order); });
            else
                SortInParts(records.data() + ChunkStart(k) * width(), chunks[k],
                            ComparatorPartSorter(width(), compare, order.context), pool);
        }
        return;
    }
    for (size_t k = 0; k < chunks.size(); ++k) {
        if (chunks[k] < kInlineSortRecords) {
            SortKeyedChunk(k);
        } else if (chunks[k] < kPartedSortRecords) {
            pool.Submit([this, k] { SortKeyedChunk(k); });
        } else {
            KeyInPartsThenSort(k, pool);
        }
    }
}

void SortWork::KeyInPartsThenSort(size_t k, SortPool& pool) {
    // The keys of a large chunk are made in slices on the pool's threads; the
    // slice that finishes last starts the sort.
    const size_t slices = kKeySlices;
    const size_t total = chunks[k];
    auto pending = std::make_shared<std::atomic<size_t>>(slices);
    for (size_t slice = 0; slice < slices; ++slice) {
        const size_t first = total * slice / slices;
        const size_t end = total * (slice + 1) / slices;
        pool.Submit([this, k, first, end, pending, &pool] {
            const size_t start = ChunkStart(k) + first;
            AddSortKeys(records.data() + start * width(), end - first, width(), static_cast<UnitType>(type), *keys,
                        keyed.data() + start * KeyedBytes());
            if (pending->fetch_sub(1) == 1)
                SortInParts(KeyedChunk(k), chunks[k], KeyedPartSorter(KeyedBytes(), keyed_order), pool);
        });
    }
}

bool SortWork::Write2File() {
    bool ok = true;
    if (!keyed.empty()) {
        DropSortKeys(keyed.data(), count, width(), keys->corpus(), records.data());
        keyed.Free();
    }
    if (!records.empty()) {
        ok = qz::WriteAt(fileno(file), records.data(), records.size(), offset);
        if (!ok) QavLog("Write2File Error!\n");
    }
    records.Free();
    return ok;
}

void SortWork::AddToSplittedHash(CHashTable& splitHash) const {
    if (chunks.size() <= 1) return;
    uint64_t before = 0;
    for (size_t k = 0; k < chunks.size(); ++k) {
        const std::string name = text + "_" + std::to_string(k);
        CHashNode* node = AddWord(splitHash, name, chunks[k], type);
        node->offset = offset + static_cast<int64_t>(before * width());
        node->file_no = file_no;
        before += chunks[k];
    }
}

}  // namespace qav
