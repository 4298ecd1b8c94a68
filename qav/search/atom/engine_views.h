// What the query side reads from the structured engine, gathered once per
// search: the comparison context of offset records and the lookup tables of
// atom queries. Both point into the engine, which must outlive them.
#pragma once

#include "qav/search/atom/atom_query.h"
#include "qav/index/format/record_compare.h"

namespace qav {

class CQAVEngine;

// Corpus arrays, word list, language and the engine's own "SortCompWordLen".
RecordCompareContext MakeRecordCompareContext(const CQAVEngine& engine);
// Unit table, word list and language; all empty for a null engine.
AtomQueryEnv MakeAtomQueryEnv(const CQAVEngine* engine);

}  // namespace qav
