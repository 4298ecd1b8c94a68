#include "qav/index/build/group_regions.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <string>
#include <thread>
#include <utility>

#include "common/platform/positioned_io.h"
#include "qav/index/base/qav_log.h"
#include "qav/index/format/offset_record.h"

namespace qav {

namespace {

// Writes the buffered records after those the slice wrote before, into its
// group's part file.
bool FlushSlice(GroupSlice& slice, int partFd) {
    if (slice.stored == 0) return true;
    const off_t at = slice.offset + int64_t{slice.written} * slice.width;
    if (!qz::WriteAt(partFd, slice.records, size_t{slice.stored} * slice.width, at)) return false;
    slice.written += slice.stored;
    slice.stored = 0;
    return true;
}

// Bytes bound for one file that lie back to back, gathered for one write.
class WriteRun {
public:
    WriteRun() { bytes_.reserve(kCloseRunBytes); }  // never grown: every thread's run is alive at once

    // Adds size bytes bound for fd at at; null bytes stand for zeros.
    bool Add(int fd, int64_t at, const unsigned char* bytes, size_t size) {
        while (size > 0) {
            const bool follows = fd == fd_ && start_ + static_cast<int64_t>(bytes_.size()) == at;
            if (!bytes_.empty() && (!follows || bytes_.size() == kCloseRunBytes) && !Write()) return false;
            if (bytes_.empty()) {
                fd_ = fd;
                start_ = at;
            }
            const size_t n = std::min(size, kCloseRunBytes - bytes_.size());
            if (bytes) {
                bytes_.insert(bytes_.end(), bytes, bytes + n);
                bytes += n;
            } else {
                bytes_.resize(bytes_.size() + n, 0);
            }
            at += static_cast<int64_t>(n);
            size -= n;
        }
        return true;
    }

    bool Write() {
        const bool written = bytes_.empty() || qz::WriteAt(fd_, bytes_.data(), bytes_.size(), start_);
        bytes_.clear();
        return written;
    }

private:
    std::vector<unsigned char> bytes_;
    int fd_ = -1;
    int64_t start_ = 0;
};

// Reads a group's part file ahead: one thread's units take their slices
// from it in the order they lie.
class PartReader {
public:
    explicit PartReader(int fd) : fd_(fd) {}

    // Adds size bytes of the part from at to run, bound for toFd at to.
    bool CopyTo(int64_t at, size_t size, WriteRun& run, int toFd, int64_t to) {
        while (size > 0) {
            if ((at < start_ || at >= start_ + static_cast<int64_t>(bytes_.size())) && !Fill(at)) return false;
            const size_t skip = static_cast<size_t>(at - start_);
            const size_t n = std::min(size, bytes_.size() - skip);
            if (!run.Add(toFd, to, bytes_.data() + skip, n)) return false;
            at += static_cast<int64_t>(n);
            to += static_cast<int64_t>(n);
            size -= n;
        }
        return true;
    }

private:
    static constexpr size_t kReadBytes = size_t{64} << 10;

    bool Fill(int64_t at) {
        bytes_.resize(kReadBytes);
        ssize_t got;
        do got = pread(fd_, bytes_.data(), kReadBytes, static_cast<off_t>(at));
        while (got < 0 && errno == EINTR);
        bytes_.resize(got > 0 ? static_cast<size_t>(got) : 0);
        start_ = at;
        return got > 0;  // the part ends before the slice: it was not written whole
    }

    int fd_;
    int64_t start_ = 0;
    std::vector<unsigned char> bytes_;
};

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
      slices_(groupCount),
      buffers_(groupCount) {
    const size_t idCount = static_cast<size_t>(std::max(merged.next_id, 0));
    for (size_t i = 0; i < list.words.size(); ++i) {
        const CWord& unit = list.words[i];
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
            GroupSlice& slice = slices[static_cast<size_t>(id)];
            slice.count = count;
            slice.width = static_cast<uint8_t>(OffsetRecordWidth(unit.type));
        }
    });
    // The group's slices lie in its part file in list order.
    int64_t end = 0;
    for (const int32_t id : ids_) {
        if (id < 0) continue;
        GroupSlice& slice = slices[static_cast<size_t>(id)];
        slice.offset = end;
        end += int64_t{slice.count} * slice.width;
    }
    return true;
}

bool GroupSlices::WriteInPlace(int offsetFd) {
    if (slices_.size() != 1 || ready_ != 1) return false;
    for (size_t i = 0; i < ids_.size(); ++i) {
        if (ids_[i] < 0) continue;
        const CWord& unit = list_.words[i];
        const GroupSlice& slice = slices_[0][static_cast<size_t>(ids_[i])];
        if (slice.count > 0 && (unit.file_no != 0 || slice.offset != unit.offset)) return false;
    }
    part_fds_ = {offsetFd};
    in_place_ = true;
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

int GroupSlices::Add(size_t g, const IdxUnitEntry& entry) {
    const CHashNode* node = merged_.GetHashNode(entry.first.text, entry.first.type);
    return AddToSlice(g, SliceOf(g, node), entry.second);
}

bool GroupSlices::AddLine(size_t g, const std::vector<StreamedUnit>& units, const std::vector<int32_t>& unitIds,
                          uint8_t fileNo, uint32_t position) {
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
        if (AddToSlice(g, found[i], record) == 0) written = false;
    }
    return written;
}

int GroupSlices::AddToSlice(size_t g, GroupSlice* slice, const CSortIdxUnit& record) {
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
    if (slice->stored == room && (g >= part_fds_.size() || !FlushSlice(*slice, part_fds_[g]))) return 0;
    if (width > 0) EncodeOffsetRecord(record, width, slice->records + size_t{slice->stored} * width);
    ++slice->stored;
    return 1;
}

bool GroupSlices::WriteBuffers(size_t g) {
    WriteRun run;
    const int fd = part_fds_[g];
    for (const int32_t id : ids_) {
        if (id < 0) continue;
        GroupSlice& slice = slices_[g][static_cast<size_t>(id)];
        if (slice.stored > 0) {
            const int64_t at = slice.offset + int64_t{slice.written} * slice.width;
            if (!run.Add(fd, at, slice.records, size_t{slice.stored} * slice.width)) return false;
            slice.written += slice.stored;
            slice.stored = 0;
        }
        slice.records = nullptr;
    }
    return run.Write();
}

bool GroupSlices::JoinParts(int64_t first, int64_t end, CHashTable& merged, const std::vector<int>& fds) {
    WriteRun run;
    std::vector<PartReader> parts;
    for (size_t g = 0; g < ready_; ++g) parts.emplace_back(part_fds_[g]);
    for (int64_t i = first; i < end; ++i) {
        const CWord& unit = list_.words[static_cast<size_t>(i)];
        CHashNode* total = merged.GetHashNode(unit.text, unit.type);
        const int32_t id = ids_[static_cast<size_t>(i)];
        const int width = OffsetRecordWidth(unit.type);
        if (!total || id < 0 || width == 0) continue;
        if (unit.file_no >= fds.size()) return false;
        const int fd = fds[unit.file_no];
        int64_t at = unit.offset;  // end of the records placed so far
        int64_t regionEnd = unit.offset;
        for (size_t g = 0; g < ready_; ++g) {
            const GroupSlice& slice = slices_[g][static_cast<size_t>(id)];
            regionEnd += int64_t{slice.count} * width;
            if (slice.written == 0) continue;
            const size_t bytes = size_t{slice.written} * width;
            if (!in_place_ && !parts[g].CopyTo(slice.offset, bytes, run, fd, at)) return false;
            at += static_cast<int64_t>(bytes);
            total->count += slice.written;
        }
        // A group that wrote fewer records than it counted leaves zeros at the region's end.
        if (regionEnd > at && !run.Add(fd, at, nullptr, static_cast<size_t>(regionEnd - at))) return false;
    }
    return run.Write();
}

bool GroupSlices::Close(CHashTable& merged, const std::vector<int>& fds, int threads) {
    std::atomic<bool> ok{part_fds_.size() >= ready_};
    if (ok) {
        // Each group's buffers go to its part, the groups side by side.
        ForUnitParts(static_cast<int64_t>(ready_), threads, [&](int64_t first, int64_t end) {
            for (int64_t g = first; g < end; ++g)
                if (!WriteBuffers(static_cast<size_t>(g))) ok = false;
        });
    }
    for (SliceBuffers& buffers : buffers_) buffers.Clear();
    if (ok) {
        ForUnitParts(list_.length(), threads, [&](int64_t first, int64_t end) {
            if (!JoinParts(first, end, merged, fds)) ok = false;
        });
    }
    if (!ok) QavLog("WriteOffset2File Error\n");
    return ok;
}

}  // namespace qav
