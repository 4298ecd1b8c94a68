// Words and index units of one sentence line. The counting pass and the offset
// pass both take a sentence's words and units from here, so the counts the
// first pass makes are exactly the occurrences the second pass stores.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "qav/index/build/pn_info.h"
#include "qav/index/format/sort_idx_unit.h"
#include "qav/index/format/word.h"

namespace qav {

class CConfig;
class CQAVTree;

// One unit occurrence: its text and type, and its record fields.
using IdxUnitEntry = std::pair<CWord, CSortIdxUnit>;

// Record fields are one i16 word index and one u8 span; units whose values do
// not fit are not formed.
constexpr int kMaxAnchorIndex = 32767;
constexpr int kMaxSpan = 254;
constexpr uint8_t kSpanNotFound = 255;

// Words every index holds: "|" (written after a sentence's words), the group
// separator "齄", "[" and "]".
inline constexpr std::string_view kSeparatorWords[] = {"|", "\xF7\xFE", "[", "]"};
// Only the group separator "齄" joins no unit and breaks the units of its
// neighbours. "|", "[" and "]" met in a corpus are words like any other: a
// word beside them must be found.
bool IsSeparatorWord(std::string_view word);

// Whether a unit key made for kind type reads back as that kind. A key whose
// character from the corpus is key syntax ("|" before a tag gives "|_TAG|",
// read as a "|TAG_c" key) would merge with the units of another kind; such a
// unit is not formed, so corpus text never collides with a key.
bool KeyReadsAs(std::string_view key, int32_t type);

// First and last character of a word (a byte below 0x80, or a two-byte GBK
// character); the whole word when english. Empty when the word ends in the
// middle of a two-byte character.
std::string_view FirstCharOf(std::string_view word, bool english);
std::string_view LastCharOf(std::string_view word, bool english);

struct SentenceUnits {
    // The words in line order, as they go to the data file. They point into
    // the line or the tree and live as long as those.
    std::vector<std::string_view> words;
    // Whether the identifier of "|" follows the words in the data file.
    bool closing_bar = false;
    std::vector<IdxUnitEntry> units;

    // Words the sentence takes in the data file.
    uint32_t WordCount() const { return static_cast<uint32_t>(words.size()) + (closing_bar ? 1 : 0); }
    void Clear();
};

// A segmented line of word/tag tokens. Moves the previous pair of info on,
// and sets its next pair when the line has two or more words.
void CollectSegUnits(std::string_view line, CPNInfo& info, const CConfig& config, SentenceUnits& out);

// Numbers the clauses of a tree just read and collects its leaves in line
// order; false when the tree has no configuration.
bool SetWordNodeInfo(CQAVTree& tree);
// The same from the tree's node array in node-number order instead of a walk
// from the top nodes: every node without children is a leaf.
bool SetWordNodeInfo_Old(CQAVTree& tree);

// A tree already read, with its leaves collected. The caller has moved the
// previous pair of info on before reading the tree; sets the next pair when
// the tree has two or more leaves.
void SetIdxNodeInfo(CQAVTree& tree, CPNInfo& info, const CConfig& config, SentenceUnits& out);

// Any line of a data text file: kind 0 (a sequence file) always reads it as a
// segmented line; otherwise a line whose brackets make a tree is read with
// the tree, anything else as a segmented line. False when a tree line cannot
// be read (or the tree has no configuration); out then holds nothing.
bool CollectLineUnits(const char* line, CQAVTree& tree, CPNInfo& info, int kind, SentenceUnits& out);

}  // namespace qav
