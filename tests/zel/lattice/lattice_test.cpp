#include "zel/lattice/lattice.h"

#include <gtest/gtest.h>

#include <lua.hpp>

#include <string>
#include <vector>

#include "support/test_support.h"
#include "zel/lattice/lua_slots.h"
#include "zel/lattice/scripting_hooks.h"

namespace zel {
namespace {

using qztest::Gbk;

std::vector<int> PosCodes(const CLattice& lattice) {
    std::vector<int> codes;
    for (int c = 0; c < lattice.columnCount; ++c) codes.push_back(lattice.columns[static_cast<size_t>(c)].posCode);
    return codes;
}

std::vector<int> Clauses(const CLattice& lattice) {
    std::vector<int> clauses;
    for (int c = 0; c < lattice.columnCount; ++c) clauses.push_back(lattice.columns[static_cast<size_t>(c)].clauseNo);
    return clauses;
}

TEST(Lattice, NewLatticeIsEmpty) {
    CLattice lattice;
    EXPECT_EQ(lattice.columnCount, 0);
    EXPECT_EQ(lattice.reservedUnits, 0);
    EXPECT_TRUE(lattice.logOn);
    EXPECT_EQ(lattice.L, nullptr);
    EXPECT_FALSE(lattice.LatticeBuild(""));
    EXPECT_EQ(lattice.L, nullptr);
}

TEST(Lattice, BuildMakesFullWidthColumnsWithTwoUnits) {
    CLattice lattice;
    ASSERT_TRUE(lattice.LatticeBuild("ab c"));
    EXPECT_EQ(lattice.sentence, "ab c");
    EXPECT_EQ(lattice.normSentence, "\xA3\xC1\xA3\xC2\xA3\xC3");
    ASSERT_EQ(lattice.columnCount, 3);
    EXPECT_EQ(lattice.reservedUnits, 1);
    const char* texts[] = {"\xA3\xC1", "\xA3\xC2", "\xA3\xC3"};
    for (int c = 0; c < 3; ++c) {
        const CCandidate& column = lattice.columns[static_cast<size_t>(c)];
        EXPECT_EQ(column.text, texts[c]);
        ASSERT_EQ(column.unitCount, 2);
        EXPECT_EQ(column.units[0].UnitType, kUnitPlaceholder);
        const CUnit& character = column.units[1];
        EXPECT_EQ(character.UnitType, kUnitChar);
        EXPECT_EQ(character.Word, texts[c]);
        EXPECT_EQ(character.Unit, UnitIdText({c, 1}));
        EXPECT_EQ(character.ULeftChar, character.Unit);
        EXPECT_EQ(character.ChunkID, -1);
        ASSERT_NE(character.attributes, nullptr);
        EXPECT_TRUE(character.attributes->find("Char", "Eng"));
        // Type=Char is indexed, Char=... is not.
        EXPECT_TRUE(lattice.keyValues->IsKV2Unit("Type", "Char", character.Unit.c_str()));
        EXPECT_FALSE(lattice.keyValues->IsKV2Unit("Char", "Eng", "*"));
    }
    EXPECT_EQ(lattice.columns[1].GetNextInfo(), " Word:(2 1)");
    EXPECT_EQ(lattice.columns[2].nextCount, 0);
    EXPECT_NE(lattice.L, nullptr);
    EXPECT_EQ(lua_getlattiace(lattice.L), &lattice);
}

TEST(Lattice, PositionCodesAndClauses) {
    struct Case {
        std::string text;
        std::vector<int> codes, clauses;
    };
    const Case cases[] = {
        {Gbk("我们，好"), {4, 2, 5, 3}, {0, 0, 0, 1}},
        {"\xA1\xA3", {3}, {-1}},
        {Gbk("好。他们很好"), {4, 5, 0, 1, 1, 3}, {0, 0, 1, 1, 1, 1}},
        {Gbk("甲乙丙"), {4, 1, 3}, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        CLattice lattice;
        ASSERT_TRUE(lattice.LatticeBuild(c.text.c_str()));
        EXPECT_EQ(PosCodes(lattice), c.codes) << qztest::Utf8(c.text);
        EXPECT_EQ(Clauses(lattice), c.clauses) << qztest::Utf8(c.text);
    }
}

TEST(Lattice, UnchangedNormalisedTextKeepsTheAnalysis) {
    CLattice lattice;
    ASSERT_TRUE(lattice.LatticeBuild("ab c"));
    lattice.columns[1].units[1].Insert2UnitKV("POS", "n");
    ASSERT_TRUE(lattice.LatticeBuild("A B C"));
    EXPECT_TRUE(lattice.keyValues->IsKV2Unit("POS", "n", "(1,1)"));
    EXPECT_EQ(lattice.sentence, "ab c");

    ASSERT_TRUE(lattice.LatticeBuild("abd"));
    EXPECT_FALSE(lattice.keyValues->IsKV2Unit("POS", "n", "*"));
    EXPECT_FALSE(lattice.columns[1].units[1].attributes->find("POS", "*"));
}

TEST(Lattice, CapturedLuaOutputGoesToTheMessageBuffer) {
    g_bIsOutMsg = true;
    CLattice lattice;
    ASSERT_TRUE(lattice.LatticeBuild("ab"));
    g_bIsOutMsg = false;
    ASSERT_NE(lattice.msgBuff, nullptr);
    EXPECT_EQ(lattice.child()->msgBuff, lattice.msgBuff);
    ASSERT_EQ(luaL_dostring(lattice.L, "print('a','b') print('c')"), LUA_OK);
    EXPECT_STREQ(lattice.msgBuff, "a/b/c/");
    ASSERT_TRUE(lattice.LatticeBuild("xy"));
    EXPECT_STREQ(lattice.msgBuff, "");
}

TEST(Lattice, TextThatNormalisesToNothingStillGetsItsState) {
    CLattice lattice;
    ASSERT_TRUE(lattice.LatticeBuild("  \t"));
    EXPECT_EQ(lattice.columnCount, 0);
    ASSERT_NE(lattice.L, nullptr);
    EXPECT_EQ(luaL_dostring(lattice.L, "x = 1"), LUA_OK);
}

TEST(Lattice, NestedLatticesShareStateAndStopAtFour) {
    CLattice top;
    ASSERT_TRUE(top.LatticeInit(true));
    std::vector<CLattice*> chain{&top};
    while (chain.back()->child()) {
        CLattice* below = chain.back()->child();
        EXPECT_EQ(below->L, top.L);
        EXPECT_EQ(below->msgBuff, top.msgBuff);
        EXPECT_EQ(below->keyValues, nullptr);
        bool setUp = below->LatticeInit(true);
        chain.push_back(below);
        if (!setUp) break;
        EXPECT_NE(below->keyValues, nullptr);
    }
    ASSERT_EQ(chain.size(), 4u);  // the fourth is refused and has no child
    EXPECT_EQ(chain[3]->child(), nullptr);
    EXPECT_EQ(chain[3]->keyValues, nullptr);

    // Building the second lattice rebuilds only it.
    ASSERT_TRUE(top.LatticeBuild("ab"));
    ASSERT_TRUE(chain[1]->LatticeBuild("xyz"));
    EXPECT_EQ(top.columnCount, 2);
    EXPECT_EQ(chain[1]->columnCount, 3);

    ASSERT_TRUE(chain[1]->LatticeExit(false));
    EXPECT_EQ(chain[1]->child(), nullptr);
    ASSERT_TRUE(top.LatticeExit(true));
    EXPECT_EQ(top.child(), nullptr);
    EXPECT_EQ(top.L, nullptr);
    // Set up again after a full exit.
    ASSERT_TRUE(top.LatticeBuild("ab"));
    EXPECT_EQ(top.columnCount, 2);
    EXPECT_NE(top.L, nullptr);
}

TEST(Lattice, PlaceholderWordIsItsSpan) {
    CLattice lattice;
    ASSERT_TRUE(lattice.LatticeBuild("abcdef"));
    CUnit& placeholder = lattice.columns[5].units[0];
    placeholder.id = {5, -3};
    EXPECT_EQ(placeholder.GetWord(), "\xA3\xC4\xA3\xC5\xA3\xC6");
    placeholder.id = {5, 0};
    EXPECT_EQ(placeholder.GetWord(), "");
}

TEST(Lattice, UnitSetters) {
    CUnit unit;
    EXPECT_TRUE(unit.SetWord("w"));
    EXPECT_EQ(unit.HeadWord, "w");
    EXPECT_TRUE(unit.SetWord("v"));
    EXPECT_EQ(unit.HeadWord, "w");
    EXPECT_TRUE(unit.SetPOS("n"));
    EXPECT_FALSE(unit.SetPOS(""));
    EXPECT_EQ(unit.POS, "n");
    unit.SetWord(std::string(60000, 'x').c_str());
    EXPECT_EQ(unit.Word.size(), kUnitTextSize - 1);
}

// Run under the sanitizer build: every lattice frees what it owns, with or
// without LatticeExit, and a child never frees its parent's state.
TEST(Lattice, ManyLatticesLeakNothing) {
    for (int i = 0; i < 10000; ++i) {
        CLattice lattice;
        ASSERT_TRUE(lattice.LatticeBuild(i % 2 ? "ab c" : "\xB0\xA1\xA3\xAC\xB0\xA2"));
        if (i % 3 == 0) lattice.child()->LatticeInit(true);
        if (i % 5 == 0) lattice.LatticeExit(true);
    }
}

}  // namespace
}  // namespace zel
