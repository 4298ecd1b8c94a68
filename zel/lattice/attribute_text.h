// Attribute text: items separated by blanks, tabs or ';', where "[...]" and
// double-quoted stretches keep separators inside an item; an item is
// key=value split at the first '=', a bare item is a value of "Tag"; a value
// names several values separated by blanks, tabs, ';', '[' and ']'.
#pragma once

#include <string>
#include <vector>

namespace zel {

// Items and pieces hold at most this many bytes less one.
constexpr size_t kItemSize = 51200;

// Splits attribute text into items; n = the item count, items[0..n-1]
// overwritten in place (the vector grows only when too short).
void SplitAVEx(const char* text, std::vector<std::string>& items, int& n);

// Splits an item at its first '='; an item without one is a value of "Tag".
void SplitItem(const std::string& item, std::string& key, std::string& value);

// The values of a value text: split at blanks, tabs, ';', '[' and ']', empty
// pieces dropped; every double quote is removed, and from the first one on
// nothing splits any more.
std::vector<std::string> SplitValues(const char* value);

// Rewrites text in place into a '|' list: brackets removed, a run of blanks
// and tabs becomes one '|', except at the start and right after a bracket.
void TransferKV(std::string& text);

}  // namespace zel
