// Hash and character helpers of networks and tables.
#include <gtest/gtest.h>

#include "support/test_support.h"
#include "zel/rules/format/rule_hash.h"

namespace zel {
namespace {

using qztest::Gbk;

TEST(RuleHash, Numbers) {
    EXPECT_EQ(Hash_Nearest_Prime_Rule(10240), 10243);
    EXPECT_EQ(Hash_Nearest_Prime_Rule(8), 11);
    EXPECT_EQ(Hash_Nearest_Prime_Rule(6), 7);
    EXPECT_EQ(Hash_Nearest_Prime_Rule(9), 11);
    EXPECT_EQ(Hash_Nearest_Prime_Rule(641), 641);
    EXPECT_EQ(GetHash(""), 0u);
    EXPECT_EQ(GetHash(Gbk("北京")), 5449163u);
    EXPECT_EQ(GetHZNo("\xA1\xA1"), 161u);
    EXPECT_EQ(GetHZNo("\xF7\xFE"), 8338u);
    EXPECT_EQ(GetHZNo("\xF8\xA1"), kNoHZ);
    EXPECT_EQ(GetHZNo("ab"), kNoHZ);
    EXPECT_EQ(GetHZNo("\xB1"), kNoHZ);
    // Signed bytes: 0xB1 counts as -79.
    EXPECT_EQ(hashValue("\xB1", 1000), static_cast<uint32_t>(-79) % 1000);
}

TEST(RuleHash, ReversedCharacterOrder) {
    EXPECT_GT(strcmp_l("ab", "ba"), 0);
    EXPECT_EQ(strcmp_l(Gbk("北京"), Gbk("北京")), 0);
    // 京北 against 学大: B9... before D1...
    EXPECT_LT(strcmp_l(Gbk("北京"), Gbk("大学")), 0);
    // Two-byte characters keep their byte order: 大a reversed is a大.
    EXPECT_EQ(ReverseChars(Gbk("大") + "a"), "a" + Gbk("大"));
}

TEST(RuleHash, LengthTables) {
    std::vector<uint16_t> first(kLastHZ, 0), last(kLastHZ, 0);
    for (const char* word : {"北京大学", "大"}) {
        SetHZInfoEx(Gbk(word), first, false);
        SetHZInfoEx(Gbk(word), last, true);
    }
    EXPECT_EQ(first[GetHZNo(Gbk("北"))], 4);
    EXPECT_EQ(first[GetHZNo(Gbk("京"))], 4 << 8);
    EXPECT_EQ(first[GetHZNo(Gbk("大"))], 1);
    EXPECT_EQ(last[GetHZNo(Gbk("学"))], 4);
    EXPECT_EQ(last[GetHZNo(Gbk("大"))], (4 << 8) | 1);
    EXPECT_EQ(LengthBound(Gbk("北京人"), first, false), 4);
    EXPECT_EQ(LengthBound(Gbk("北"), first, false), 1);
    EXPECT_EQ(LengthBound("", first, false), 0);
    EXPECT_EQ(LengthBound(Gbk("人大学"), last, true), 4);
    EXPECT_EQ(LengthBound(Gbk("天下"), std::vector<uint16_t>{6}, false), 6);
}

}  // namespace
}  // namespace zel
