// Kind of an index or query unit of the retrieval library, given by the
// unit's written form.
#pragma once

typedef int UnitType;

constexpr UnitType UNIT_POS_L = 3;  // c_TAG| (ends with "|"); complex form TAG|
constexpr UnitType UNIT_POS_R = 4;  // |TAG_c (begins with "|"); complex form |TAG
constexpr UnitType UNIT_ML = 5;     // $LABEL_c (begins with "$"); complex form $LABEL
constexpr UnitType UNIT_MR = 6;     // c@ (ends with "@"): complex unit over kind 5
constexpr UnitType UNIT_WORD = 7;   // a plain word; counted, never indexed
constexpr UnitType UNIT_HZ_L = 8;   // c> (ends with ">"): complex unit over kind 3
constexpr UnitType UNIT_HZ_R = 9;   // <c (begins with "<"): complex unit over kind 4
