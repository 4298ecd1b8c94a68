// The two shard writers of the full-text builder, one thread per group:
// posting text becomes the term-to-document shard ("Unit-i"), field records
// with term texts become the document-to-term shard ("Data-i").
#pragma once

#include <string>

#include "qav/fulltext/format/term_table.h"

namespace qav::bm {

// Packs each run of consecutive posting-text lines of one term into one chunk
// {u32 n, n x {u32, u32, u32}} and records the chunk's offset in the group's
// table. False when a file cannot be opened or written, or a chunk would
// start beyond 4 GiB.
bool Term2DocThread(CHashTableBM& groupTable, const std::string& unitPath, int shard);

// Rewrites every field record with the merged table's term numbers, entries
// in ascending term number, tf capped at 4,095. False when a file cannot be
// opened or written, the field record file is damaged, or a term has no
// number that fits in 28 bits.
bool Doc2TermThread(const CHashTableBM& mergedTable, const std::string& dataPath, int shard);

}  // namespace qav::bm
