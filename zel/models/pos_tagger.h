// Part-of-speech tagging of segmented GBK text: a first-order Viterbi search
// over the dictionary's word weights and tag-pair weights.
#pragma once

#include <string>
#include <string_view>

namespace zel {

class CRFPOS;
class CDictSearch;

// Longest word text (GBK) a tagging takes: wrapped in two full stops and
// their blanks, with its terminator, it fits the word splitter's 10,240 bytes.
constexpr size_t kMaxTaggedWordsBytes = 10233;
// Longest tagged answer (GBK), terminator included.
constexpr size_t kMaxTaggedAnswerBytes = 51200;

// Writes every word as word/tag followed by a blank. Words beyond the first
// kMaxTaggedWordsBytes bytes are left out, and so are tagged words that would
// take the answer past kMaxTaggedAnswerBytes - 1 bytes. Always true.
bool POSTagger(CRFPOS& handle, const CDictSearch* dict, std::string_view words, std::string& out);

}  // namespace zel
