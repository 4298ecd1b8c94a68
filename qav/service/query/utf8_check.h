// Strict UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF. A
// lenient decoder reads the overlong C0 AF as "/", which would let a client
// slip query syntax past a check made on the bytes.
#pragma once

#include <string>
#include <string_view>

namespace qav {

bool IsValidUtf8(std::string_view text);

// The text with every byte that starts no valid sequence replaced by U+FFFD.
std::string ValidUtf8(std::string_view text);

}  // namespace qav
