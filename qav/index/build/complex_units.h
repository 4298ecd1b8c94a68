// Complex units of the unit index: partial unit forms a query may name (only
// the tag, only the character, only the label), each standing for the full
// units that produced it, and the chunk units that replace chunked units.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "qav/index/format/unit_index_file.h"

namespace qav {

// Key -> unit (or chunk unit) names; keys in byte order.
using ComplexUnitMap = std::map<std::string, std::vector<std::string>>;
// The same gathered unit by unit and put in key order once, at the end: most
// units of a build have complex keys, and an ordered map searched for each
// of them cost more than the rest of the unit index.
using ComplexUnitGroups = std::unordered_map<std::string, std::vector<std::string>>;

// The two complex keys of a full unit: type 3 "c_TAG|" gives "TAG|" and
// "c>", type 4 "|TAG_c" gives "|TAG" and "<c", type 5 "$LABEL_c" gives
// "$LABEL" and "c@"; a key that would read as another kind is left out.
// Empty for other types.
std::vector<std::string> ComplexKeys(std::string_view text, int32_t type);

// Adds the unit under its two complex keys.
void Add2ChildInfo(std::string_view text, int32_t type, ComplexUnitGroups& groups);
// The groups in key order, each key's names in the order they were added.
ComplexUnitMap OrderedComplexUnits(ComplexUnitGroups&& groups);
// Adds a chunk unit "%s_%d" under the name of its unit.
void Add2ChildInfo_Base(std::string_view chunkText, ComplexUnitMap& map);
// Every complex key's list with chunked units replaced in place by their
// chunk names, plus every chunked unit as a key listing its chunks.
ComplexUnitMap MergeHashBMInfo(ComplexUnitMap complexMap, const ComplexUnitMap& chunkMap);
// Writes the map as the unit index's complex section.
void WriteSubInfo2File(UnitIndexWriter& out, const ComplexUnitMap& map);

}  // namespace qav
