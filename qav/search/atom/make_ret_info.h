// Turning one offset record of an atom result into a hit: the span rule of
// each query kind, the wave extension and the bracket bytes. Reads only its
// arguments, so output builders may call it from several threads at once.
#pragma once

#include <cstdint>

#include "qav/search/atom/atom_query.h"
#include "qav/index/format/record_compare.h"
#include "qav/search/atom/ret_info.h"

namespace qav {

// One offset record, unpacked. span is the 9-byte record's span byte (0 for
// 8-byte records).
struct OffsetRecordInfo {
    uint32_t position = 0;
    int16_t wordIndex = 0;
    uint8_t fileNo = 0;
    uint8_t clause = 0;
    uint8_t span = 0;
};

// Whether the place at position of data file fileNo holds a word: from the
// file's places of no word where they are known, else from the identifier
// there (below the word count); the word's text is never read.
// Inline: the walks over millions of hits test each.
inline bool IsWordAt(const RecordCompareContext& corpus, uint8_t fileNo, int64_t position) {
    if (fileNo >= corpus.files.size()) return false;
    const CorpusFile& file = corpus.files[fileNo];
    if (position < 0 || position >= int64_t{file.count}) return false;
    if (file.noWords) return !InNoWordRun(*file.noWords, static_cast<uint32_t>(position));
    return file.words[position] < corpus.WordCount();
}

// Reads the record at `record` of a segment of the given width (8 or 9).
// Inline: the walks over millions of records call it for each.
inline OffsetRecordInfo ReadOffsetRecord(const unsigned char* record, int width) {
    OffsetRecordInfo info;
    info.position = GetOffset(record);
    info.wordIndex = GetPOS(record);
    info.fileNo = GetFileNo(record);
    info.clause = GetClauseNo(record);
    info.span = width >= 9 ? GetDist(record) : 0;
    return info;
}

// Makes the hit of a record under query into hit; false when the record makes
// no hit: the word at the sentence position or a word the pattern covers is
// no word of the corpus, the covered words overshoot the pattern, a
// constituent's end is unknown (span 255), or the start leaves the range of a
// word index. Lengths beyond 255 words are clamped to 255.
bool MakeRetInfo(const RecordCompareContext& corpus, const CAtomSearchQuery& query, const OffsetRecordInfo& record,
                 CRetInfo& hit);

// The start and length of every hit MakeRetInfo makes of the record, where
// they follow from the record alone: under a tag without text (no word is
// covered). False where they depend on the corpus's words, or where the
// record makes no hit for certain.
bool RecordHitShape(const CAtomSearchQuery& query, const OffsetRecordInfo& record, int16_t& start, uint8_t& length);

// The bracket bytes of a hit of the given length from the query's marks
// (kept at 255 with no marks or more than six); a and b are the offsets the
// kind's span rule provides to mark kinds 2 and 3.
void SetBracketInfo(const CAtomSearchQuery& query, uint8_t length, int a, int b, CRetInfo& hit);

}  // namespace qav
