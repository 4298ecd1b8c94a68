// The data files of the index being built, loaded whole while its offset
// records are sorted, with the builder's word list and language: what the
// record comparators read. The process's engine is not involved.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "qav/index/format/corpus_words.h"
#include "qav/index/format/record_compare.h"
#include "qav/index/format/word_list.h"

namespace qav {

class SortingEngine {
public:
    // Loads the data files dataPrefix + "_%d.dat" and borrows the builder's
    // word list (which outlives this object); false when no data file loads.
    bool Load(const std::string& dataPrefix, const CWordList& wordList, int language);
    // What the comparators read, with contextWords words of context.
    RecordCompareContext Corpus(int contextWords) const;

private:
    // Comparisons read the words at random: huge pages spare most page-table misses.
    std::vector<CorpusWords> words_;
    std::vector<uint32_t> lengths_;
    const CWordList* wordList_ = nullptr;
    int language_ = 0;
};

}  // namespace qav
