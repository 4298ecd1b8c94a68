#include <gtest/gtest.h>

#include <string>

#include "tests/zel/service/lua/action_fixture.h"
#include "zel/lattice/lua_slots.h"

namespace zel {
namespace {

// The lattice holds 我们喜欢苹果, one column per character.
class SentenceUnits : public ActionTest {
protected:
    void SetUp() override {
        ActionTest::SetUp();
        ASSERT_EQ(Eval("SetText('我们喜欢苹果')"), "true");
    }
    void SetPath(const std::vector<CMatchNodeEx>& lastToFirst) {
        lattice.matchPath = lastToFirst;
        lattice.pathLength = static_cast<int>(lastToFirst.size());
    }
};

TEST_F(SentenceUnits, TextsAndColumnRanges) {
    EXPECT_EQ(Eval("GetText()"), "我们喜欢苹果");
    EXPECT_EQ(Eval("GetText(0, -1)"), "我们喜欢苹果");
    EXPECT_EQ(Eval("GetText(2, 3)"), "喜欢");
    for (const char* empty : {"GetText(2, 1)", "GetText(-1, 2)", "GetText(0, 6)", "GetText('plain')"})
        EXPECT_EQ(Eval(empty), "") << empty;
    EXPECT_EQ(Eval("GetText('(3,1)')"), "欢");
    EXPECT_NE(Eval("GetText('a', 2)").find("number expected"), std::string::npos);
    EXPECT_EQ(Eval("SetText()"), "false");
    EXPECT_EQ(Eval("SetText('你好', 'missing')"), "true");
    EXPECT_EQ(Eval("GetText()"), "我们喜欢苹果");
}

TEST_F(SentenceUnits, ListingAddingAndFindingUnits) {
    EXPECT_EQ(Eval("GetUnits(3)"), "(3,1)");
    EXPECT_EQ(Eval("GetUnits(9)"), "");
    EXPECT_EQ(Eval("#GetUnits()"), "6");
    EXPECT_EQ(Eval("AddUnit(5, '苹果')"), "(5,2)");
    EXPECT_EQ(Eval("AddUnit(5, '苹果')"), "(5,2)");
    EXPECT_EQ(Eval("AddUnit(9, '苹果')"), "");
    EXPECT_EQ(Eval("GetUnits(5)"), "(5,1),(5,2)");
    EXPECT_EQ(Eval("GetWord('(5,2)')"), "苹果");
    EXPECT_EQ(Eval("GetUnitKV('(5,2)', 'From')"), "4");
    EXPECT_EQ(Eval("AddUnit(3, '喜欢', 'Chunk')"), "(3,2)");
    EXPECT_EQ(Eval("GetUnitKV('(3,2)', 'Type')"), "Chunk");
    EXPECT_EQ(Eval("AddUnit('(3,2)')"), "(3,3)");
    EXPECT_EQ(Eval("GetUnitKV('(3,3)', 'Type')"), "NONE");
    EXPECT_EQ(Eval("GetUnits('Word=苹果')"), "(5,2)");
    EXPECT_EQ(Eval("GetGrid()[6][2]"), "(5,2)");
    EXPECT_EQ(Eval("#GetGrid()"), "6");

    Run("AddUnitKV('(5,2)', 'POS', 'n')");
    EXPECT_EQ(Eval("IsUnit('(5,2)', 'POS=n')"), "true");
    EXPECT_EQ(Eval("IsUnit('(5,2)', 'POS', 'v')"), "false");
    EXPECT_EQ(Eval("IsUnit('(7,2)', 'POS=n')"), "false");
    std::string printed = Printed("assert(IsUnit() == false)");
    EXPECT_EQ(printed, "Param Error!\n");
}

TEST_F(SentenceUnits, MatchPathNodesAndSpans) {
    EXPECT_EQ(Eval("GetUnit(0)"), "");
    EXPECT_EQ(Eval("GetUnit(-1)"), "");
    // Matched 我们 (a span of columns 0..1) then 欢 then 果.
    SetPath({{"", 5, 1, 6}, {"", 3, 1, 4}, {"", 1, -2, 2}});
    EXPECT_EQ(Eval("GetUnit(0)"), "(5,1)");
    EXPECT_EQ(Eval("GetUnit(1)"), "(3,1)");
    EXPECT_EQ(Eval("GetUnit(-1)"), "(1,0)");
    EXPECT_EQ(Eval("GetUnit(3)"), "");
    EXPECT_EQ(Eval("GetUnit(nil)"), "(5,1)");
    EXPECT_EQ(Eval("GetUnit(2, 1)"), "(2,1)");
    EXPECT_EQ(Eval("GetUnit(2, 5)"), "");
    EXPECT_EQ(Eval("GetUnit('x')"), "");
    // A negative index names the span of that many columns ending there.
    EXPECT_EQ(Eval("GetWord('(1,-2)')"), "我们");
    EXPECT_EQ(Eval("GetWord('(5,-9)')"), "");
    EXPECT_EQ(Eval("GetFSANode(1)"), "1");
    EXPECT_EQ(Eval("select(2, GetFSANode(1, 2))"), "-2");
    EXPECT_EQ(Eval("GetFSANode(1, 2)"), "-2");
}

TEST_F(SentenceUnits, ReduceOnlyWhileANetworkRuns) {
    SetPath({{"", 3, 1, 4}, {"", 2, 1, 2}});
    EXPECT_EQ(Eval("Reduce(0, 1)"), "");
    int net = 0;
    lua_setnet(L, &net);
    EXPECT_EQ(Eval("Reduce(0, 1)"), "(3,2)");
    EXPECT_EQ(Eval("GetWord('(3,2)')"), "喜欢");
    EXPECT_EQ(Eval("GetLogs()"), "Reduce:(3,2) Word:喜欢\n");
    EXPECT_EQ(Eval("Reduce('a', 1)"), "");
    lua_setnet(L, nullptr);
}

TEST_F(SentenceUnits, StructuresFromJson) {
    EXPECT_EQ(Eval("select(1, AddStructure('no json')) .. ',' .. select(2, AddStructure('no json'))"), "0,0");
    EXPECT_EQ(Eval("GetText()"), "我们喜欢苹果");
    EXPECT_EQ(Eval("table.concat({AddStructure('{\"Units\":[\"苹果\"],\"POS\":[\"n\"]}')}, ',')"), "4,5");
    EXPECT_EQ(Eval("GetUnitKV(GetUnits('Word=苹果')[1], 'POS')"), "n");
    EXPECT_EQ(Printed("AddStructure()"), "Structure Param Error!\n");
    Run("SetLexicon('words')");
    EXPECT_EQ(lattice.lexiconTable, "words");
}

TEST_F(SentenceUnits, HeadsAndHeadWords) {
    Run("a = AddUnit(1, '我们') b = AddUnit(3, '喜欢') c = AddUnit(5, '苹果')");
    Run("SetHeadWord(b, '喜欢') SetHead(c, b) SetHead(a, c)");
    EXPECT_EQ(Eval("GetHead(a)"), "(5,2)");
    EXPECT_EQ(Eval("GetHead(b)"), "");
    // The chain a -> c -> b ends at b, whose head word both take.
    EXPECT_EQ(Eval("GetHeadWord(a)"), "喜欢");
    EXPECT_EQ(lattice.columns[3].units[2].links.dependentCount, 2);
    Run("SetHead(b, b)");
    EXPECT_EQ(Eval("GetHead(b)"), "");
    EXPECT_EQ(Eval("#GetChildren(a) + #GetParents(a)"), "0");
    EXPECT_EQ(Eval("GetTreeInfo('(9,9)')"), "");
}

TEST_F(SentenceUnits, TreeLinksOfAUnit) {
    // A phrase over 喜欢苹果 whose tree children are the two words, as a
    // bracketed input records them.
    Run("v = AddUnit(3, '喜欢') o = AddUnit(5, '苹果') p = AddUnit(5, '喜欢苹果', 'Phrase')");
    CUnit& phrase = lattice.columns[5].units[3];
    phrase.POS = "VP";
    phrase.links.treeChildren = {{3, 2}, {5, 2}};
    phrase.links.treeChildCount = 2;
    CUnit& object = lattice.columns[5].units[2];
    object.links.treeParents = {{5, 3}, {9, 9}};
    object.links.treeParentCount = 1;
    EXPECT_EQ(Eval("GetChildren(p)"), "(3,2),(5,2)");
    EXPECT_EQ(Eval("GetParents(o)"), "(5,3)");
    EXPECT_EQ(Eval("GetTreeInfo(p)"), "[[VP[喜欢][苹果]]]");
}

}  // namespace
}  // namespace zel
