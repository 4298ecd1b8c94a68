// Small scanners over condition and filter texts. They step over GBK
// characters whole, so a trail byte is never taken for "[" or "]".
#pragma once

#include <string_view>

namespace qav {

// Position of the first ASCII byte c in text; npos when there is none.
size_t FindAscii(std::string_view text, char c);
// The text of a bracketed list, given what follows the opening bracket: the
// text less a closing bracket at its end.
std::string_view ListText(std::string_view text);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
bool EqualsNoCase(std::string_view a, std::string_view b);

}  // namespace qav
