#include "qav/index/build/group_regions.h"

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>

#include "common/platform/positioned_io.h"
#include "qav/index/base/qav_log.h"
#include "qav/index/format/offset_record.h"

namespace qav {

namespace {

// Writes the buffered records after those the slice wrote before.
bool FlushSlice(GroupSlice& slice, const std::vector<int>& fds, int width) {
    if (slice.stored == 0) return true;
    if (slice.file_no >= fds.size()) return false;
    const off_t at = slice.offset + int64_t{slice.written} * width;
    if (!qz::WriteAt(fds[slice.file_no], slice.records, size_t{slice.stored} * width, at)) return false;
    slice.written += slice.stored;
    slice.stored = 0;
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

GroupSlices::GroupSlices(const CWordList& list, const CHashTable& merged, size_t groupCount)
    : list_(list),
      merged_(merged),
      ids_(list.words.size(), -1),
      list_entries_(static_cast<size_t>(std::max(merged.next_id, 0)), -1),
      ends_(list.words.size()),
      slices_(groupCount),
      buffers_(groupCount) {
    const size_t idCount = static_cast<size_t>(std::max(merged.next_id, 0));
    for (size_t i = 0; i < list.words.size(); ++i) {
        const CWord& unit = list.words[i];
        ends_[i] = unit.offset;
        const CHashNode* node = merged.GetHashNode(unit.text, unit.type);
        if (node && node->id >= 0 && static_cast<size_t>(node->id) < idCount) {
            ids_[i] = node->id;
            list_entries_[static_cast<size_t>(node->id)] = static_cast<int32_t>(i);
        }
    }
}

bool GroupSlices::AddGroup(const CountTable& counted, int threads) {
    if (ready_ >= slices_.size()) return false;
    std::vector<GroupSlice>& slices = slices_[ready_++];
    slices.resize(static_cast<size_t>(std::max(merged_.next_id, 0)));
    ForUnitParts(list_.length(), threads, [&](int64_t first, int64_t end) {
        for (int64_t i = first; i < end; ++i) {
            const CWord& unit = list_.words[static_cast<size_t>(i)];
            const int32_t id = ids_[static_cast<size_t>(i)];
            const uint32_t count = counted.Count(unit.text, unit.type);
            if (count == 0 || id < 0) continue;
            const int width = OffsetRecordWidth(unit.type);
            GroupSlice& slice = slices[static_cast<size_t>(id)];
            slice.count = count;
            slice.offset = ends_[static_cast<size_t>(i)];
            slice.file_no = unit.file_no;
            slice.width = static_cast<uint8_t>(width);
            ends_[static_cast<size_t>(i)] += int64_t{count} * width;
        }
    });
    return true;
}

GroupSlice* GroupSlices::SliceOf(size_t g, const CHashNode* mergedNode) {
    return mergedNode ? SliceOf(g, mergedNode->id) : nullptr;
}

GroupSlice* GroupSlices::SliceOf(size_t g, int32_t mergedId) {
    if (g >= ready_ || mergedId < 0 || static_cast<size_t>(mergedId) >= slices_[g].size()) return nullptr;
    return &slices_[g][static_cast<size_t>(mergedId)];
}

const GroupSlice* GroupSlices::Slice(size_t g, std::string_view text, int32_t type) const {
    return const_cast<GroupSlices*>(this)->SliceOf(g, merged_.GetHashNode(text, type));
}

int GroupSlices::Add(size_t g, const IdxUnitEntry& entry, const std::vector<int>& fds) {
    const CHashNode* node = merged_.GetHashNode(entry.first.text, entry.first.type);
    return AddToSlice(g, SliceOf(g, node), entry.second, fds);
}

bool GroupSlices::AddLine(size_t g, const std::vector<StreamedUnit>& units, const std::vector<int32_t>& unitIds,
                          uint8_t fileNo, uint32_t position, const std::vector<int>& fds) {
    // The slices lie all over their table: the line's slices are all found
    // (and asked for) first, so that their reads overlap.
    thread_local std::vector<GroupSlice*> found;
    found.resize(units.size());
    for (size_t i = 0; i < units.size(); ++i) {
        const uint32_t place = units[i].place;
        GroupSlice* slice = place < unitIds.size() ? SliceOf(g, unitIds[place]) : nullptr;
        if (slice) __builtin_prefetch(slice, 1);
        found[i] = slice;
    }
    bool written = true;
    for (size_t i = 0; i < units.size(); ++i) {
        const CSortIdxUnit record{fileNo, position, units[i].index, units[i].clause, units[i].span};
        if (AddToSlice(g, found[i], record, fds) == 0) written = false;
    }
    return written;
}

int GroupSlices::AddToSlice(size_t g, GroupSlice* slice, const CSortIdxUnit& record, const std::vector<int>& fds) {
    if (!slice || slice->written + slice->stored >= slice->count) return -1;
    const int width = slice->width;
    const uint32_t room = SliceBufferRecords(slice->count);
    if (!slice->records) {
        // Made at the first record, so that no buffer exists while the
        // counting tables still do.
        const size_t bytes = size_t{room} * width;
        slice->records = buffers_[g].Take(bytes);
        if (!slice->records) {
            const size_t id = static_cast<size_t>(slice - slices_[g].data());
            const int32_t entry = id < list_entries_.size() ? list_entries_[id] : -1;
            QavLog("SetNodeInfo: failed to allocate %zu bytes for word [%s] (count=%u)\n", bytes,
                   entry >= 0 ? list_.words[static_cast<size_t>(entry)].text.c_str() : "", slice->count);
            return 0;
        }
    }
    if (slice->stored == room && !FlushSlice(*slice, fds, width)) return 0;
    if (width > 0) EncodeOffsetRecord(record, width, slice->records + size_t{slice->stored} * width);
    ++slice->stored;
    return 1;
}

bool GroupSlices::Close(CHashTable& merged, const std::vector<int>& fds, int threads) {
    std::atomic<bool> ok{true};
    ForUnitParts(list_.length(), threads, [&](int64_t first, int64_t end) {
        std::vector<unsigned char> moved;
        // Bytes still to be written that lie back to back in one file, kept
        // for one write: the groups' last records of a unit, and the regions
        // of the many small units that follow one another, which the pass
        // held whole.
        std::vector<unsigned char> run;
        run.reserve(kCloseRunBytes);  // never grown: every part's run is alive at once
        int runFd = -1;
        int64_t runStart = 0;
        auto writeRun = [&] {
            const bool written = run.empty() || qz::WriteAt(runFd, run.data(), run.size(), runStart);
            run.clear();
            return written;
        };
        auto addToRun = [&](int fd, int64_t at, const unsigned char* bytes, size_t size) {
            const bool follows = fd == runFd && runStart + static_cast<int64_t>(run.size()) == at;
            if (!run.empty() && (!follows || run.size() + size > kCloseRunBytes) && !writeRun()) return false;
            if (size >= kCloseRunBytes) return qz::WriteAt(fd, bytes, size, at);  // too large to gather
            if (run.empty()) {
                runFd = fd;
                runStart = at;
            }
            run.insert(run.end(), bytes, bytes + size);
            return true;
        };
        auto fail = [&] {
            QavLog("WriteOffset2File Error\n");
            ok = false;
        };
        for (int64_t i = first; i < end && ok; ++i) {
            const CWord& unit = list_.words[static_cast<size_t>(i)];
            CHashNode* total = merged.GetHashNode(unit.text, unit.type);
            const int32_t id = ids_[static_cast<size_t>(i)];
            const int width = OffsetRecordWidth(unit.type);
            if (!total || id < 0 || width == 0) continue;
            if (unit.file_no >= fds.size()) return fail();
            const int fd = fds[unit.file_no];
            int64_t at = unit.offset;  // end of the records placed so far
            int64_t sliceEnd = unit.offset;
            for (size_t g = 0; g < ready_; ++g) {
                GroupSlice& slice = slices_[g][static_cast<size_t>(id)];
                if (slice.count == 0) continue;  // not counted by the group
                if (slice.written > 0) {
                    const size_t bytes = size_t{slice.written} * width;
                    // Moved up after a group before it wrote fewer than it
                    // counted; the bytes still to be written all lie before.
                    if (slice.offset != at) {
                        moved.resize(bytes);
                        if (!qz::ReadAt(fd, moved.data(), bytes, slice.offset) || !qz::WriteAt(fd, moved.data(), bytes, at))
                            return fail();
                    }
                    at += static_cast<int64_t>(bytes);
                }
                if (slice.stored > 0) {
                    const size_t bytes = size_t{slice.stored} * width;
                    if (!addToRun(fd, at, slice.records, bytes)) return fail();
                    at += static_cast<int64_t>(bytes);
                }
                sliceEnd = slice.offset + int64_t{slice.count} * width;
                total->count += slice.written + slice.stored;
                slice.written += slice.stored;
                slice.stored = 0;
                slice.records = nullptr;
            }
            // Records moved up leave their old place; the region reads as zeros after its records.
            if (sliceEnd > at) {
                moved.assign(static_cast<size_t>(sliceEnd - at), 0);
                if (!addToRun(fd, at, moved.data(), moved.size())) return fail();
            }
        }
        if (!writeRun()) fail();
    });
    for (SliceBuffers& buffers : buffers_) buffers.Clear();
    return ok;
}

}  // namespace qav
