#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/test_support.h"
#include "zel/lattice/lattice.h"
#include "zel/lattice/tree_line.h"
#include "zel/models/hz_ngram.h"

namespace zel {
namespace {

using qztest::Gbk;
using qztest::Utf8;
using Ranges = std::vector<std::pair<int, int>>;

class LatticeTrees : public ::testing::Test {
protected:
    void Build(const char* utf8) { ASSERT_TRUE(lattice.LatticeBuild(Gbk(utf8).c_str())); }
    Ranges Clauses() const {
        return Ranges(lattice.clauseRanges.begin(), lattice.clauseRanges.begin() + lattice.clauseRangeCount);
    }
    std::vector<int> Splits() const {
        std::vector<int> splits;
        for (const CNode_BT& node : lattice.bracketParser.CurrentTree())
            if (!node.IsLeaf()) splits.push_back(lattice.bracketParser.CurrentTree()[node.firstChild].last);
        return splits;
    }
    std::string StoredText(int tree) {
        std::string text;
        lattice.bracketParser.GetTree(tree, 0, text, true);
        return Utf8(text);
    }

    CLattice lattice;
};

TEST_F(LatticeTrees, ClausesBetweenCommas) {
    Build("甲乙，丙丁戊，，己");
    lattice.SplitSentence();
    EXPECT_EQ(Clauses(), (Ranges{{0, 2}, {3, 6}, {8, 9}}));
    Build("甲乙丙,");  // the comma is normalised to its full-width form
    lattice.SplitSentence();
    EXPECT_EQ(Clauses(), (Ranges{{0, 3}}));
    Build("甲乙丙丁戊己庚辛壬癸");
    lattice.SplitSentence();
    EXPECT_EQ(Clauses(), (Ranges{{0, 10}}));
    lattice.SplitSentenceEx();
    EXPECT_EQ(Clauses(), (Ranges{{0, 9}}));
}

TEST_F(LatticeTrees, RangesAndLinksOfAnAttachedTreeLine) {
    Build("abcdef");
    CQAVTree tree;
    ASSERT_TRUE(tree.ReadTree("(IP (NP (NN a) (NN b) (NN c) (NN d) (NN e)) (VP (VV f)))", 2));
    tree.SetWordNodeInfo();
    tree.SetLattice(&lattice);
    tree.Add2Lattice(false, false, 0, "T", "");
    lattice.SetQAVTree(&tree);
    lattice.SplitSentenceEx();
    EXPECT_EQ(Clauses(), (Ranges{{0, 4}}));  // VP covers too few columns, IP no leaf first

    std::string a, b;
    tree.GetUnit(3, a);
    tree.GetUnit(4, b);
    CUnit& first = *lattice.GetLatticeUnit(a.c_str());
    CUnit& second = *lattice.GetLatticeUnit(b.c_str());
    EXPECT_TRUE(lattice.IsTreeLink(first, second));
    EXPECT_FALSE(lattice.IsTreeLink(second, first));
    lattice.SetQAVTree(nullptr);
    EXPECT_FALSE(lattice.IsTreeLink(first, second));
}

TEST_F(LatticeTrees, InternalNodesAreMappedOntoTheirSpans) {
    ASSERT_EQ(g_pHZNGram, nullptr);  // equal scores: the leftmost split first
    Build("甲乙丙");
    ASSERT_TRUE(lattice.CreateBT(0, 0, 2));
    lattice.bracketParser.AddTreeToTrees();
    ASSERT_TRUE(lattice.bracketParser.SetBT2LatticeInitInfo());
    EXPECT_EQ(lattice.bracketParser.GetBTNode(0, 2), 0);
    EXPECT_EQ(lattice.bracketParser.GetBTNode(1, 2), 1);
    EXPECT_EQ(lattice.bracketParser.GetBTNode(0, 0), -1);  // leaves are not mapped

    // A second tree over the same span: both are listed, the first is found.
    lattice.bracketParser.AddTreeToTrees();
    lattice.bracketParser.SetBT2LatticeInitInfo();
    const CBT2Lattice& map = lattice.bracketParser.latticeMap;
    EXPECT_EQ(map.IdentifiedCount(), 4);
    EXPECT_EQ(map.StartingAt(0), (std::vector<int>{0, 2}));
    EXPECT_EQ(map.EndingAt(2), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_TRUE(map.StartingAt(99).empty());
    EXPECT_EQ(map.Identified(3), std::make_pair(1, 2));
    EXPECT_EQ(lattice.bracketParser.GetBTNode(0, 2), 0);

    // A new sentence starts without trees.
    Build("丁戊");
    EXPECT_EQ(lattice.bracketParser.TreeCount(), 0);
    EXPECT_EQ(lattice.bracketParser.GetBTNode(0, 2), -1);
    std::string text = "kept";
    EXPECT_EQ(lattice.bracketParser.GetTree(0, 0, text, true), 0);
}

TEST_F(LatticeTrees, UnitsBlockSplitsInsideThem) {
    Build("甲乙丙丁");
    ASSERT_TRUE(lattice.CreateBT(0, 0, 3));
    EXPECT_EQ(Splits(), (std::vector<int>{0, 1, 2}));

    std::string id;
    ASSERT_TRUE(lattice.AddNewUnit(2, Gbk("乙丙").c_str(), kUnitWord, id, -1, true, ""));
    lattice.GetLatticeUnit(id.c_str())->SetPOS("n");
    for (int mode : {1, 2}) {
        ASSERT_TRUE(lattice.CreateBT(mode, 0, 3)) << mode;
        EXPECT_EQ(Splits(), (std::vector<int>{0, 2})) << mode;
    }
    lattice.bracketParser.AddTreeToTrees();
    EXPECT_EQ(StoredText(0), "((甲)((乙丙 n)(丁)))");

    // Mode 3 blocks only terminal units.
    ASSERT_TRUE(lattice.CreateBT(3, 0, 3));
    EXPECT_EQ(Splits(), (std::vector<int>{0, 1, 2}));
    lattice.GetLatticeUnit(id.c_str())->Insert2UnitKV("Tag", "Terminal");
    ASSERT_TRUE(lattice.CreateBT(3, 0, 3));
    EXPECT_EQ(Splits(), (std::vector<int>{0, 2}));
    EXPECT_FALSE(lattice.CreateBT(4, 0, 3));

    // The simple build keeps units whole with its unit flag.
    lattice.bracketParser.ClearTrees();
    ASSERT_TRUE(lattice.CreateBT_Simple(true, 0, 3));
    for (int t = 0; t < lattice.bracketParser.TreeCount(); ++t)
        EXPECT_EQ(StoredText(t).find("(乙)(丙)"), std::string::npos) << StoredText(t);
}

}  // namespace
}  // namespace zel
