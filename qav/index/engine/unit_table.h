// Load side of the engine's unit table: the unit index file into a chained
// hash of unit nodes, complex units pointing at the units they stand for.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "qav/index/engine/hash_table.h"

namespace qav {

class CConfig;

// Buckets from "HashSize_IdxUnit" for a unit table, "HashSize_WordList"
// otherwise (0 or less means 1,048,576); then, unless noLoad, the configured
// unit index. False when that cannot be read.
bool HashTableInit(CHashTable& table, const CConfig& config, bool noLoad, bool unitTable);

// The unit index at path: units in file order into the unit list, then the
// complex units. False, with "Error open %s !\n", when the file is missing or
// damaged; the table is then left empty.
bool ReadInIdxUnit(CHashTable& table, const std::string& path);

// The node of (name, type) gets the count, or a new node is appended to the
// end of its chain; either way its offset and file number are set.
CHashNode* Add2Hash(CHashTable& table, std::string_view name, uint32_t count, int32_t type,
                    int64_t offset, uint8_t fileNo);

}  // namespace qav
