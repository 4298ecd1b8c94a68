// Table words at the start, at the end and anywhere in a plain text.
#include <gtest/gtest.h>

#include "table_support.h"

namespace zel {
namespace {

using qztest::Gbk;

class TextMatch : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(BuildTables(dir, ".W\n北京 POS=ns\n北京大学 POS=nt\n大学 POS=n\n"));
        ASSERT_TRUE(LoadTables(dir));
        table = Table("W");
        ASSERT_NE(table, nullptr);
    }
    void TearDown() override { TableClusterExit(); }

    // "word@position" of each result.
    static std::string Show(const std::vector<CTableItemEx>& out, const std::vector<int>& positions = {}) {
        std::string shown;
        for (size_t i = 0; i < out.size(); ++i) {
            shown += (shown.empty() ? "" : " ") + qztest::Utf8(out[i].word);
            if (i < positions.size()) shown += "@" + std::to_string(positions[i]);
        }
        return shown;
    }

    qztest::TempDir dir;
    CTable* table = nullptr;
};

TEST_F(TextMatch, WordsAtTheStartLongestFirstUpToTheLimit) {
    std::vector<CTableItemEx> out;
    EXPECT_TRUE(g_pTableCluster->IsStrBegin(Gbk("北京大学生").c_str(), table, 10, out));
    EXPECT_EQ(Show(out), "北京大学 北京");
    EXPECT_EQ(out[0].value, "POS=nt");
    ASSERT_NE(out[0].Attributes(), nullptr);
    EXPECT_TRUE(out[0].Attributes()->find("POS", "nt"));
    out.clear();
    EXPECT_TRUE(g_pTableCluster->IsStrBegin(Gbk("北京大学生").c_str(), table, 1, out));
    EXPECT_EQ(Show(out), "北京大学");
    out.clear();
    EXPECT_FALSE(g_pTableCluster->IsStrBegin(Gbk("学").c_str(), table, 10, out));
    EXPECT_FALSE(g_pTableCluster->IsStrBegin("", table, 10, out));
    EXPECT_TRUE(out.empty());
}

TEST_F(TextMatch, WordsAtTheEnd) {
    std::vector<CTableItemEx> out;
    EXPECT_TRUE(g_pTableCluster->IsStrEnd(Gbk("我在北京大学").c_str(), table, 10, out));
    EXPECT_EQ(Show(out), "北京大学 大学");
    out.clear();
    EXPECT_FALSE(g_pTableCluster->IsStrEnd(Gbk("北京人").c_str(), table, 10, out));
}

TEST_F(TextMatch, WordsAnywhereInBothDirections) {
    std::vector<CTableItemEx> out;
    std::vector<int> positions;
    EXPECT_TRUE(g_pTableCluster->IsStrMid(Gbk("北京大学生").c_str(), table, 10, out, positions));
    EXPECT_EQ(Show(out, positions), "北京大学@3 北京@1 大学@3");
    out.clear();
    positions.clear();
    // At the limit the other lengths of a start are passed over.
    EXPECT_TRUE(g_pTableCluster->IsStrMid(Gbk("北京大学生").c_str(), table, 1, out, positions));
    EXPECT_EQ(Show(out, positions), "北京大学@3 大学@3");

    out.assign(1, CTableItemEx{});
    positions.assign(1, 99);
    EXPECT_TRUE(g_pTableCluster->IsStrMid_R2L(Gbk("北京大学").c_str(), table, 10, out, positions));
    EXPECT_EQ(Show(out, positions), "北京大学@0 大学@2 北京@0");
    EXPECT_FALSE(g_pTableCluster->IsStrMid_R2L(Gbk("学生").c_str(), table, 10, out, positions));
    EXPECT_TRUE(out.empty());
}

TEST_F(TextMatch, LongestWordAtTheStart) {
    std::string key = "stale", value = "stale";
    EXPECT_TRUE(TableClusterMaxSeg(Gbk("北京大学生").c_str(), "W", key, value));
    EXPECT_EQ(qztest::Utf8(key), "北京大学");
    EXPECT_EQ(value, "POS=nt");
    EXPECT_FALSE(TableClusterMaxSeg(Gbk("生").c_str(), "W", key, value));
    EXPECT_EQ(key, "");
    EXPECT_EQ(value, "");
    EXPECT_FALSE(TableClusterMaxSeg(Gbk("北京").c_str(), "Nowhere", key, value));
}

// ASCII candidates are cut at two-byte steps and looked up in full width.
TEST_F(TextMatch, AsciiTextIsCutAtTwoByteSteps) {
    ASSERT_TRUE(BuildTables(dir, ".A\nab\nabc\n"));
    ASSERT_TRUE(LoadTables(dir));
    std::vector<CTableItemEx> out;
    EXPECT_TRUE(g_pTableCluster->IsStrBegin("abc", Table("A"), 10, out));
    EXPECT_EQ(Show(out), "ａｂ");
}

// Words that hold characters outside the ordinal range (GBK/3-4) are found
// in a table large enough to have per-character length tables.
TEST_F(TextMatch, LargeTablesFindWordsWithoutOrdinals) {
    std::string source = ".Big\n";
    for (int i = 0; i < 1100; ++i) source += "词" + std::to_string(i) + "\n";
    source += "丂丄乛\n北京\n";
    ASSERT_TRUE(BuildTables(dir, source));
    ASSERT_TRUE(LoadTables(dir));
    CTable* big = Table("Big");
    ASSERT_EQ(big->charCount(), kHZNumTotal);
    std::vector<CTableItemEx> out;
    std::vector<int> positions;
    EXPECT_TRUE(g_pTableCluster->IsStrMid(Gbk("在丂丄乛的北京").c_str(), big, 10, out, positions));
    EXPECT_EQ(Show(out, positions), "丂丄乛@3 北京@6");
    out.clear();
    EXPECT_TRUE(g_pTableCluster->IsStrEnd(Gbk("在丂丄乛").c_str(), big, 10, out));
    EXPECT_EQ(Show(out), "丂丄乛");
}

}  // namespace
}  // namespace zel
