// Query-side operations on the process-wide word categories (g_mCatTable):
// query programs add to and read categories, and condition lists name a
// category instead of listing its words.
#pragma once

#include <set>
#include <string>
#include <vector>

namespace qav {

// Adds the words (separated by any of " ", "," and ";") to the category,
// creating it when it is new.
void AddTag(const char* name, const char* words);
// names = every category name, in byte order.
void GetTags(std::vector<std::string>& names);
// words = the category's words in byte order; empty when there is none.
void GetTagVal(const char* name, std::vector<std::string>& words);
// out = the words, where a word beginning with an ASCII letter stands for all
// words of the category of that name (none when there is no such category).
void SetBITEx(const std::vector<std::string>& words, std::set<std::string>& out);

}  // namespace qav
