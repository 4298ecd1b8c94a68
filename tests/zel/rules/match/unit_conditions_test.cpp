#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_support.h"
#include "zel/lattice/kv_table.h"
#include "zel/lattice/lattice.h"
#include "zel/rules/match/relation_units.h"
#include "zel/rules/match/unit_conditions.h"

namespace zel {
namespace {

using qztest::Gbk;

// "我爱北京。" with the word unit 北京 (columns 2..3, POS=ns) at (3,2).
class UnitConditions : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(lattice.LatticeBuild(Gbk("我爱北京。").c_str()));
        std::string id;
        ASSERT_TRUE(lattice.AddNewUnit(3, Gbk("北京").c_str(), kUnitWord, id, -1, false, "POS=ns"));
        ASSERT_EQ(id, "(3,2)");
        beijing = lattice.GetLatticeUnit("(3,2)");
        ASSERT_NE(beijing, nullptr);
        ASSERT_EQ(beijing->From, 2);
    }

    CLattice lattice;
    CUnit* beijing = nullptr;
};

TEST_F(UnitConditions, BuiltInKeysAndJoinedItems) {
    struct Case {
        std::string condition;
        bool holds;
    } cases[] = {
        {"POS=ns", true},
        {"POS=v|POS=ns", true},
        {"From=2", true},
        {"Len=2", true},
        {"Type=HZ", true},
        {"ULeft=(1,1)", true},
        {"URight=(4,1)", true},
        {"ClausePos=End", true},
        {Gbk("北京"), true},
        {Gbk("Prefix=北"), true},
        {Gbk("Suffix=京"), true},
        {"POS!=v", true},
        {"From=(2,1)", true},  // the character unit 北 starts where 北京 does
        {"To=(3,1)", true},
        {"Word=UThis", true},
        {"Unit=(3,2)", true},
        {"ULefts=(0,1)", true},
        {"URights=(4,1)", true},
        {"ClauseID=0", true},
        {"Len=2&From=2&", true},
        {"POS!=ns", false},
        {"POS=v&POS=ns", false},
        {"ChunkPos=In", false},  // no chunk
        {"ClausePos=Beg", false},
        {Gbk("Suffix=北"), false},
        {"From=3", false},
        {"ULeft=(0,1)", false},
        {"URight=(3,1)", false},
        {"Len=", false},
        {"=ns", false},
        {"ns", false},  // a bare ASCII item is a Tag
        {"POS=v|", false},
    };
    for (const Case& c : cases) EXPECT_EQ(CheckAtt(*beijing, c.condition.c_str()), c.holds) << c.condition;
}

TEST_F(UnitConditions, LatticeConditionsUseTheSameTests) {
    EXPECT_TRUE(beijing->CheckAtt("Type=HZ&ClausePos=End&ULeft=(1,1)"));
    EXPECT_FALSE(beijing->CheckAtt("ChunkPos=In"));
}

TEST_F(UnitConditions, RelationKeysAsValuesAndExpressions) {
    struct Case {
        std::string condition;
        bool holds;
    } cases[] = {
        {"ULeft=ULeft", true},  // some unit of the column before is on the left
        {"URight=ULeft", false},
        {Gbk("URight:Word=。"), true},
        {Gbk("ULeft:Word=爱"), true},
        {Gbk("ULeft:Word=我"), false},
        {"From=URight:From", false},
        {"To=Unit:To", true},
        {"Word=(1 1)", false},  // link texts are compared, never resolved
    };
    for (const Case& c : cases) EXPECT_EQ(CheckAtt(*beijing, c.condition.c_str()), c.holds) << c.condition;
}

TEST_F(UnitConditions, ChunkPositionsNeedAChunk) {
    std::string chunk;
    ASSERT_TRUE(lattice.AddNewUnit(4, Gbk("北京。").c_str(), kUnitPhrase, chunk, -1, false, "POS=np"));
    beijing->UChunk = chunk;
    EXPECT_TRUE(CheckAtt(*beijing, "ChunkPos=Beg"));
    EXPECT_FALSE(CheckAtt(*beijing, "ChunkPos=End"));
    EXPECT_FALSE(CheckAtt(*beijing, "ChunkPos=In"));
    EXPECT_FALSE(CheckAtt(*beijing, "ChunkPos=Mid"));
}

TEST_F(UnitConditions, OwnValuesTreeLinksAndContextTexts) {
    beijing->Insert2UnitKV("Sem", "*");
    beijing->Insert2UnitKV("UFoo", "UFoo");  // names itself: must end
    beijing->links.treeParents = {{4, 3}};
    beijing->links.treeParentCount = 1;
    beijing->links.head = {3, 1};
    ConditionContext context;
    context.entry = "(9,9)";
    context.extra = "(8,8)";
    struct Case {
        const char* condition;
        bool holds;
    } cases[] = {
        {"Sem=anything", true},  // a stored "*" holds any value
        {"Other=x", false},      {"Tag=UFoo", false},      {"UParent=(4 3)", true},
        {"UParent=(4,3)", false}, {"UHeadPhr=(3 1)", true}, {"UChild=(4 3)", false},
        {"UEntry=(9,9)", true},  {"UColl=(8,8)", true},    {"UColl=(9,9)", false},
    };
    for (const Case& c : cases) EXPECT_EQ(CheckAtt(*beijing, c.condition, context), c.holds) << c.condition;
}

TEST_F(UnitConditions, RelationUnitsAndMatchNodes) {
    struct Steps : MatchStateView {
        CUnit* unit;
        explicit Steps(CUnit* u) : unit(u) {}
        CUnit* UnitAfterSteps(bool backward, int steps) const override {
            return backward && steps == 0 ? unit : nullptr;
        }
    } state(lattice.GetLatticeUnit("(1,1)"));
    ConditionContext context;
    context.state = &state;
    std::vector<std::string> units;
    struct Case {
        const char* key;
        std::vector<std::string> units;
    } cases[] = {
        {"ULeft", {"(1,1)"}},
        {"ULefts", {"(0,1)", "(1,1)"}},
        {"URight", {"(4,1)"}},
        {"Unit", {"(3,2)"}},
        {"ULeftNode1", {"(1,1)"}},
        {"ULeftNode0", {}},
        {"URightNode1", {}},
        {"(5 5)", {"(5 5)"}},
        {"Word", {}},
        {"UMissing", {}},
    };
    for (const Case& c : cases) {
        units = {"stale"};
        GetSatisfyUnits(*beijing, context, c.key, units);
        EXPECT_EQ(units, c.units) << c.key;
    }
    EXPECT_TRUE(CheckAtt(*beijing, "ULeft=ULeftNode1", context));
    EXPECT_FALSE(CheckAtt(*beijing, "ULeft=ULeftNode1"));  // outside a match
}

TEST_F(UnitConditions, UThisIsReplacedOnlyAsAWholePart) {
    EXPECT_EQ(ReplaceUThis(*beijing, "UThis:Word=UnitNo|UThisX_UThis"), "(3,2):Word=(3,2)|UThisX_(3,2)");
    EXPECT_EQ(ReplaceUThis(*beijing, ""), "");
}

TEST_F(UnitConditions, LimitsOfACollocation) {
    CUnit* other = lattice.GetLatticeUnit("(1,1)");
    EXPECT_TRUE(IsLimit(*beijing, other, nullptr, "Sem=x"));  // no limits at all
    EXPECT_TRUE(IsLimit(*beijing, other, nullptr, "Limit=POS=v Limit=POS=ns"));
    EXPECT_FALSE(IsLimit(*beijing, other, nullptr, "Limit=POS=v"));
    CKVTable table;
    table.Insert2KV("Limit", "UColl=(1,1)");
    EXPECT_TRUE(IsLimit(*beijing, other, &table, ""));
    EXPECT_FALSE(IsLimit(*beijing, beijing, &table, ""));
    EXPECT_TRUE(IsInLimit(*beijing, nullptr, "*anything"));
    EXPECT_TRUE(IsInLimit(*beijing, nullptr, ""));
}

}  // namespace
}  // namespace zel
