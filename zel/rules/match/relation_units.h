// The units a relation key ("ULeft", "UChunk", "ULeftNode2", ...) names
// from a unit, as identifier texts; and the unit's own identifier put in
// for "UThis".
#pragma once

#include <string>
#include <vector>

#include "zel/rules/match/unit_conditions.h"

namespace zel {

// out is emptied first; keys that name no units leave it empty.
void GetSatisfyUnits(CUnit& unit, const ConditionContext& context, const char* key, std::vector<std::string>& out);

// Each part between the separators "=|_&:" that is "UThis" or "UnitNo"
// becomes the unit's identifier text; separators stay.
std::string ReplaceUThis(const CUnit& unit, const std::string& text);

// "(%d %d)": the form of tree and head links, compared as text only.
std::string LinkIdText(int column, int index);

}  // namespace zel
