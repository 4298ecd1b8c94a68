// The shape of a unit condition, shared by the lattice's own condition test
// and the rule engine's: items joined by '&' (all must hold) or, without
// '&', by '|' (one must hold); an item is key=value or a bare value.
#pragma once

#include <functional>
#include <string>

namespace zel {

// A condition is cut to this size less one byte.
constexpr size_t kConditionSize = 51200;

// Splits at the first '='. A bare item is a value of "Word" when it holds
// '_' or starts with a byte of 0x80 or above, of "Tag" otherwise.
void SplitConditionItem(const char* item, std::string& key, std::string& value);

// With '&': every non-empty item holds (also when there is none). Else
// with '|': some non-empty item holds. Else the whole text is one item.
bool CheckConditionItems(const char* condition, const std::function<bool(const char* item)>& holds);

}  // namespace zel
