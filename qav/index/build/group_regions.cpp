#include "qav/index/build/group_regions.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <new>
#include <string>
#include <thread>

#include "qav/index/base/qav_log.h"
#include "qav/index/build/row_look_up.h"
#include "qav/index/format/offset_record.h"

namespace qav {

namespace {

// One row per thread, so that the offset pass does not allocate it per sentence.
RowLookUp& SentenceRow() {
    thread_local RowLookUp row;
    return row;
}

bool WriteAt(int fd, const unsigned char* bytes, size_t size, off_t at) {
    while (size > 0) {
        const ssize_t written = pwrite(fd, bytes, size, at);
        if (written <= 0) return false;
        bytes += written;
        size -= static_cast<size_t>(written);
        at += written;
    }
    return true;
}

bool ReadAt(int fd, unsigned char* bytes, size_t size, off_t at) {
    while (size > 0) {
        const ssize_t read = pread(fd, bytes, size, at);
        if (read <= 0) return false;
        bytes += read;
        size -= static_cast<size_t>(read);
        at += read;
    }
    return true;
}

// Writes the buffered records after those the node wrote before.
bool FlushNode(CHashNode& node, const std::vector<int>& fds, int width) {
    if (node.records_stored == 0) return true;
    if (node.file_no >= fds.size()) return false;
    const off_t at = node.offset + int64_t{node.records_written} * width;
    if (!WriteAt(fds[node.file_no], node.records(), size_t{node.records_stored} * width, at)) return false;
    node.records_written += node.records_stored;
    node.records_stored = 0;
    return true;
}

// Runs body(first, end) on contiguous parts of [0, count) side by side.
template <typename Body>
void ForUnitParts(int64_t count, int threads, Body body) {
    const int64_t parts = std::max<int64_t>(threads, 1);
    std::vector<std::thread> workers;
    for (int64_t p = 1; p < parts; ++p) workers.emplace_back(body, count * p / parts, count * (p + 1) / parts);
    body(0, count / parts);
    for (std::thread& worker : workers) worker.join();
}

}  // namespace

uint32_t SliceBufferRecords(uint32_t count) {
    return std::min(count, std::max(kSliceBufferRecords, count / kSliceWrites));
}

bool ReadyGroupSlices(const std::vector<CHashTable*>& groups, const CWordList& list, int threads) {
    std::atomic<bool> ok{true};
    ForUnitParts(list.length(), threads, [&](int64_t first, int64_t end) {
        for (int64_t i = first; i < end && ok; ++i) {
            const CWord& unit = list.words[static_cast<size_t>(i)];
            const int width = OffsetRecordWidth(unit.type);
            int64_t at = unit.offset;
            for (CHashTable* table : groups) {
                CHashNode* node = table->GetHashNode(unit.text, unit.type);
                if (!node) continue;
                const size_t bytes = size_t{SliceBufferRecords(node->count)} * width;
                std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[bytes]());
                if (!buffer) {
                    QavLog("SetNodeInfo: failed to allocate %zu bytes for word [%s] (count=%u)\n", bytes,
                           unit.text.c_str(), node->count);
                    ok = false;
                    return;
                }
                node->SetRecords(std::move(buffer));
                node->records_stored = 0;
                node->records_written = 0;
                node->offset = at;
                node->file_no = unit.file_no;
                at += int64_t{node->count} * width;
            }
        }
    });
    return ok;
}

int AddIdxInfoToSlice(CHashTable& table, const IdxUnitEntry& entry, const std::vector<int>& fds) {
    return AddIdxInfoToSlice(table.GetHashNode(entry.first.text, entry.first.type), entry, fds);
}

bool AddSentenceToSlices(CHashTable& table, const std::vector<IdxUnitEntry>& units, const std::vector<int>& fds) {
    bool written = true;
    RowLookUp& row = SentenceRow();
    row.Start(table, units.size(), [&](size_t i) { return std::string_view(units[i].first.text); });
    row.Walk([&](size_t i, uint64_t hash) {
        const CWord& unit = units[i].first;
        if (AddIdxInfoToSlice(table.GetHashNode(unit.text, unit.type, hash), units[i], fds) == 0) written = false;
    });
    return written;
}

int AddIdxInfoToSlice(CHashNode* node, const IdxUnitEntry& entry, const std::vector<int>& fds) {
    if (!node || !node->records() || node->records_written + node->records_stored >= node->count) return -1;
    const int width = OffsetRecordWidth(node->type);
    const uint32_t room = SliceBufferRecords(node->count);
    if (node->records_stored == room && !FlushNode(*node, fds, width)) return 0;
    if (width > 0) EncodeOffsetRecord(entry.second, width, node->records() + size_t{node->records_stored} * width);
    ++node->records_stored;
    return 1;
}

bool CloseGroupSlices(const std::vector<CHashTable*>& groups, const CWordList& list, CHashTable& merged,
                      const std::vector<int>& fds, int threads) {
    std::atomic<bool> ok{true};
    ForUnitParts(list.length(), threads, [&](int64_t first, int64_t end) {
        std::vector<unsigned char> moved;
        // Records still in the buffers, gathered for one write: the groups'
        // last records lie back to back wherever no group wrote records before.
        std::vector<unsigned char> run;
        int64_t runStart = 0;
        auto fail = [&] {
            QavLog("WriteOffset2File Error\n");
            ok = false;
        };
        for (int64_t i = first; i < end && ok; ++i) {
            const CWord& unit = list.words[static_cast<size_t>(i)];
            CHashNode* total = merged.GetHashNode(unit.text, unit.type);
            const int width = OffsetRecordWidth(unit.type);
            if (!total || width == 0) continue;
            if (unit.file_no >= fds.size()) return fail();
            const int fd = fds[unit.file_no];
            auto writeRun = [&] {
                const bool written = run.empty() || WriteAt(fd, run.data(), run.size(), runStart);
                run.clear();
                return written;
            };
            int64_t at = unit.offset;  // end of the records placed so far
            int64_t sliceEnd = unit.offset;
            for (CHashTable* table : groups) {
                CHashNode* node = table->GetHashNode(unit.text, unit.type);
                if (!node) continue;
                if (node->records_written > 0) {
                    if (!writeRun()) return fail();
                    const size_t bytes = size_t{node->records_written} * width;
                    // Moved up after a group before it wrote fewer than it counted.
                    if (node->offset != at) {
                        moved.resize(bytes);
                        if (!ReadAt(fd, moved.data(), bytes, node->offset) || !WriteAt(fd, moved.data(), bytes, at))
                            return fail();
                    }
                    at += static_cast<int64_t>(bytes);
                }
                if (node->records_stored > 0 && node->records()) {
                    if (run.empty()) runStart = at;
                    const size_t bytes = size_t{node->records_stored} * width;
                    run.insert(run.end(), node->records(), node->records() + bytes);
                    at += static_cast<int64_t>(bytes);
                }
                sliceEnd = node->offset + int64_t{node->count} * width;
                total->count += node->records_written + node->records_stored;
                node->records_written += node->records_stored;
                node->records_stored = 0;
                node->FreeRecords();
            }
            if (!writeRun()) return fail();
            // Records moved up leave their old place; the region reads as zeros after its records.
            if (sliceEnd > at) {
                moved.assign(static_cast<size_t>(sliceEnd - at), 0);
                if (!WriteAt(fd, moved.data(), moved.size(), at)) return fail();
            }
        }
    });
    return ok;
}

}  // namespace qav
