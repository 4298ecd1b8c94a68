// The word places of a corpus's data files numbered one file after another,
// so that a set of places keeps one bit per place: the sets of the joins.
#pragma once

#include <cstdint>
#include <vector>

#include "qav/index/format/record_compare.h"

namespace qav {

class CorpusPlaces {
public:
    // Numbers the places of corpus's files; returns how many there are.
    uint64_t Reset(const RecordCompareContext& corpus) {
        m_first.resize(corpus.files.size());
        m_words.resize(corpus.files.size());
        uint64_t places = 0;
        for (size_t f = 0; f < corpus.files.size(); ++f) {
            m_first[f] = places;
            m_words[f] = corpus.files[f].count;
            places += corpus.files[f].count;
        }
        return places;
    }
    // The number of word place `place` of data file fileNo; false for a
    // place outside the files.
    bool NumberOf(uint8_t fileNo, int64_t place, uint64_t& number) const {
        if (fileNo >= m_words.size() || place < 0 || place >= int64_t{m_words[fileNo]}) return false;
        number = m_first[fileNo] + static_cast<uint64_t>(place);
        return true;
    }
    // Gives the memory back.
    void Release() {
        std::vector<uint64_t>().swap(m_first);
        std::vector<uint32_t>().swap(m_words);
    }

private:
    std::vector<uint64_t> m_first;  // per data file: number of its word place 0
    std::vector<uint32_t> m_words;  // per data file: its word places
};

}  // namespace qav
