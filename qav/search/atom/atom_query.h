// The atom query: one index unit named by its written form, the pattern text
// that must continue the unit's occurrences, the pattern's word identifiers,
// and the wave counts and bracket marks that shape the hits made from it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "qav/index/format/unit_type.h"

namespace qav {

class CHashTable;
class CWordList;

// Bracket mark {value, mark kind 0-3}, or wave count {number of "~", wave string index 0-3}.
struct CBracketInfo {
    uint32_t value = 0;
    uint32_t kind = 0;
};

// Where a query looks up units and words: the engine's unit table, word list
// and language. A null table or word list means there is no engine.
struct AtomQueryEnv {
    const CHashTable* units = nullptr;
    const CWordList* wordList = nullptr;
    int language = 0;
};

class CAtomSearchQuery {
public:
    static constexpr size_t kMaxTextBytes = 1023;
    static constexpr size_t kMaxIds = 64;

    std::string unit;             // key looked up in the unit table
    std::string pattern;          // pattern text with every "." removed
    std::vector<uint32_t> ids;    // segmentation of the pattern; kNotAWord for a part that is no word
    int queryLength = 0;          // pattern bytes + 2 for each removed "."
    std::vector<CBracketInfo> brackets;
    std::vector<CBracketInfo> waves;  // four entries once set
    UnitType type = UNIT_NONE;

    int idCount() const { return static_cast<int>(ids.size()); }

    // Fills the query; false (kind 0, empty pattern) only when no kind can be
    // given to the unit text. A unit text of none of the six forms is a plain
    // text: the unit becomes the key GetUnit chooses for it and the pattern is
    // the text itself (the pattern argument is then not used).
    bool SetAtomSearchQuery(const AtomQueryEnv& env, std::string_view unitText, std::string_view patternText,
                            std::string_view wave1, std::string_view wave2, std::string_view wave3,
                            std::string_view wave4);
    // The same with explicit bracket lists; a null bracket string makes it
    // exactly SetAtomSearchQuery.
    bool SetAtomSearchQueryEx(const AtomQueryEnv& env, std::string_view unitText, std::string_view patternText,
                              std::string_view wave1, std::string_view wave2, std::string_view wave3,
                              std::string_view wave4, const char* bracket1, const char* bracket2,
                              const char* bracket3, const char* bracket4);
    void Clear();
    // Kind from the unit text; false when no form fits.
    bool SetASType();
    // Unit key of a plain text: "<" + its first character when that unit
    // exists, else its last character + ">" when that one exists, else the
    // first. False when the text is empty or there is no engine.
    static bool GetUnit(const AtomQueryEnv& env, std::string_view text, std::string& key);
    // Segments the pattern by the engine's language: Chinese kinds 4 and 9
    // left to right, other kinds right to left; English by blanks; otherwise none.
    void Query2IDs(const AtomQueryEnv& env);
    void SetWaveLineInfo(std::string_view w1, std::string_view w2, std::string_view w3, std::string_view w4);
    void SetBracketInfo(std::string_view w1, std::string_view w2, std::string_view w3, std::string_view w4);
    void SetBracketInfoEx(std::string_view b1, std::string_view b2, std::string_view b3, std::string_view b4);

private:
    bool SetUnitAndPattern(const AtomQueryEnv& env, std::string_view unitText, std::string_view patternText);
};

// Number of "~" in a wave string.
uint32_t GetWaveNum(std::string_view text);
// Bracket values of a wave string: for each "(" or ")" in left-to-right
// order, the number of "~" before it (fromLeft) or after it.
void GetBracketInfo(std::string_view text, bool fromLeft, std::vector<uint32_t>& values);
// Decimal values separated by blanks, ";" or ",", in written order.
void GetBracketInfoEx(std::string_view text, std::vector<uint32_t>& values);
// The pattern without "." (cut to kMaxTextBytes) and its length counting two
// bytes for each ".".
void GetQueryInfo(std::string_view text, std::string& pattern, int& length);

}  // namespace qav
