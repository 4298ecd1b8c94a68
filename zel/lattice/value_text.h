// Small text routines over attribute values and token lists.
#pragma once

#include <set>
#include <string>
#include <vector>

namespace zel {

// Empties tokens, then the pieces of text between bytes of delimiters;
// runs of delimiters make no empty tokens, over-long tokens are skipped.
void SplitStr(const char* text, const char* delimiters, std::vector<std::string>& tokens);

// Appends the values of a value text: blanks and tabs separate, brackets
// and quotes are dropped, and from the first quote on nothing separates.
void Push_backVal(std::vector<std::string>& values, const char* text);

// Whether text with k was seen before; remembers it.
bool IsDup(std::set<std::string>& seen, const std::string& text, int k);

// Entry weight of a key: 1 "HeadWord"/"XB", 2 "Word", 4 "POS", else 3.
int GetEntryVal(const char* key);

}  // namespace zel
