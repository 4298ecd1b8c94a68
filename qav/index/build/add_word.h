// Counting words and units into a build-side hash table.
#pragma once

#include <cstdint>
#include <string_view>

#include "qav/index/engine/hash_table.h"

namespace qav {

// Adds count to the entry (text, type), making it when missing; a new entry
// takes the table's next identifier. Returns the entry.
CHashNode* AddWord(CHashTable& table, std::string_view text, uint32_t count, int32_t type);
// The same with the text's CHashTable::NameHash computed by the caller.
CHashNode* AddWord(CHashTable& table, std::string_view text, uint32_t count, int32_t type, uint64_t hash);

}  // namespace qav
