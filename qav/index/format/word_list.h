// A list of words or index units. The word list of an index keeps its
// entries in byte order of the text and a second copy in identifier order
// (entry i has identifier i); the unit list uses the first array only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "qav/index/format/word.h"

namespace qav {

class CWordList {
public:
    std::vector<CWord> words;        // by text, or by descending count for unit lists
    std::vector<CWord> words_by_id;  // word lists only

    int64_t length() const { return static_cast<int64_t>(words.size()); }

    // Loads the index's word list file; on failure logs "Error open %s!\n"
    // and leaves the list empty.
    bool WordListInitEx(const std::string& path);
    // Loads the older plain form (u32 N, then length, text, i32 count,
    // i32 identifier per entry) into the first array.
    bool WordListInit(const std::string& path);
    void WordListExit();

    // Writes the word list file at path and its text view at
    // textPrefix + "_txt"; false (and nothing written) when either cannot be
    // created or the list cannot be stored (a text of 2,048 bytes or more,
    // or the two arrays differing in length).
    bool Write2FileEx(const std::string& path, const std::string& textPrefix) const;
    // Writes the first array in the older plain form.
    bool Write2File(const std::string& path) const;

    // Entry of an identifier; null outside [0, count).
    const CWord* No2Word(int64_t id) const;
    // Identifier of a word by binary search over the text order; -1 if absent.
    int32_t Word2No(std::string_view text) const;
};

}  // namespace qav
