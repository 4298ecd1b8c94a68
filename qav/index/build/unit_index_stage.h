// Writing the final unit index of a build: every unit of the unit list with
// the records written for it, the chunk units, and the complex units.
#pragma once

#include <cstdint>
#include <string>

#include "qav/index/engine/hash_table.h"
#include "qav/index/format/word_list.h"

namespace qav {

// Writes the unit index at path and its text view at textPrefix + "_txt".
// units: the unit list (region offset and file of each unit, counted
// occurrences); merged: the merged unit hash (records written per unit);
// chunks: the chunk list. Units join complex keys while their counted
// occurrences exceed minCountForComplex. False when a file cannot be created
// or written.
bool WriteUnitIndexStage(const std::string& path, const std::string& textPrefix, const CWordList& units,
                         const CHashTable& merged, const CWordList& chunks, int32_t minCountForComplex);

}  // namespace qav
