#include <gtest/gtest.h>

#include <string>

#include "qav/index/format/unit_type.h"
#include "support/test_support.h"

TEST(UnitType, WrittenFormsInTestOrder) {
    struct Case {
        std::string text;
        UnitType kind;
    } cases[] = {
        {"的_n|", UNIT_POS_L}, {"|v_上", UNIT_POS_R}, {"$NP_海", UNIT_ML}, {"海@", UNIT_MR},
        {"我>", UNIT_HZ_L},    {"<我", UNIT_HZ_R},    {"|x|", UNIT_POS_R}, {"$x|", UNIT_POS_L},
        {"$x@", UNIT_ML},      {"<x>", UNIT_HZ_R},    {"v|", UNIT_POS_L},  {"|", UNIT_POS_R},
        {"我", UNIT_NONE},     {"", UNIT_NONE},
    };
    for (const Case& c : cases) EXPECT_EQ(UnitTypeOfText(qztest::Gbk(c.text)), c.kind) << c.text;
}

TEST(UnitType, TrailByteIsNotTakenForAFormCharacter) {
    // 0x81 0x40 and 0x81 0x7C are two-byte characters whose trail bytes are "@" and "|".
    EXPECT_EQ(UnitTypeOfText("a\x81\x40"), UNIT_NONE);
    EXPECT_EQ(UnitTypeOfText("a\x81\x7C"), UNIT_NONE);
    EXPECT_EQ(UnitTypeOfText("\x81\x40@"), UNIT_MR);
}

TEST(UnitType, RecordWidth) {
    EXPECT_EQ(SearchRecordWidth(UNIT_POS_L), 8);
    EXPECT_EQ(SearchRecordWidth(UNIT_POS_R), 8);
    for (UnitType kind : {UNIT_ML, UNIT_MR, UNIT_HZ_L, UNIT_HZ_R, UNIT_NONE}) EXPECT_EQ(SearchRecordWidth(kind), 9);
}
