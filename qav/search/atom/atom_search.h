// Atom search: the records of one query unit that continue an atom query. A
// unit with children (a partial unit form, or a unit sorted in chunks) is
// searched child by child, in up to "ThreadNum_AS" threads at once.
#pragma once

#include <cstdint>

#include "qav/index/format/unit_type.h"

namespace qav {

class CAtomRet;
class CAtomSearchQuery;
class CHashNode;
class CQAVEngine;
struct RecordCompareContext;

// Work record of the range search of one child unit: its loaded records and
// the range of them that matches the query. The search writes only low, high
// and found; everything else it only reads.
class CAtomSearchTreadUnit {
public:
    // Fills the record and clears the found flag.
    void SetAtomSearchTreadUnit(CHashNode* unit, const unsigned char* unitRecords, uint32_t unitCount,
                                const CAtomSearchQuery* atomQuery, UnitType unitKind, uint32_t lowIndex,
                                uint32_t highIndex);

    const RecordCompareContext* context = nullptr;  // the corpus the records point into
    CHashNode* node = nullptr;
    const unsigned char* records = nullptr;
    uint32_t count = 0;
    const CAtomSearchQuery* query = nullptr;
    UnitType kind = UNIT_NONE;
    uint32_t low = 0;  // first and last matching index, once found
    uint32_t high = 0;
    uint8_t found = 0;
};

// Thread body over a CAtomSearchTreadUnit: the matching range of its records,
// found set when there is one. Returns null.
void* ATomSearchThread(void* work);

// Fills atomResult (taken for this result) with the engine's runs of records
// of the query's unit that continue the query: one segment for a unit without
// children, one per child with matches, in child order, otherwise. False for
// an unknown unit, a failed load, or a unit without children that has no
// match. The result holds a use of every unit whose records it refers to.
bool AtomSearch(CQAVEngine& engine, const CAtomSearchQuery& query, CAtomRet& atomResult);

}  // namespace qav
