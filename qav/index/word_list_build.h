// Lists made from the builder's hash tables: the unit list (or chunk list),
// ordered by descending count, and the word list, ordered by text with a copy
// ordered by identifier.
#pragma once

#include "qav/index/hash_table.h"
#include "qav/index/word_list.h"

// Comparators of list entries, negative / zero / positive.
int CmpWord_Word(const CWord& a, const CWord& b);   // byte order of the texts
int CmpWord_Count(const CWord& a, const CWord& b);  // descending unsigned count
int CmpWord_ID(const CWord& a, const CWord& b);     // ascending identifier

enum WordListMode {
    kUnitListMode = 0,  // by descending count; equal counts by identifier
    kWordListMode = 1,  // by text, and the identifier-ordered copy
};

// One entry per identifier the table handed out. The table's identifiers
// must be 0 to next_id - 1, as the builder's tables number them.
void ToWordList(const CHashTable& table, CWordList& list, WordListMode mode);
