// Segmentation of an atom query's pattern text into word identifiers of the
// index's word list: maximum match for Chinese, blank-separated words for
// English. Candidates are cut only at GBK character boundaries.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qav {

class CWordList;

// Identifier recorded for a stretch of pattern text that is no word.
constexpr uint32_t kNotAWord = 0xFFFFFFFFu;

// The longest prefix of text (two bytes or more) that is a word with an
// identifier; false (id kNotAWord, word untouched) when there is none.
bool SegmentCore_L2R(const CWordList& words, std::string_view text, std::string& word, uint32_t& id);
// The longest suffix of text (one byte or more) that is a word with an identifier.
bool SegmentCore_R2L(const CWordList& words, std::string_view text, std::string& word, uint32_t& id);

// Left-to-right maximum match, appending to ids: blanks and tabs between
// words are skipped; a remainder that starts with no word appends kNotAWord
// and ends the segmentation. Stops once ids holds maxIds entries.
void Segment_L2R(const CWordList& words, std::string_view text, std::vector<uint32_t>& ids, size_t maxIds);
// Right-to-left maximum match, appending in left-to-right order; a remainder
// that ends with no word gives one kNotAWord in front. When more than the
// room left would come out, the rightmost ones are kept.
void Segment_R2L(const CWordList& words, std::string_view text, std::vector<uint32_t>& ids, size_t maxIds);
// Identifiers of the blank- or tab-separated pieces of an English text;
// pieces that are no word are left out.
void Sent2ID(const CWordList& words, std::string_view text, std::vector<uint32_t>& ids, size_t maxIds);

}  // namespace qav
