// Range tests of document filters: dates and numbers given as text.
#pragma once

#include <string_view>

namespace qav {

// True when both texts are non-empty and text begins with prefix.
bool isBeginWith(std::string_view text, std::string_view prefix);

// Date-like comparison at the precision of the bound. A range without "-"
// matches a value that begins with it; "-Y", "X-" and "X-Y" compare the first
// len(Y) (or len(X)) characters of the value, read as a decimal number, with
// the bounds. A bound over 99 characters matches nothing.
bool IsTimeIn(std::string_view value, std::string_view range);

// As IsTimeIn, but the whole value is compared as a 32-bit number.
bool IsValIn(std::string_view value, std::string_view range);

}  // namespace qav
