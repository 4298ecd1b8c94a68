// Text helpers of the rule compiler. Every scan steps over GBK two-byte
// characters as a whole, so that a trail byte such as 0x5B or 0x7B is never
// taken for rule syntax.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zel {

// Bytes of the character at position at of text.
size_t CharAt(std::string_view text, size_t at);
// First position, at a character boundary and at or after from, where what
// starts; npos when there is none.
size_t GbkFind(std::string_view text, std::string_view what, size_t from = 0);
// Same for one byte.
size_t GbkFindChar(std::string_view text, char what, size_t from = 0);
// The lines of a file's text without their line feeds; a last line without a
// line feed counts, an empty text has no lines.
std::vector<std::string> SplitLines(const std::string& text);
// The same lines each with its line feed, where it has one.
std::vector<std::string> SplitLinesWithEnds(const std::string& text);
// The line without one final line feed and then one carriage return.
std::string_view LineContent(std::string_view line);
// Removes leading blanks and tabs.
void TrimLeftBlanks(std::string& text);
bool StartsWith(std::string_view text, std::string_view head);

bool ReadTextFile(const std::string& path, std::string& text);
bool WriteTextFile(const std::string& path, const std::string& text);

}  // namespace zel
