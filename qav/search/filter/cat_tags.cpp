#include "qav/search/filter/cat_tags.h"

#include "qav/index/base/cat_table.h"
#include "common/text/text_utils.h"

namespace qav {

namespace {

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

void AddTag(const char* name, const char* words) {
    if (!name) return;
    std::vector<std::string> list;
    qz::SplitString(words, " ,;", list);
    g_mCatTable.Add(name, list);
}

void GetTags(std::vector<std::string>& names) { names = g_mCatTable.Names(); }

void GetTagVal(const char* name, std::vector<std::string>& words) {
    words.clear();
    if (name) words = g_mCatTable.Words(name);
}

void SetBITEx(const std::vector<std::string>& words, std::set<std::string>& out) {
    out.clear();
    for (const std::string& word : words) {
        if (!word.empty() && IsAsciiLetter(word[0]))
            g_mCatTable.InsertWordsInto(word, out);
        else
            out.insert(word);
    }
}

}  // namespace qav
