// The word list of a loaded full-text index: word and idf by term number.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "qav/fulltext/format/term_table_file.h"

namespace qav {

class CWordListBM {
public:
    // Reads the word list file; every count and length is checked against
    // the file. False with "Error open %s!\n" when it does not open, false
    // too for a damaged file.
    bool WordListInit(const std::string& path);
    void Clear() { m_Entries.clear(); }

    // Entry n's word, empty outside 0 <= n < count.
    std::string No2Word(int32_t number) const;
    // Entry n's idf, 0 outside 0 <= n < count.
    float No2Idf(int32_t number) const;
    size_t size() const { return m_Entries.size(); }

private:
    std::vector<bm::WordEntryBM> m_Entries;
};

}  // namespace qav
