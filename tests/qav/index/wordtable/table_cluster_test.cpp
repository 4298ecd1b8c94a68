#include "qav/index/wordtable/table_cluster.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

using qztest::Gbk;

class TableClusterTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(cluster.TableClusterInit());
        ASSERT_TRUE(cluster.Insert({Gbk("中国"), Gbk("中国人")}, "china"));
        ASSERT_TRUE(cluster.Insert({Gbk("人")}, "person"));
        ASSERT_TRUE(cluster.Insert({"ab"}, "ascii"));
        ASSERT_TRUE(cluster.Insert({}, "empty"));
    }

    qav::CTableCluster cluster;
};

TEST_F(TableClusterTest, BeginEndAndMiddleTests) {
    struct Case {
        std::string text;  // UTF-8
        const char* table;
        bool begin, end, mid;
    };
    const std::vector<Case> cases = {
        // The three-character word is tried first.
        {"中国人民", "china", true, false, true},
        {"在中国", "china", false, true, true},
        {"我们中国人", "china", false, true, true},
        {"我们中国人民", "china", false, false, true},
        {"中", "china", false, false, false},
        {"人民", "person", true, false, true},
        {"人", "person", true, true, true},
        {"工人", "person", false, true, true},
        // Texts under 4 bytes always try one character.
        {"ab", "ascii", true, true, true},
        {"abc", "ascii", true, false, true},
        // 4 bytes or more that do not begin or end with a Han character.
        {"abcd", "ascii", false, false, false},
        {"ab中国", "ascii", false, false, false},
        // A byte that is not part of a Han character moves the scan by one.
        {"x中国", "china", false, true, true},
        {"", "china", false, false, false},
        {"", "ascii", false, false, false},
        {"中国", "empty", false, false, false},
        {"ab", "empty", false, false, false},
        {"中国", "no such table", false, false, false},
    };
    for (const Case& c : cases) {
        std::string text = Gbk(c.text);
        EXPECT_EQ(cluster.IsStrBegin(text, c.table), c.begin) << c.text << " in " << c.table;
        EXPECT_EQ(cluster.IsStrEnd(text, c.table), c.end) << c.text << " in " << c.table;
        EXPECT_EQ(cluster.IsStrMid(text, c.table), c.mid) << c.text << " in " << c.table;
    }
}

TEST_F(TableClusterTest, EqualityNeedsTheWholeKey) {
    std::string value = "stale";
    uint32_t number = 7;
    EXPECT_TRUE(cluster.IsStrEqual(Gbk("中国"), "china", value, number));
    EXPECT_EQ(value, "");
    EXPECT_EQ(number, 0u);
    EXPECT_TRUE(cluster.IsStrEqual(Gbk("中国人"), "china", value, number));
    EXPECT_FALSE(cluster.IsStrEqual(Gbk("中"), "china", value, number));
    EXPECT_FALSE(cluster.IsStrEqual(Gbk("中国人民"), "china", value, number));
    EXPECT_FALSE(cluster.IsStrEqual("", "empty", value, number));
    EXPECT_FALSE(cluster.IsStrEqual(Gbk("中国"), "no such table", value, number));
}

TEST_F(TableClusterTest, GetTableListsKeysInOrder) {
    ASSERT_TRUE(cluster.Insert({"y", "x"}, "xy"));
    std::string out = "stale";
    ASSERT_TRUE(cluster.GetTable("xy", out));
    EXPECT_EQ(out, "x|y|");
    ASSERT_TRUE(cluster.GetTable("empty", out));
    EXPECT_EQ(out, "");
    EXPECT_FALSE(cluster.GetTable("no such table", out));
}

TEST_F(TableClusterTest, SecondTableOfANameReplacesTheFirst) {
    ASSERT_TRUE(cluster.Insert({Gbk("日本")}, "china"));
    EXPECT_FALSE(cluster.IsStrBegin(Gbk("中国人"), "china"));
    EXPECT_TRUE(cluster.IsStrBegin(Gbk("日本人"), "china"));
}

TEST_F(TableClusterTest, OverlongWordsAreLeftOutOfATable) {
    const std::string longest(2047, 'a');
    const std::string too_long(2048, 'b');
    const std::string far_too_long(100000, 'c');
    ASSERT_TRUE(cluster.Insert({longest, too_long, far_too_long, "ok"}, "long"));
    std::string value;
    uint32_t number = 0;
    EXPECT_TRUE(cluster.IsStrEqual(longest, "long", value, number));
    EXPECT_FALSE(cluster.IsStrEqual(too_long, "long", value, number));
    EXPECT_FALSE(cluster.IsStrEqual(far_too_long, "long", value, number));
    EXPECT_TRUE(cluster.IsStrEqual("ok", "long", value, number));
    std::string keys;
    ASSERT_TRUE(cluster.GetTable("long", keys));
    EXPECT_EQ(keys, longest + "|ok|");
}

TEST_F(TableClusterTest, ExitDropsEveryTableAndInitStartsAfresh) {
    cluster.TableClusterExit();
    EXPECT_FALSE(cluster.IsStrBegin(Gbk("中国人民"), "china"));
    testing::internal::CaptureStdout();
    EXPECT_FALSE(cluster.Insert({"x"}, "before init"));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Warning: invalid hash address.\nbefore init ignored\n");
    ASSERT_TRUE(cluster.TableClusterInit());
    ASSERT_TRUE(cluster.Insert({Gbk("中国")}, "china"));
    EXPECT_TRUE(cluster.IsStrBegin(Gbk("中国人民"), "china"));
    EXPECT_FALSE(cluster.IsStrBegin(Gbk("人民"), "person"));
}

// The length arrays keep, per Han character, the longest word that starts
// (low byte) or has it second (high byte); from the end likewise.
TEST(WordTableLengths, BoundsFollowTheLongestWords) {
    qav::CTable table;
    table.SetTable_Set({Gbk("中国"), Gbk("中国人"), Gbk("国"), "ab"}, "t");
    struct Case {
        std::string text;
        int from_start, from_end;
    };
    const std::vector<Case> cases = {
        {"中国人民", 3, 0},  // 中 starts 3 characters; 民 ends nothing
        {"国人", 1, 3},      // 国 starts only itself; 人 ends 中国人
        {"在中国", 0, 2},
        {"国", 1, 1},
        {"ab", 1, 1},
        {"abcd", 0, 0},
        {"", 0, 0},
    };
    for (const Case& c : cases) {
        std::string text = Gbk(c.text);
        EXPECT_EQ(table.GetMaxLen_R(text), c.from_start) << c.text;
        EXPECT_EQ(table.GetMaxLen_L(text), c.from_end) << c.text;
    }
    EXPECT_EQ(qav::GetHZNo(Gbk("啊")), 0);
    EXPECT_EQ(qav::GetHZNo(Gbk("齄")), 6767);
    EXPECT_EQ(qav::GetHZNo(Gbk("、")), -1);
    EXPECT_EQ(qav::GetHZNo("\xB0"), -1);
}

}  // namespace
