// Kind of an index or query unit of the retrieval library, given by the
// unit's written form.
#pragma once

#include <string_view>

#include "common/text/gbk_char.h"

namespace qav {

typedef int UnitType;

constexpr UnitType UNIT_NONE = 0;   // no form fits (or a complex unit's own node)
constexpr UnitType UNIT_POS_L = 3;  // c_TAG| (ends with "|"); complex form TAG|
constexpr UnitType UNIT_POS_R = 4;  // |TAG_c (begins with "|"); complex form |TAG
constexpr UnitType UNIT_ML = 5;     // $LABEL_c (begins with "$"); complex form $LABEL
constexpr UnitType UNIT_MR = 6;     // c@ (ends with "@"): complex unit over kind 5
constexpr UnitType UNIT_WORD = 7;   // a plain word; counted, never indexed
constexpr UnitType UNIT_HZ_L = 8;   // c> (ends with ">"): complex unit over kind 3
constexpr UnitType UNIT_HZ_R = 9;   // <c (begins with "<"): complex unit over kind 4

// Kind of a unit text by its first and last byte, tested in this order:
// first "|" 4, last "|" 3, first "$" 5, last "@" 6, first "<" 9, last ">" 8;
// UNIT_NONE when none fits (an empty text, or a plain text). The last byte
// counts only when it is a character of its own, not the trail byte of a
// two-byte character.
inline UnitType UnitTypeOfText(std::string_view text) {
    if (text.empty()) return UNIT_NONE;
    size_t lastStart = 0;
    for (size_t i = 0; i < text.size(); i += qz::GbkCharLen(text.data() + i, text.size() - i)) lastStart = i;
    const char first = text.front();
    const char last = lastStart + 1 == text.size() ? text.back() : '\0';
    if (first == '|') return UNIT_POS_R;
    if (last == '|') return UNIT_POS_L;
    if (first == '$') return UNIT_ML;
    if (last == '@') return UNIT_MR;
    if (first == '<') return UNIT_HZ_R;
    if (last == '>') return UNIT_HZ_L;
    return UNIT_NONE;
}

// Bytes of one offset record of a unit of this kind in a search: 8 for kinds
// 3 and 4, 9 (with the span byte) for every other kind.
inline int SearchRecordWidth(UnitType kind) {
    return kind == UNIT_POS_L || kind == UNIT_POS_R ? 8 : 9;
}

}  // namespace qav
