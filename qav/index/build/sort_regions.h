// Sorting the region of every unit of the unit list in its offset file, in
// batches of consecutive units of one file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include "qav/index/engine/hash_table.h"
#include "qav/index/build/sort_chunks.h"
#include "qav/index/build/sort_work.h"
#include "qav/index/format/word_list.h"

namespace qav {

struct SortRegionsInput {
    const CWordList* units = nullptr;         // unit list: region offset and file of each unit
    const CHashTable* merged = nullptr;       // merged unit hash: records written per unit
    std::vector<std::FILE*> offset_files;     // open "rb+", by offset file number
    const RecordCompareContext* corpus = nullptr;
    RecordOrder order;
    int threads = 1;                          // "ThreadNum_Sort"
    int64_t max_unit_count_to_sort = kDefaultMaxUnitCountToSort;  // "MaxUnitCount_ToSort"
};

// Sorts every region in place and registers the chunk units in splitHash.
// False when a region cannot be read or written, or a unit names an offset
// file that is not open.
bool SortUnitRegions(const SortRegionsInput& input, CHashTable& splitHash);

}  // namespace qav
