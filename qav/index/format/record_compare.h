// The one order of offset records: the index builder sorts each unit's
// records with the comparators below and the query side bisects them with
// CmpFunc (record_search.h), which rests on the same context texts. Both read
// the corpus only through a RecordCompareContext, so no global engine is
// needed and a build can sort while a live engine serves queries.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "qav/index/format/no_word_runs.h"
#include "qav/index/format/unit_type.h"

namespace qav {

class CWordList;

constexpr int kLanguageChinese = 0;
constexpr int kLanguageEnglish = 1;

// Word identifiers of one data file, header and tail blocks included.
struct CorpusFile {
    const uint32_t* words = nullptr;
    uint32_t count = 0;
    // The places that hold no word, when the owner has found them (a loaded
    // engine); null: ask the word array.
    const NoWordRuns* noWords = nullptr;
};

// What the comparisons read. The owner (an engine, or the builder's sorting
// engine) fills it from its own data and configuration and keeps the corpus
// and word list alive while comparisons run.
struct RecordCompareContext {
    std::vector<CorpusFile> files;       // indexed by data file number (at most 255)
    const CWordList* wordList = nullptr;  // gives the text of an identifier
    int language = kLanguageChinese;
    int sortCompWordLen = 10;            // context words sorted by ("SortCompWordLen")

    // Text of an identifier; null when it is no word (not below the word count).
    const std::string* WordText(uint32_t id) const;
    uint32_t WordCount() const;
};

// Reverses text in place: English byte by byte; Chinese by two-byte units, a
// trailing odd byte being dropped; any other language leaves it unchanged.
void ReverseWord(std::string& text, int language);

// Compares the corpus text running left from word `start` of file (Cmp_LEx;
// each word reversed) or right from it (Cmp_REx) with a query's pattern text
// and its n identifiers (the pattern's segmentation, left to right). The
// pattern is turned into context text the way a record's context is: cut
// into the words its identifiers name, each word reversed on its own in a
// left context. 0 when the context text begins with that text, otherwise
// negative or positive as the context sorts before or after it. Only the
// sortCompWordLen words that records are sorted by are read, so a pattern
// longer than their text never matches, and the result orders records
// exactly as the sort comparators do.
int Cmp_LEx(const RecordCompareContext& ctx, const CorpusFile& file, int64_t start, std::string_view queryText,
            const uint32_t* ids, int n);
int Cmp_REx(const RecordCompareContext& ctx, const CorpusFile& file, int64_t start, std::string_view queryText,
            const uint32_t* ids, int n);
// The context text the pattern is compared as, which depends on the query
// alone: a search comparing many records with one query makes it once.
std::string QueryContextKey(const RecordCompareContext& ctx, std::string_view queryText, const uint32_t* ids, int n,
                            bool leftward);
// Cmp_LEx (leftward) or Cmp_REx with the query's QueryContextKey.
int CompareWithQueryKey(const RecordCompareContext& ctx, const CorpusFile& file, int64_t start, bool leftward,
                        std::string_view queryKey);

// Where the context of a record of kind 3, 4 or 5 starts and which way it
// runs; false when the record has no full context of sortCompWordLen words in
// its data file (such a record sorts last and never matches).
struct RecordContextStart {
    const CorpusFile* file = nullptr;
    int64_t start = 0;
    bool leftward = false;
};
bool GetRecordContextStart(const RecordCompareContext& ctx, const unsigned char* record, UnitType kind,
                           RecordContextStart& out);

// Compares two full contexts given by the identifiers of their
// sortCompWordLen words in reading order (left or right from the anchor, as
// leftward says): the comparators' result for two records with those
// contexts.
int CompareContextWords(const RecordCompareContext& ctx, const uint32_t* a, const uint32_t* b, bool leftward);

// A prefix of a record's sort text that orders records as the comparators
// below do wherever two keys differ: the first 15 bytes of its context text,
// zero-padded, then the text's length up to 15, read as two big-endian
// numbers. Records without a full context take keys above every other,
// those naming no data file above those. Records with equal keys must be
// compared by the comparator itself.
struct RecordSortKey {
    uint64_t high = 0;
    uint64_t low = 0;
};

// Makes the keys of records of one corpus. It keeps the first bytes of every
// word's part of a context text, both ways, so that a key reads the corpus's
// word identifiers and nothing of the word list. The context must outlive it.
class RecordSortKeys {
public:
    static constexpr size_t kPrefixBytes = 15;

    explicit RecordSortKeys(const RecordCompareContext& ctx);
    RecordSortKey Make(const unsigned char* record, UnitType kind) const;
    // The same, and the identifiers of the record's sortCompWordLen context
    // words, in reading order, into words (all bits set where there is no
    // word: every one for a record without a full context).
    RecordSortKey Make(const unsigned char* record, UnitType kind, uint32_t* words) const;
    // Asks the processor for the corpus words Make will read for the record,
    // so that keys made for records in a row overlap their memory waits.
    void Prefetch(const unsigned char* record, UnitType kind) const;
    const RecordCompareContext& corpus() const { return ctx_; }

private:
    // A word's part of a context text, cut to kPrefixBytes; the bytes past
    // its size are 0, so that a key may copy a piece whole.
    struct Piece {
        unsigned char bytes[kPrefixBytes];
        uint8_t size;
    };
    const RecordCompareContext& ctx_;
    std::vector<Piece> forward_;
    std::vector<Piece> leftward_;
};

// True when the record's data file exists, its sentence position lies in the
// file and position + word index lies in [0, word count).
// Inline: the walks over millions of records test each.
inline bool IsOverFlow(const RecordCompareContext& ctx, uint32_t sentencePosition, uint8_t fileNo, int16_t wordIndex) {
    if (fileNo >= ctx.files.size()) return false;
    const int64_t words = ctx.files[fileNo].count;
    const int64_t anchor = static_cast<int64_t>(sentencePosition) + wordIndex;
    return sentencePosition < words && anchor >= 0 && anchor < words;
}

// Sort comparators in the form zq_quicksort_ex takes; context is a
// const RecordCompareContext*. Kind 3 (8-byte records) by the reversed left
// context, kind 4 (8-byte) by the right context, kind 5 (9-byte) by the
// reversed left context from the constituent's last word.
int Cmp_TagL(const void* a, const void* b, void* context);
int Cmp_TagR(const void* a, const void* b, void* context);
int Cmp_ML(const void* a, const void* b, void* context);

// The comparator of a unit kind, or null for kinds whose records have no order.
using RecordSortCompare = int (*)(const void* a, const void* b, void* context);
RecordSortCompare SortComparatorOfKind(UnitType kind);

}  // namespace qav
