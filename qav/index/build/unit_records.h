// Per-group record buffers of the offset pass: each unit a group met gets room
// for exactly the occurrences the group counted, and every occurrence the
// group meets again fills the next slot.
#pragma once

#include <cstdint>
#include <string_view>

#include "qav/index/engine/hash_table.h"
#include "qav/index/build/sentence_units.h"
#include "qav/index/format/word_list.h"

namespace qav {

// Gives the entry (text, type) a zeroed buffer of count x record width bytes
// and the region's offset and file. False when the entry is missing or the
// buffer cannot be allocated ("SetNodeInfo: failed to allocate ...").
bool SetNodeInfo(CHashTable& table, std::string_view text, int64_t offset, int32_t type, uint8_t fileNo);

// Stores the record of one unit occurrence in the next free slot of its
// unit's buffer: 1, or -1 when the unit is missing, has no buffer or its
// buffer is full.
int AddIdxInfo(CHashTable& table, const IdxUnitEntry& entry);

// SetNodeInfo for every unit of the list that the table holds, with the
// list's offsets and files; units the table never met are skipped. False
// when a buffer cannot be allocated.
bool Ready2CreateOffset(CHashTable& table, const CWordList& list);

// The merged table before the offset pass: each unit of the list it holds
// takes the list's offset and file, and its count of records written to the
// region starts at 0. The second form does it for one entry; false when the
// entry is missing.
void ReadyOffsetInfo(CHashTable& table, const CWordList& list);
bool ReadyOffsetInfo(CHashTable& table, std::string_view text, int64_t offset, int32_t type, uint8_t fileNo);

// Accessors on the entry (text, type).
// Byte offset of its region; 0 when missing.
int64_t GetOffsetInfo(const CHashTable& table, std::string_view text, int32_t type);
// Its count; 0 when missing.
uint32_t GetCountInfo(const CHashTable& table, std::string_view text, int32_t type);
// Its file and the end of its region, offset + count x width (8 bytes for
// types 3 and 4, 9 for the rest); false when missing.
bool GetOffsetInfoEx(const CHashTable& table, std::string_view text, int32_t type, uint8_t& fileNo, int64_t& end);
// Adds to its count; false when missing.
bool SetOffsetInfo(CHashTable& table, std::string_view text, int32_t type, uint32_t add);

}  // namespace qav
