#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_support.h"
#include "zel/lattice/collocation_tables.h"
#include "zel/lattice/lattice.h"
#include "zel/rules/match/table_front.h"
#include "zel/rules/match/unit_conditions.h"
#include "zel/rules/tables/table_support.h"

namespace zel {
namespace {

using qztest::Gbk;

// Words of the results, in UTF-8.
std::vector<std::string> Words(const std::vector<CTableItemEx>& out) {
    std::vector<std::string> words;
    for (const CTableItemEx& item : out) words.push_back(qztest::Utf8(item.word));
    return words;
}

class TableMatch : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(BuildTables(dir,
                                ".Place\n北京\n北京大学\n大学\n"
                                ".Num\n一\n"
                                ".Role\nPOS=ns Role=place\n"
                                ".Mixed\n北京\nPOS=ns Role=place\n"));
        ASSERT_TRUE(LoadTables(dir));
    }
    void TearDown() override { TableClusterExit(); }

    // The lattice of a sentence with a word unit over columns from..to.
    CUnit& Word(CLattice& lattice, const char* utf8, int to, const char* attributes) {
        std::string id;
        EXPECT_TRUE(lattice.AddNewUnit(to, Gbk(utf8).c_str(), kUnitWord, id, -1, false, attributes));
        return *lattice.GetLatticeUnit(id.c_str());
    }

    qztest::TempDir dir;
    std::vector<CTableItemEx> out;
    std::vector<int> positions;
};

TEST_F(TableMatch, TextFormsGiveLongestFirst) {
    ASSERT_TRUE(TableClusterIsStrBegin(Gbk("北京大学生").c_str(), "Place", 10, out));
    EXPECT_EQ(Words(out), (std::vector<std::string>{"北京大学", "北京"}));
    out.clear();
    ASSERT_TRUE(TableClusterIsStrBegin(Gbk("北京大学生").c_str(), "Place", 1, out));
    EXPECT_EQ(Words(out), std::vector<std::string>{"北京大学"});
    out.clear();
    ASSERT_TRUE(TableClusterIsStrMid(Gbk("北京大学生").c_str(), "Place", 10, out, positions));
    EXPECT_EQ(Words(out), (std::vector<std::string>{"北京大学", "北京", "大学"}));
    EXPECT_EQ(positions, (std::vector<int>{3, 1, 3}));
    out.clear();
    ASSERT_TRUE(TableClusterIsStrEnd(Gbk("在北京大学").c_str(), "Place", 10, out));
    EXPECT_EQ(Words(out), (std::vector<std::string>{"北京大学", "大学"}));

    // No such table: false, and out as it was.
    EXPECT_FALSE(TableClusterIsStrBegin(Gbk("北京").c_str(), "Nowhere", 10, out));
    EXPECT_EQ(out.size(), 2u);
}

TEST_F(TableMatch, ItemKVTablesAnswerWhatTheyFound) {
    // A prefix found counts, and nothing found is false, item-KV entries or not.
    EXPECT_TRUE(TableClusterIsStrBegin(Gbk("北京大学").c_str(), "Mixed", 10, out));
    out.clear();
    EXPECT_FALSE(TableClusterIsStrMid(Gbk("我爱").c_str(), "Mixed", 10, out, positions));
    EXPECT_FALSE(TableClusterIsStrEnd(Gbk("我爱").c_str(), "Mixed", 10, out));
    EXPECT_TRUE(out.empty());
}

TEST_F(TableMatch, LatticeFormsKeepUnitsWhole) {
    CLattice lattice;
    ASSERT_TRUE(lattice.LatticeBuild(Gbk("我爱北京大学。").c_str()));
    ASSERT_TRUE(TableClusterIsStrMidEx(lattice, "Place", 0, out, positions, nullptr));
    EXPECT_EQ(Words(out), (std::vector<std::string>{"北京大学", "北京", "大学"}));
    EXPECT_EQ(positions, (std::vector<int>{5, 3, 5}));

    ASSERT_TRUE(TableClusterIsStrMid_R2LEx(lattice, "Place", 5, out, positions, nullptr));
    EXPECT_EQ(Words(out), (std::vector<std::string>{"北京大学", "北京", "大学", "北京大学"}));  // appended
    EXPECT_FALSE(TableClusterIsStrMid_R2LEx(lattice, "Place", -1, out, positions, nullptr));

    out.clear();
    ASSERT_TRUE(TableClusterIsStrBeginEx(lattice, "Place", 10, 2, out));
    EXPECT_EQ(Words(out), (std::vector<std::string>{"北京大学", "北京"}));
    out.clear();
    ASSERT_TRUE(TableClusterIsStrEndEx(lattice, "Place", 10, 5, out));
    EXPECT_EQ(Words(out), (std::vector<std::string>{"北京大学", "大学"}));
    out.clear();
    EXPECT_FALSE(TableClusterIsStrEndEx(lattice, "Place", 10, 1, out));

    // A unit over 京大 drops 大学, which would begin inside it.
    Word(lattice, "京大", 4, "POS=x");
    ASSERT_TRUE(TableClusterIsStrMidEx(lattice, "Place", 0, out, positions, nullptr));
    EXPECT_EQ(Words(out), (std::vector<std::string>{"北京大学", "北京"}));
}

TEST_F(TableMatch, LatticeMidSearchStopsAtTenResults) {
    CLattice lattice;
    ASSERT_TRUE(lattice.LatticeBuild(Gbk("一一一一一一一一一一一一一一一").c_str()));
    ASSERT_TRUE(TableClusterIsStrMidEx(lattice, "Num", 0, out, positions, nullptr));
    EXPECT_EQ(out.size(), 10u);
    EXPECT_EQ(positions.front(), 0);
    EXPECT_EQ(positions.back(), 9);
}

TEST_F(TableMatch, ItemKVEntriesMatchUnits) {
    CLattice lattice;
    ASSERT_TRUE(lattice.LatticeBuild(Gbk("我爱北京。").c_str()));
    CUnit& beijing = Word(lattice, "北京", 3, "POS=ns");
    ASSERT_TRUE(TableClusterIsStrBeginEx(lattice, "Role", 10, 2, out));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].word, beijing.GetHeadWord());
    EXPECT_EQ(out[0].value, "Role=place");
    out.clear();
    EXPECT_TRUE(TableClusterIsStrEndEx(lattice, "Role", 10, 3, out));
    out.clear();
    EXPECT_FALSE(TableClusterIsStrEndEx(lattice, "Role", 10, 2, out));

    ASSERT_TRUE(TableClusterIsStrMidEx(lattice, "Role", 0, out, positions, nullptr));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(positions, std::vector<int>{3});
    out.clear();
    positions.clear();
    ASSERT_TRUE(TableClusterIsStrMid_R2LEx(lattice, "Role", 3, out, positions, nullptr));
    EXPECT_EQ(out.size(), 1u);
}

TEST_F(TableMatch, HeadWordsOfUnitsAsSynonyms) {
    CLattice lattice;
    ASSERT_TRUE(lattice.LatticeBuild(Gbk("我爱北京。").c_str()));
    CUnit& beijing = Word(lattice, "北京", 3, "POS=ns");
    beijing.HeadWord = Gbk("北京大学");
    ASSERT_TRUE(TableClusterIsStrMidUnit(lattice, "Place", out, positions));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].word, Gbk("北京"));
    EXPECT_EQ(out[0].value, Gbk("Syn=北京大学"));
    EXPECT_EQ(positions, std::vector<int>{3});
    EXPECT_FALSE(TableClusterIsStrMidUnit(lattice, "Nowhere", out, positions));
}

TEST_F(TableMatch, UnitConditionsAskTables) {
    CLattice lattice;
    ASSERT_TRUE(lattice.LatticeBuild(Gbk("我爱北京。").c_str()));
    CUnit& beijing = Word(lattice, "北京", 3, "POS=ns");
    CUnit& love = *lattice.GetLatticeUnit("(1,1)");
    struct Case {
        CUnit* unit;
        const char* condition;
        bool holds;
    } cases[] = {
        {&beijing, "Word=Place", true},     {&love, "Word=Place", false},     {&beijing, "Word=Nowhere", false},
        {&beijing, "Prefix=Place", true},   {&beijing, "Suffix=Place", true}, {&love, "Prefix=Place", false},
        {&beijing, "HeadWord=Role", true},  {&love, "HeadWord=Role", false},  {&beijing, "Word=Place!", false},
        {&beijing, "Word!=Place", false},   {&love, "Word!=Place", true},
    };
    for (const Case& c : cases) EXPECT_EQ(CheckAtt(*c.unit, c.condition), c.holds) << c.condition;
}

TEST_F(TableMatch, CollocationReachesTheClusterThroughTheLatticeInterface) {
    CollocationTables* tables = GetCollocationTables();
    ASSERT_NE(tables, nullptr);
    CLattice lattice;
    ASSERT_TRUE(lattice.LatticeBuild(Gbk("我爱北京大学。").c_str()));
    std::vector<CollMatch> matches{CollMatch{}};
    ASSERT_TRUE(tables->IsStrMidEx(lattice, "Place", 0, matches, nullptr));
    ASSERT_EQ(matches.size(), 3u);
    EXPECT_EQ(matches[1].word, Gbk("北京"));
    EXPECT_EQ(matches[1].column, 3);
    EXPECT_TRUE(tables->IsStrMid_R2LEx(lattice, "Place", 5, matches, nullptr));
    EXPECT_EQ(matches.size(), 4u);
    EXPECT_FALSE(tables->IsStrMid_R2LEx(lattice, "Nowhere", 5, matches, nullptr));
    EXPECT_FALSE(tables->IsStrMid_R2LEx(lattice, "Place", -1, matches, nullptr));

    std::string value;
    EXPECT_TRUE(tables->IsStrEqual("Mixed", Gbk("北京").c_str(), value));
    EXPECT_FALSE(tables->IsStrEqual("Mixed", Gbk("大学").c_str(), value));
    CKVTable config;
    config.Insert2KV("Limit", "Len=4");
    EXPECT_TRUE(tables->IsLimit(lattice, *lattice.GetLatticeUnit("(5,1)"), nullptr, config, "Limit=Len=1"));
    EXPECT_FALSE(tables->IsLimit(lattice, *lattice.GetLatticeUnit("(5,1)"), nullptr, config, ""));
}

}  // namespace
}  // namespace zel
