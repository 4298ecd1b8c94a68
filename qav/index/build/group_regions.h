// Offset records written straight from the offset pass: each unit's region is
// cut into one slice per group, in group order, sized by what the group
// counted. A group fills its slices through a small buffer per unit, so the
// pass holds a bounded part of the records instead of all of them.
#pragma once

#include <cstdint>
#include <vector>

#include "qav/index/engine/hash_table.h"
#include "qav/index/build/sentence_units.h"
#include "qav/index/format/word_list.h"

namespace qav {

// Records a unit's buffer holds at least before they are written to its
// slice (all of them when it has fewer).
constexpr uint32_t kSliceBufferRecords = 32;
// A frequent unit's buffer holds this part of its records, so that it is
// written in a few large pieces rather than in many small ones.
constexpr uint32_t kSliceWrites = 16;

// Records the buffer of a unit the group counted count times holds.
uint32_t SliceBufferRecords(uint32_t count);

// Gives every unit of the list that a group table holds its slice: the offset
// after the slices of the groups before it, the list's file and a zeroed
// buffer of SliceBufferRecords(count) records. Units the list does not hold
// get no buffer, so their occurrences are dropped. Spread over threads
// (at least 1). False when a buffer cannot be allocated.
bool ReadyGroupSlices(const std::vector<CHashTable*>& groups, const CWordList& list, int threads);

// Stores the record of one unit occurrence in its unit's buffer and writes
// the buffer to the unit's slice when it is full; fds are the offset files
// by number. 1; -1 when the unit is missing, has no buffer or its slice is
// full; 0 when writing failed.
int AddIdxInfoToSlice(CHashTable& table, const IdxUnitEntry& entry, const std::vector<int>& fds);
// The same for the entry's node, already looked up (null when missing).
int AddIdxInfoToSlice(CHashNode* node, const IdxUnitEntry& entry, const std::vector<int>& fds);
// AddIdxInfoToSlice for each of one sentence's unit occurrences, in order,
// their nodes looked up as a row; false when writing failed.
bool AddSentenceToSlices(CHashTable& table, const std::vector<IdxUnitEntry>& units, const std::vector<int>& fds);

// After all groups: writes what the buffers still hold, a unit's groups
// together in one piece where they lie back to back, and frees the buffers;
// counts on each merged unit the records its groups wrote, and moves a
// group's records up against those of the groups before it when one of them
// wrote fewer than it counted, so that every region holds its records back
// to back from its start, followed by zeros. Spread over
// threads (at least 1). False when reading or writing failed.
bool CloseGroupSlices(const std::vector<CHashTable*>& groups, const CWordList& list, CHashTable& merged,
                      const std::vector<int>& fds, int threads);

}  // namespace qav
