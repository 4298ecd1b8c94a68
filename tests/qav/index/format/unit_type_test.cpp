#include <gtest/gtest.h>

#include <string>

#include "qav/index/format/unit_type.h"
#include "support/test_support.h"

TEST(UnitType, WrittenFormsInTestOrder) {
    struct Case {
        std::string text;
        qav::UnitType kind;
    } cases[] = {
        {"的_n|", qav::UNIT_POS_L}, {"|v_上", qav::UNIT_POS_R}, {"$NP_海", qav::UNIT_ML}, {"海@", qav::UNIT_MR},
        {"我>", qav::UNIT_HZ_L},    {"<我", qav::UNIT_HZ_R},    {"|x|", qav::UNIT_POS_R}, {"$x|", qav::UNIT_POS_L},
        {"$x@", qav::UNIT_ML},      {"<x>", qav::UNIT_HZ_R},    {"v|", qav::UNIT_POS_L},  {"|", qav::UNIT_POS_R},
        {"我", qav::UNIT_NONE},     {"", qav::UNIT_NONE},
    };
    for (const Case& c : cases) EXPECT_EQ(qav::UnitTypeOfText(qztest::Gbk(c.text)), c.kind) << c.text;
}

TEST(UnitType, TrailByteIsNotTakenForAFormCharacter) {
    // 0x81 0x40 and 0x81 0x7C are two-byte characters whose trail bytes are "@" and "|".
    EXPECT_EQ(qav::UnitTypeOfText("a\x81\x40"), qav::UNIT_NONE);
    EXPECT_EQ(qav::UnitTypeOfText("a\x81\x7C"), qav::UNIT_NONE);
    EXPECT_EQ(qav::UnitTypeOfText("\x81\x40@"), qav::UNIT_MR);
}

TEST(UnitType, RecordWidth) {
    EXPECT_EQ(qav::SearchRecordWidth(qav::UNIT_POS_L), 8);
    EXPECT_EQ(qav::SearchRecordWidth(qav::UNIT_POS_R), 8);
    for (qav::UnitType kind : {qav::UNIT_ML, qav::UNIT_MR, qav::UNIT_HZ_L, qav::UNIT_HZ_R, qav::UNIT_NONE}) EXPECT_EQ(qav::SearchRecordWidth(kind), 9);
}
