// Template bodies of the segmentation model: parts "%x[r,c]" joined by "/";
// only the row offset r counts, the model reads one column (the character).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zel {

// Longest text SplitString accepts (its callers bound their texts by it).
constexpr size_t kSplitStringBytes = 10240;

// The parts of text between runs of the delimiter characters, in order; no
// empty parts.
void SplitString(std::string_view text, std::string_view delimiters, std::vector<std::string>& parts);

// Row offsets of a template body, one per part: the integer that starts at the
// fourth character of the part ("%x[" is three).
std::vector<int> TemplateOffsets(std::string_view body);

}  // namespace zel
