// The word-table tests of unit conditions (Word, HeadWord, Prefix, Suffix
// against a table named by the value).
#pragma once

#include <string>

namespace zel {

class CUnit;

// Whether the value is to be read as a table name: a table cluster is
// loaded and the value holds '_' or names a loaded table.
bool NamesTable(const std::string& value);

// The word is an item of the table (or of its item-KV entries).
bool WordInTable(const std::string& word, const std::string& table);
// The unit's word, head word or item-KV conditions are in the table.
bool UnitInTable(CUnit& unit, const std::string& table);
// Some table word begins (ends) the text.
bool TableWordBegins(const std::string& text, const std::string& table);
bool TableWordEnds(const std::string& text, const std::string& table);

}  // namespace zel
