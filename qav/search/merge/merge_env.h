// What joins and merges ask of the search they run in: the corpus, the
// admission of a sentence, the conditions on a hit, the document of a
// sentence and the approximate flag.
#pragma once

#include <cstdint>

#include "qav/index/format/record_compare.h"
#include "qav/search/atom/ret_info.h"

namespace qav {

// Corpus and IsInLimit may be called from several threads of one join at
// once; they must only read.
class MergeEnv {
public:
    virtual const RecordCompareContext& Corpus() const = 0;
    // Limits, document checks and, unless skipBase, the base set.
    virtual bool IsInLimit(uint8_t fileNo, uint32_t position, bool skipBase) = 0;
    // The word at the hit's sentence position is a word and the hit's parts
    // pass the conditions.
    virtual bool IsOk(const CRetInfo& hit) = 0;
    // Document number of a sentence; false when the index does not know it.
    virtual bool GetDocument(uint8_t fileNo, uint32_t position, uint32_t& doc) = 0;
    // The result is cut short: by the query's time limit, or a hit found
    // no room.
    virtual void SetApproximate() = 0;

protected:
    ~MergeEnv() = default;
};

}  // namespace qav
