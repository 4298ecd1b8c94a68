// Source-line helpers shared by the table indexer and the grammar compiler.
#pragma once

#include <cstdio>
#include <string>

namespace zel {

// Removes trailing blanks and tabs in place.
void TrimLine(std::string& text);

// Reads one whole line of any length, its "\n" and then its "\r" removed;
// false at the end of the file.
bool ReadSourceLine(FILE* file, std::string& line);

}  // namespace zel
