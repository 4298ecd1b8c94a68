// What the offset record comparators read: the corpus words of the data
// files in memory, the word list that gives their texts, the language and the
// number of context words. Passed to the sort as its comparison context.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "qav/index/word_list.h"

struct SortCorpus {
    struct DataFile {
        const uint32_t* words = nullptr;
        uint64_t count = 0;
    };
    std::vector<DataFile> files;              // by data file number
    const CWordList* word_list = nullptr;     // texts by identifier
    int language = 0;                         // 0 Chinese, 1 English
    int context_words = 10;                   // "SortCompWordLen"

    // Text of a corpus word; empty for identifiers outside the word list
    // (the data files' header and tail blocks hold such values).
    std::string_view WordText(uint32_t id) const {
        const CWord* word = word_list ? word_list->No2Word(id) : nullptr;
        return word ? std::string_view(word->text) : std::string_view();
    }
};
