// Per-group record buffers of the offset pass: each unit a group met gets room
// for exactly the occurrences the group counted, and every occurrence the
// group meets again fills the next slot.
#pragma once

#include <cstdint>
#include <string_view>

#include "qav/index/engine/hash_table.h"
#include "qav/index/build/sentence_units.h"

// Gives the entry (text, type) a zeroed buffer of count x record width bytes
// and the region's offset and file. False when the entry is missing or the
// buffer cannot be allocated ("SetNodeInfo: failed to allocate ...").
bool SetNodeInfo(CHashTable& table, std::string_view text, int64_t offset, int32_t type, uint8_t fileNo);

// Stores the record of one unit occurrence in the next free slot of its
// unit's buffer: 1, or -1 when the unit is missing, has no buffer or its
// buffer is full.
int AddIdxInfo(CHashTable& table, const IdxUnitEntry& entry);
