// The term table file ("WordList" path) and the word list with idf ("_w"
// and its text view "_w_InfoXY").
//   term table: u32 N; u32 a, a x {u32 field, u32 documents};
//               u32 b, b x {u32 field, u32 tokens};
//               then per term: u32 length, bytes, u32 term number, u32 df,
//               u32 postings, u32 m, m x {u32 chunk offset, u8 shard}
//   word list:  i32 count; per term number: i32 length, bytes,
//               i32 term number, f32 idf
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "qav/fulltext/format/term_table.h"

namespace qav::bm {

// idf = ln((N - df + 0.5) / (df + 0.5) + 1), N - df as an unsigned 32-bit
// difference.
double Idf(uint32_t documents, uint32_t df);

// Writes the table's terms that have a name, bucket by bucket. False when the
// file cannot be written.
bool WriteTermList(const std::string& path, CHashTableBM& table);
// Reads a term table file into an empty table; every count, length and chunk
// list is checked against the file. Average field lengths are tokens /
// documents, 1 where that would be 0 or where a field has no documents.
bool LoadTermList(const std::string& path, CHashTableBM& table);

struct WordEntryBM {
    std::string word;
    int32_t termNumber = 0;
    float idf = 0;
};

class CWordListBM {
public:
    // One entry per term number of the table's numbered terms.
    void ToWordList(CHashTableBM& table);
    // Writes the binary list to path and the text view "%s_InfoXY" (largest
    // idf first, "%s %.6f\n"); false with "Error open %s!\n" when either
    // cannot be created, false too when a write fails.
    bool Write2File(const std::string& path) const;

    std::vector<WordEntryBM> entries;
};

}  // namespace qav::bm
