// Offset records written from the offset pass: each unit's region is cut
// into one slice per group, in group order, sized by what the group counted.
// A group fills its slices through a small buffer per unit, so the pass holds
// a bounded part of the records instead of all of them.
//
// During the pass each group writes into a part file of its own, its slices
// back to back in list order: writes to one file wait for each other, and
// the groups write many small pieces side by side. Closing joins the parts
// into the offset files in large pieces.
//
// The slices are kept apart from the groups' counting tables, in one small
// entry per group and listed unit, and the units are looked up in the merged
// table: the counting tables can go before the pass starts, and with them
// most of the memory counting took.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "qav/index/build/count_table.h"
#include "qav/index/engine/hash_table.h"
#include "qav/index/build/sentence_stream.h"
#include "qav/index/build/sentence_units.h"
#include "qav/index/build/slice_buffers.h"
#include "qav/index/format/word_list.h"

namespace qav {

// Bytes that closing the slices gathers for one write at most.
constexpr size_t kCloseRunBytes = size_t{256} << 10;
// Records a unit's buffer holds at least before they are written to its
// slice (all of them when it has fewer).
constexpr uint32_t kSliceBufferRecords = 32;
// A frequent unit's buffer holds this part of its records, so that it is
// written in a few large pieces rather than in many small ones.
constexpr uint32_t kSliceWrites = 8;

// Records the buffer of a unit the group counted count times holds.
uint32_t SliceBufferRecords(uint32_t count);

// One group's slice of one unit's region.
struct GroupSlice {
    int64_t offset = 0;    // where the slice starts in its group's part file
    uint32_t count = 0;    // records the group counted; 0: the group has no slice
    uint32_t stored = 0;   // records held in the buffer
    uint32_t written = 0;  // records already written to the slice
    uint8_t width = 0;     // bytes of one of the unit's records
    // The buffer, from its group's SliceBuffers; null before the first
    // record and once closed.
    unsigned char* records = nullptr;
};

class GroupSlices {
public:
    // Slices of the units of list, which was made from merged; groupCount
    // groups. The list and the table must outlive the slices.
    GroupSlices(const CWordList& list, const CHashTable& merged, size_t groupCount);

    // Gives the next group (in group order, from 0) a slice of every listed
    // unit its counting table holds, sized by the group's count, after the
    // group's slices of the units before it in the list; its buffer of
    // SliceBufferRecords(count) records is made at its first record. The
    // table is not needed afterwards. Spread over threads (at least 1).
    // False when every group has its slices.
    bool AddGroup(const CountTable& counted, int threads);

    // After the groups' slices are given and before any record: the part
    // file of each group, open for reading and writing and empty.
    void SetPartFiles(std::vector<int> partFds) {
        part_fds_ = std::move(partFds);
        in_place_ = false;
    }
    // Instead: a lone group whose slices lie where the units' regions do in
    // the offset file offsetFd writes there, and closing has nothing to
    // join. False, and nothing changed, when that is not so.
    bool WriteInPlace(int offsetFd);

    // Stores the record of one unit occurrence of group g in its slice's
    // buffer and writes the buffer to the slice when it is full. 1; -1 when
    // the unit is not listed, the group did not count it or its slice is
    // full; 0 when writing failed or the buffer cannot be allocated.
    int Add(size_t g, const IdxUnitEntry& entry);
    // Add for each unit occurrence of one line of group g's sentence stream,
    // in order: unitIds gives the merged identifier of each place of the
    // group's unit counting table; the records take fileNo and position.
    // False when writing failed. Groups may add side by side, each from one
    // thread.
    bool AddLine(size_t g, const std::vector<StreamedUnit>& units, const std::vector<int32_t>& unitIds, uint8_t fileNo,
                 uint32_t position);

    // After all groups: writes what the buffers still hold and frees them,
    // then writes every listed unit's region to the offset files (fds, by
    // number), the records of its groups back to back from its start in
    // group order, followed by zeros where groups wrote fewer than they
    // counted; counts on each merged unit the records its groups wrote.
    // Spread over threads (at least 1). False when reading or writing failed.
    bool Close(CHashTable& merged, const std::vector<int>& fds, int threads);

    // Group g's slice of the unit of that name and type; null when the
    // merged table lacks it. A unit the group did not count, or the list left
    // out, has an empty slice (count 0).
    const GroupSlice* Slice(size_t g, std::string_view text, int32_t type) const;

private:
    GroupSlice* SliceOf(size_t g, const CHashNode* mergedNode);
    GroupSlice* SliceOf(size_t g, int32_t mergedId);
    int AddToSlice(size_t g, GroupSlice* slice, const CSortIdxUnit& record);
    bool WriteBuffers(size_t g);
    bool JoinParts(int64_t first, int64_t end, CHashTable& merged, const std::vector<int>& fds);

    const CWordList& list_;
    const CHashTable& merged_;
    std::vector<int> part_fds_;  // per group
    bool in_place_ = false;      // the lone group's part is the offset file
    // Merged identifier of each listed unit; -1 when the table lacks it.
    std::vector<int32_t> ids_;
    // The other way: the list entry of each merged identifier; -1 for units
    // the list left out.
    std::vector<int32_t> list_entries_;
    // Per group, one slice per merged identifier, so that a look-up in the
    // merged table leads straight to it; units left out of the list get none.
    std::vector<std::vector<GroupSlice>> slices_;
    std::vector<SliceBuffers> buffers_;  // per group
    size_t ready_ = 0;  // groups given their slices
};

}  // namespace qav
