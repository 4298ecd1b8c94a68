// Records sorted together with a key each: a comparison whose keys differ
// needs no corpus text, and the quicksort, which looks at nothing but the
// comparisons' results, puts the records in the very order the plain
// comparator gives.
//
// Where the context window is short, a keyed record also carries the
// identifiers of its context words. Records of one unit often share their
// whole context (a corpus repeats its sentences), and keys cannot tell such
// records apart from ones that part later; with the identifiers at hand,
// comparing them reads no corpus word, which costs a memory wait each.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "common/platform/zq_sort.h"
#include "qav/index/format/record_compare.h"

namespace qav {

// Bytes a key adds in front of each record.
constexpr size_t kSortKeyBytes = 16;
// Longest context window whose word identifiers a keyed record carries.
constexpr int kMaxKeyedContextWords = 16;

// Identifiers a keyed record of that corpus carries: the whole window, or
// none when it is longer than kMaxKeyedContextWords.
size_t KeyedContextWords(const RecordCompareContext& corpus);
// Bytes of a keyed record: its key, its context word identifiers, the record.
size_t KeyedRecordBytes(const RecordCompareContext& corpus, size_t width);

// The comparator of keyed records and what it falls back on for equal keys.
struct KeyedOrder {
    zq_compare_ex_fn compare = nullptr;  // of the records themselves
    void* context = nullptr;             // its context
    // With identifiers carried (words > 0): the corpus they name and which
    // way the records' contexts run.
    const RecordCompareContext* corpus = nullptr;
    size_t words = 0;
    bool leftward = false;
};

// The order of keyed records of one kind, keyed with that kind's keys.
KeyedOrder KeyedOrderOf(zq_compare_ex_fn compare, void* context, const RecordCompareContext& corpus, UnitType kind);

// Compares two keyed records whose keys are equal.
int CompareEqualKeys(const unsigned char* a, const unsigned char* b, const KeyedOrder& order);

// Compares two keyed records. Inline: the keyed sorts call it for every
// comparison, and most keys differ.
inline int CompareKeyedRecords(const unsigned char* a, const unsigned char* b, const KeyedOrder& order) {
    // Keys are stored in the machine's order; they are read back the same way.
    uint64_t highA, highB, lowA, lowB;
    std::memcpy(&highA, a, 8);
    std::memcpy(&highB, b, 8);
    if (highA != highB) return highA < highB ? -1 : 1;
    std::memcpy(&lowA, a + 8, 8);
    std::memcpy(&lowB, b + 8, 8);
    if (lowA != lowB) return lowA < lowB ? -1 : 1;
    return CompareEqualKeys(a, b, order);
}

// Compares two keyed records; context is a KeyedOrder*.
int CompareKeyed(const void* a, const void* b, void* context);

// Writes count records of width bytes, each after its key (and its context
// word identifiers), to keyed (count * KeyedRecordBytes bytes).
void AddSortKeys(const unsigned char* records, size_t count, size_t width, UnitType kind, const RecordSortKeys& keys,
                 unsigned char* keyed);
// Writes the records of count keyed records back without their keys.
void DropSortKeys(const unsigned char* keyed, size_t count, size_t width, const RecordCompareContext& corpus,
                  unsigned char* records);

}  // namespace qav
