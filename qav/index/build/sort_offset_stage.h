// The build stage that sorts every unit's offset records in place, by the
// corpus text next to each occurrence, as atom search compares it.
#pragma once

#include "qav/index/base/config.h"
#include "qav/index/engine/hash_table.h"
#include "qav/index/build/sort_work.h"
#include "qav/index/format/word_list.h"

namespace qav {

struct SortOffsetStageInput {
    const CConfig* config = nullptr;       // file paths, language, thread and chunk settings
    const CWordList* word_list = nullptr;  // the builder's word list
    const CWordList* units = nullptr;      // the unit list
    const CHashTable* merged = nullptr;    // merged unit hash: records written per unit
    int offset_file_count = 0;
    // Comparators by record kind; the stage supplies their context.
    RecordOrder order;
};

// Loads the data files for the comparators (the process's engine is left
// alone), sorts every unit region of the offset files and registers chunk units in
// splitHash. False when the data files cannot be loaded, an offset file
// cannot be opened, or a region cannot be read or written back.
bool SortOffsetStage(const SortOffsetStageInput& input, CHashTable& splitHash);

}  // namespace qav
