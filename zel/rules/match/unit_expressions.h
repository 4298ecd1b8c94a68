// Unit expressions: unit-link keys ("UHead", "ULeftChar", "URoot...")
// joined by ':', each applied to the units the keys before it reached.
// Shared by the rule actions and the exported functions.
#pragma once

#include <string>
#include <vector>

namespace zel {

class CLattice;
class CUnit;

// Empties ids and fills it with the identifiers the expression reaches from
// the unit, in order.
void UExpress2Units(CLattice& lattice, CUnit& unit, const std::string& expression, std::vector<std::string>& ids);

// Appends the identifiers the expression reaches from the unit whose units
// exist and satisfy the condition (every existing unit when it is empty).
void UExpress2UnitsCondition(CLattice& lattice, CUnit& unit, const std::string& expression,
                             const std::string& condition, std::vector<std::string>& ids);

// An expression that begins with a "URoot..." grid key: without ':' the
// identifiers stored under it; with ':' the rest applied from each of them.
void RootExpress2Units(CLattice& lattice, const std::string& expression, std::vector<std::string>& ids);

}  // namespace zel
