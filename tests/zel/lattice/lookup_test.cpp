#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_support.h"
#include "zel/lattice/lattice.h"
#include "zel/lattice/value_text.h"

namespace zel {
namespace {

using qztest::Gbk;

// A built lattice of "ABCDEFGH" (full width) with hand-made units.
class Lookup : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(lattice.LatticeBuild("ABCDEFGH")); }

    CUnit& AddUnit(int from, int to, int kind, const char* word) {
        CCandidate& column = lattice.columns[static_cast<size_t>(to)];
        column.units.emplace_back();
        CUnit& unit = column.units.back();
        unit.column = &column;
        unit.UnitType = kind;
        unit.id = {to, column.unitCount++};
        unit.From = from;
        unit.To = to;
        unit.Word = word;
        unit.Unit = UnitIdText(unit.id);
        return unit;
    }

    std::vector<std::string> Values(CUnit& unit, const char* key) {
        std::vector<std::string> values{"stale", "stale", "stale"};
        int n = -1;
        unit.GetKVs(key, values, n);
        values.resize(static_cast<size_t>(n));
        return values;
    }

    void SetPath(const std::vector<CMatchNodeEx>& firstToLast) {
        lattice.matchPath.assign(firstToLast.rbegin(), firstToLast.rend());
        lattice.pathLength = static_cast<int>(firstToLast.size());
    }

    CLattice lattice;
};

TEST_F(Lookup, GetNodeResolvesIdentifierTexts) {
    AddUnit(2, 3, kUnitWord, "CD");
    struct Case {
        const char* reference;
        bool found;
        int column, index;
    } cases[] = {
        {"(3,1)", true, 3, 1}, {"(3,2)", true, 3, 2}, {"(3,7)", false, 3, 7}, {"(3", false, -1, -1},
        {"(9,1)", false, 9, 1}, {"(-1,1)", false, -1, 1}, {"", false, -1, -1},
    };
    for (const Case& c : cases) {
        int column = -1, index = -1;
        EXPECT_EQ(lattice.GetNode(c.reference, column, index), c.found) << c.reference;
        if (c.column != -1) {
            EXPECT_EQ(column, c.column) << c.reference;
        }
        if (c.found) {
            EXPECT_EQ(index, c.index) << c.reference;
        }
    }
}

TEST_F(Lookup, GetNodeResolvesMatchPositionsAndMarksSpans) {
    SetPath({{"a", 1, 1, 10}, {"b", 3, 1, 11}, {"c", 6, -2, 12}});
    struct Case {
        const char* reference;
        bool found;
        int column;
    } cases[] = {{"0", true, 1}, {"1", true, 3}, {"2", true, 6}, {"-1", true, 6}, {"3", false, 0}, {"-2", false, 0}};
    for (const Case& c : cases) {
        int column = -1, index = 0;
        EXPECT_EQ(lattice.GetNode(c.reference, column, index), c.found) << c.reference;
        if (c.found) {
            EXPECT_EQ(column, c.column) << c.reference;
        }
    }
    int index = 0;
    CUnit* placeholder = lattice.GetUnit("2", index);
    ASSERT_NE(placeholder, nullptr);
    EXPECT_EQ(index, -2);
    EXPECT_EQ(placeholder->From, 5);
    EXPECT_EQ(placeholder->To, 6);
    UnitId marked{6, -2};
    ASSERT_EQ(lattice.GetUnit(marked), placeholder);
    EXPECT_EQ(placeholder->GetWord(), Gbk("ＦＧ"));
}

TEST_F(Lookup, SpanBeforeTheFirstColumnIsClamped) {
    SetPath({{"a", 1, -5, 3}});
    int index = 0;
    CUnit* placeholder = lattice.GetUnit("0", index);
    ASSERT_NE(placeholder, nullptr);
    EXPECT_EQ(placeholder->From, 0);
    EXPECT_EQ(placeholder->To, 1);
}

TEST_F(Lookup, GetUnitFamily) {
    CUnit& word = AddUnit(2, 4, kUnitWord, "CDE");
    UnitId beyond{4, 9}, marker{4, -1}, outside{8, 1};
    EXPECT_EQ(lattice.GetUnit(beyond), nullptr);
    EXPECT_EQ(lattice.GetUnit(outside), nullptr);
    CUnit* placeholder = lattice.GetUnit(marker);
    ASSERT_NE(placeholder, nullptr);
    EXPECT_EQ(placeholder->UnitType, kUnitPlaceholder);
    EXPECT_EQ(placeholder->id.second, -1);

    EXPECT_EQ(lattice.GetLatticeUnit("(4,2)"), &word);
    EXPECT_EQ(lattice.GetLatticeUnit("(2,-5)"), &lattice.columns[2].units[0]);
    EXPECT_EQ(lattice.GetLatticeUnit("(2 1)"), nullptr);
    EXPECT_EQ(lattice.GetLatticeUnit("2,1"), nullptr);

    // Covering a column: the most recently added unit over it.
    EXPECT_EQ(lattice.GetUnit(4), &word);
    EXPECT_EQ(lattice.GetUnit(3), &lattice.columns[3].units[1]);
    EXPECT_EQ(lattice.GetUnit(1), &lattice.columns[1].units[1]);
    EXPECT_EQ(lattice.GetUnit(8), nullptr);
    EXPECT_EQ(lattice.GetStr(2, 4), Gbk("ＣＤＥ"));
}

TEST_F(Lookup, TagNumbersToPositions) {
    // Nodes 3 and 4 at positions 1 and 3; node 7 absent.
    SetPath({{"", 0, 1, 1}, {"", 1, 1, 3}, {"", 2, 1, 2}, {"", 3, 1, 4}});
    int from = -1, to = -1;
    EXPECT_TRUE(lattice.GetTagNoInfo("7@3", from, to, lattice.matchPath, lattice.pathLength));
    EXPECT_EQ(from, 1);
    EXPECT_EQ(to, 3);
    EXPECT_TRUE(lattice.GetTagNoInfo("2", from, to, lattice.matchPath, lattice.pathLength));
    EXPECT_EQ(from, 2);
    EXPECT_EQ(to, 2);
    EXPECT_FALSE(lattice.GetTagNoInfo("9@10", from, to, lattice.matchPath, lattice.pathLength));
}

TEST_F(Lookup, DictionaryUnitChainRunsRightToLeft) {
    AddUnit(0, 1, kUnitChunk, "AB");
    AddUnit(2, 4, kUnitChunk, "CDE");
    ASSERT_TRUE(lattice.GetDictUnitsEx(0, 4, kUnitChunk));
    ASSERT_EQ(lattice.dictUnitCount, 2);
    EXPECT_EQ(lattice.dictUnits[0], UnitId(4, 2));
    EXPECT_EQ(lattice.dictUnits[1], UnitId(1, 2));
    EXPECT_FALSE(lattice.GetDictUnitsEx(0, 5, kUnitChunk));
    EXPECT_TRUE(lattice.GetDictUnitsEx(3, 2, kUnitChunk));
    EXPECT_EQ(lattice.dictUnitCount, 0);
}

TEST_F(Lookup, BuiltInAttributesComeFromFieldsAndNeighbours) {
    CUnit& chunk = AddUnit(1, 4, kUnitChunk, "BCDE");
    CUnit& first = AddUnit(1, 2, kUnitWord, "BC");
    CUnit& last = AddUnit(3, 4, kUnitWord, "DE");
    first.UChunk = last.UChunk = chunk.Unit;
    CUnit& outside = lattice.columns[0].units[1];
    outside.UChunk = "(-1,-1)";
    lattice.columns[1].next[0] = {3, 3};
    lattice.columns[2].next[0] = {3, 1};
    lattice.columns[2].next.push_back({4, 3});
    lattice.columns[2].nextCount = 2;
    first.links.treeChildren = {{1, 1}, {2, 1}};
    first.links.treeChildCount = 2;
    first.links.head = {4, 2};

    EXPECT_EQ(Values(first, "ChunkPos"), std::vector<std::string>{"Beg"});
    EXPECT_EQ(Values(last, "ChunkPos"), std::vector<std::string>{"End"});
    EXPECT_TRUE(Values(outside, "ChunkPos").empty());
    EXPECT_TRUE(Values(outside, "UChunk").empty());
    EXPECT_EQ(Values(first, "UChunk"), std::vector<std::string>{"(4,2)"});
    EXPECT_EQ(Values(outside, "ClausePos"), std::vector<std::string>{"Beg"});
    EXPECT_TRUE(Values(outside, "ULeft").empty());
    EXPECT_EQ(Values(last, "ULeft"), (std::vector<std::string>{"(2,2)", "(2,1)"}));
    EXPECT_EQ(Values(first, "URight"), (std::vector<std::string>{"(4,3)", "(3,1)"}));
    EXPECT_EQ(Values(first, "Word"), std::vector<std::string>{"BC"});
    EXPECT_EQ(Values(first, "From"), std::vector<std::string>{"1"});
    EXPECT_EQ(Values(first, "ChunkID"), std::vector<std::string>{});
    EXPECT_EQ(Values(first, "UChild"), (std::vector<std::string>{"(1 1)", "(2 1)"}));
    EXPECT_EQ(Values(first, "UHeadPhr"), std::vector<std::string>{"(4 2)"});
    EXPECT_EQ(Values(lattice.columns[3].units[1], "Char"), std::vector<std::string>{"Eng"});
    EXPECT_TRUE(Values(first, "GroupID").empty());
}

TEST_F(Lookup, PunctuationColumnIsInsideItsClause) {
    CLattice punctuated;
    ASSERT_TRUE(punctuated.LatticeBuild(Gbk("甲，乙").c_str()));
    std::vector<std::string> values;
    int n = 0;
    punctuated.columns[1].units[1].GetKVs("ClausePos", values, n);
    ASSERT_EQ(n, 1);
    EXPECT_EQ(values[0], "In");
}

TEST_F(Lookup, ConditionsJoinItemsWithAndOrOr) {
    CUnit& verb = AddUnit(0, 1, kUnitWord, "AB");
    verb.Insert2UnitKV("Tag", "v");
    CUnit& noun = AddUnit(2, 3, kUnitWord, "CD");
    noun.Insert2UnitKV("Tag", "n");
    struct Case {
        CUnit* unit;
        const char* condition;
        bool holds;
    } cases[] = {
        {&verb, "Tag=n|Tag=v", true}, {&noun, "Tag=n&", true},   {&noun, "|", false},
        {&noun, "&", true},           {&noun, "n", true},        {&noun, "Tag=n&Tag=v", false},
        {&verb, "Tag=*", true},       {&verb, "Word=AB", true},  {&verb, "POS=*", false},
    };
    for (const Case& c : cases) EXPECT_EQ(c.unit->CheckAtt(c.condition), c.holds) << c.condition;
}

TEST_F(Lookup, TextRenderingsOfAUnit) {
    CUnit& a = AddUnit(0, 0, kUnitWord, "A");
    CUnit& b = AddUnit(1, 1, kUnitWord, "B");
    CUnit& phrase = AddUnit(0, 1, kUnitPhrase, "AB");
    phrase.POS = "NP";
    phrase.links.treeChildren = {a.id, b.id, {3, -2}};
    phrase.links.treeChildCount = 3;
    std::string tree;
    phrase.GetTree(tree);
    EXPECT_EQ(tree, "[NP[A][B][" + Gbk("ＣＤ") + "]]");

    // A loop of tree links ends instead of recursing without bound.
    a.links.treeChildren = {phrase.id};
    a.links.treeChildCount = 1;
    tree.clear();
    phrase.GetTree(tree);
    EXPECT_LT(tree.size(), 10000u);

    std::string out = "old";
    phrase.GetUnitPOSInfo(out, 4);
    EXPECT_EQ(out, "AB/NP");
    phrase.GetUnitPOSInfo(out, 1);
    EXPECT_EQ(out, "AB NP");
    phrase.GetUnitPOSInfo(out, 2);
    EXPECT_EQ(out, "AB NP");
    a.Insert2UnitKV("POS", "n v");
    a.GetUnitPOSInfo(out, "POS=*");
    EXPECT_EQ(out, "A/POS=n_v");
    a.GetUnitPOSInfo(out, "POS=n");
    EXPECT_EQ(out, "A/POS=n");
    b.GetUnitPOSInfo(out, "Mood=");
    EXPECT_EQ(out, "B/Mood=");
}

TEST(ValueText, SplittingAndWeights) {
    std::vector<std::string> tokens{"stale"};
    SplitStr(",a;;b,", ",;", tokens);
    EXPECT_EQ(tokens, (std::vector<std::string>{"a", "b"}));
    std::vector<std::string> values{"kept"};
    Push_backVal(values, "x [y]\t\"p q\"");
    EXPECT_EQ(values, (std::vector<std::string>{"kept", "x", "y", "p q"}));
    std::set<std::string> seen;
    EXPECT_FALSE(IsDup(seen, "w", 1));
    EXPECT_TRUE(IsDup(seen, "w", 1));
    EXPECT_FALSE(IsDup(seen, "w", 2));
    EXPECT_EQ(GetEntryVal("Words"), 2);
    EXPECT_EQ(GetEntryVal("XBar"), 1);
    EXPECT_EQ(GetEntryVal("HeadWord"), 1);
    EXPECT_EQ(GetEntryVal("POS"), 4);
    EXPECT_EQ(GetEntryVal("Tag"), 3);
}

}  // namespace
}  // namespace zel
