// From the counting pass to the index's word list and unit list: merging the
// per-group tables, turning tables into sorted lists and bounding the lists.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "qav/index/build/count_table.h"
#include "qav/index/engine/hash_table.h"
#include "qav/index/format/word_list.h"

namespace qav {

class CConfig;

// Longest unit list an index keeps.
constexpr int64_t kMaxUnitListEntries = 10000000;

// Tables of the counting stage: one unit and one word counting table per file
// group, and the merged hash tables whose insertion order fixes the word
// identifiers the data files hold.
struct CountTables {
    CHashTable units;
    CHashTable words;
    std::vector<std::unique_ptr<CountTable>> group_units;
    std::vector<std::unique_ptr<CountTable>> group_words;
    // The merged identifier of each entry of each group's tables, by the
    // entry's place: how the offset pass finds a unit or word of the sentence
    // stream. Made by MergeHash; they outlive the group tables.
    std::vector<std::vector<int32_t>> group_unit_ids;
    std::vector<std::vector<int32_t>> group_word_ids;

    // Makes every table empty, sized from "HashSize_IdxUnit" and
    // "HashSize_WordList" (0 meaning 1,048,576); a group's word table gets
    // the word size divided by the group count, at least 102,400.
    void InitHash(const CConfig& config, int groupCount);
    // Merges the group unit tables, then the group word tables, in group order.
    void MergeHash();
    // The merged unit table as the unit list (mode 0) and the merged word
    // table as the word list (mode 1).
    void HashTables2WordList(CWordList& unitList, CWordList& wordList) const;
};

// Adds every entry of the tables, in order, bucket by bucket and chain by
// chain, to table. Returns, per table, the identifier each of its entries
// has in table, by the entry's place.
std::vector<std::vector<int32_t>> MergeHash(CHashTable& table, const std::vector<const CountTable*>& tables);

// Mode 0: a unit list sorted by descending count. Mode 1: a word list sorted
// by text, with its identifier-ordered copy.
void ToWordList(const CHashTable& table, CWordList& list, int mode);

// Bounds the unit list to its limit most frequent units. The word list is
// never cut: readers find a word by its identifier as a position in the
// identifier-ordered section, which must keep one entry per identifier.
bool PruneWordList(CWordList& unitList, const CWordList& wordList, int64_t limit = kMaxUnitListEntries);

// Orders of list entries: byte order of the texts, descending unsigned count,
// ascending identifier.
bool CmpWord_Word(const CWord& a, const CWord& b);
bool CmpWord_Count(const CWord& a, const CWord& b);
bool CmpWord_ID(const CWord& a, const CWord& b);

}  // namespace qav
