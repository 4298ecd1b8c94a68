#include "zel/lattice/tree_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_support.h"
#include "zel/lattice/json_input.h"
#include "zel/lattice/lattice.h"
#include "zel/lattice/unit_values.h"

namespace zel {
namespace {

using qztest::Gbk;

TEST(TreeLine, ClassifiesLines) {
    struct Case {
        const char* line;
        bool tree;
        int kind;
    };
    const Case cases[] = {
        {"[[a/NN][b/VV]]", true, 1},
        {"(IP (NN a))", true, 2},
        {"[a]/b", false, 2},
        {"(a b)", false, 2},
        {"((a b)", false, 2},
        // 0x5D and 0x28 are trail bytes here, not brackets.
        {"[[\x81\x5d/NN]]", true, 1},
        {"((NN \x81\x28))", true, 2},
    };
    for (const Case& c : cases) {
        int kind = -1;
        EXPECT_EQ(IsTreeLine(c.line, kind), c.tree) << c.line;
        EXPECT_EQ(kind, c.kind) << c.line;
    }
    EXPECT_TRUE(isDigital("0123"));
    EXPECT_TRUE(isDigital(""));
    EXPECT_FALSE(isDigital("1a"));
}

TEST(TreeLine, NumbersSiblingGroupsDepthFirst) {
    CQAVTree tree;
    ASSERT_TRUE(tree.ReadTree("(IP (NP (NN a) (NN b)) (VP (VV c)) (PU d))", 2));
    const std::vector<std::string> labels = {"IP", "NP", "VP", "PU", "NN", "NN", "VV"};
    ASSERT_EQ(tree.NodeCount(), static_cast<int>(labels.size()));
    for (int k = 0; k < tree.NodeCount(); ++k) EXPECT_EQ(tree.Node(k)->label, labels[static_cast<size_t>(k)]) << k;
    EXPECT_EQ(tree.Node(1)->place, kPlaceFirst);
    EXPECT_EQ(tree.Node(2)->place, kPlaceMiddle);
    EXPECT_EQ(tree.Node(3)->place, kPlaceLast);
    EXPECT_EQ(tree.Node(6)->place, kPlaceOnly);
    EXPECT_EQ(tree.Node(5)->word, "b");
    EXPECT_EQ(tree.Node(6)->parent, tree.Node(2));

    ASSERT_TRUE(tree.SetWordNodeInfo());
    EXPECT_EQ(tree.RawText(), "abcd");
    EXPECT_EQ(tree.NormText(), Gbk("ａｂｃｄ"));
    EXPECT_EQ(tree.Node(1)->normText, Gbk("ａｂ"));
    EXPECT_EQ(tree.Node(1)->from, 0);
    EXPECT_EQ(tree.Node(1)->to, 1);
    EXPECT_EQ(tree.Node(0)->from, -1);  // the root keeps no span
    EXPECT_EQ(tree.GetFromTo2ID(0, 1), 1);
    EXPECT_EQ(tree.GetFromTo2ID(3, 3), 3);
    EXPECT_EQ(tree.GetFromTo2ID(2, 2), 2);  // VP, completed after its only leaf
    EXPECT_EQ(tree.GetFromTo2ID(0, 3), -1);
}

TEST(TreeLine, SquareBracketsAndHeadTokens) {
    CQAVTree tree;
    ASSERT_TRUE(tree.ReadTree((Gbk("[NP 12 [中国/ns] [") + "\x81\x5d/n]]").c_str(), 1));
    EXPECT_EQ(tree.Node(0)->headTokens, (std::vector<std::string>{"NP", "PR"}));
    ASSERT_EQ(tree.NodeCount(), 3);
    EXPECT_EQ(tree.Node(1)->word, Gbk("中国"));
    EXPECT_EQ(tree.Node(1)->label, "ns");
    EXPECT_EQ(tree.Node(2)->word, "\x81\x5d");
    tree.SetWordNodeInfo();
    EXPECT_EQ(tree.RawText(), Gbk("中国") + "\x81\x5d");
}

TEST(TreeLine, RefusesBadLines) {
    CQAVTree tree;
    EXPECT_FALSE(tree.ReadTree("[[a/NN][b]]", 1));  // a leaf without its word
    EXPECT_FALSE(tree.ReadTree("a b c d", 2));
    EXPECT_FALSE(tree.ReadTree(nullptr, 2));

    // The line limit counts bytes: 10,240 are read, 10,241 are not.
    const std::string frame = "((NN ))";
    const std::string fits = "((NN " + std::string(kTreeLineSize - frame.size(), 'a') + "))";
    ASSERT_EQ(fits.size(), kTreeLineSize);
    EXPECT_TRUE(tree.ReadTree(fits.c_str(), 2));
    const std::string over = "((NN " + std::string(kTreeLineSize - frame.size() + 1, 'a') + "))";
    EXPECT_FALSE(tree.ReadTree(over.c_str(), 2));

    // The pool is reused for the next line and freed whole.
    ASSERT_TRUE(tree.ReadTree("(IP (NN a))", 2));
    EXPECT_EQ(tree.NodeCount(), 2);
    std::string id;
    EXPECT_FALSE(tree.GetUnit(2, id));
    tree.FreeQAVTree();
    EXPECT_EQ(tree.NodeCount(), 0);
}

class TreeInLattice : public ::testing::Test {
protected:
    void Build(const char* text) {
        lattice.LatticeInit(true);
        lattice.reservedUnits = 1;
        lattice.BuildInitLattice(text);
    }
    CUnit& Unit(int number) {
        std::string id;
        EXPECT_TRUE(tree.GetUnit(number, id));
        CUnit* unit = lattice.GetLatticeUnit(id.c_str());
        EXPECT_NE(unit, nullptr) << number << " " << id;
        return *unit;
    }
    std::string Id(int number) {
        std::string id;
        tree.GetUnit(number, id);
        return id;
    }
    void Read(const char* line, int offset, const char* root) {
        int kind = 0;
        ASSERT_TRUE(IsTreeLine(line, kind));
        ASSERT_TRUE(tree.ReadTree(line, kind));
        tree.SetWordNodeInfo();
        tree.SetLattice(&lattice);
        tree.Add2Lattice(false, false, offset, "T", root);
    }

    CLattice lattice;
    CQAVTree tree;
    std::string rootId;
};

TEST_F(TreeInLattice, NodesBecomeUnitsWithTheirLabels) {
    Build("ab");
    Read("(IP (NP (NN a)) (VP (VV b)))", 0, "");
    EXPECT_EQ(Id(0), "(-1,-1)");  // the root has no unit
    EXPECT_EQ(Id(1), Id(3));      // NP and NN cover the same word
    EXPECT_EQ(Id(2), Id(4));
    EXPECT_EQ(Id(1), "(0,2)");
    EXPECT_EQ(Id(2), "(1,2)");
    EXPECT_EQ(Unit(1).Word, Gbk("ａ"));
    EXPECT_EQ(Unit(1).nodeNo, 3);
    EXPECT_EQ(Values(Unit(2), "POS").back(), "VV");
}

TEST_F(TreeInLattice, ChildrenAreLinkedAndRelatedByTheirLabels) {
    Build("abcdefghij");
    lattice.AddNewUnit(9, Gbk("ＦＧＨＩＪ").c_str(), kUnitTree, rootId, -1, true, "");
    Read("(IP (NP (NN a) (NN b)) (VP (VV c)))", 5, rootId.c_str());
    // NP over columns 5..6, its leaves at 5 and 6, VP and VV share column 7.
    CUnit& np = Unit(1);
    EXPECT_EQ(np.From, 5);
    EXPECT_EQ(np.To, 6);
    EXPECT_EQ(Unit(3).To, 5);
    EXPECT_EQ(Values(Unit(1), "POS"), std::vector<std::string>{"NP"});
    EXPECT_EQ(Values(np, "USubT-NN"), (std::vector<std::string>{Id(3), Id(4)}));
    EXPECT_EQ(Values(Unit(3), "UHeadT-NN"), std::vector<std::string>{Id(1)});
    ASSERT_EQ(np.links.treeChildCount, 2);
    EXPECT_EQ(UnitIdText(np.links.treeChildren[1]), Id(4));
    ASSERT_EQ(np.links.treeParentCount, 1);
    EXPECT_EQ(np.links.treeParents[0], UnitId(-1, -1));  // a child of the root
    EXPECT_EQ(Unit(3).links.treeParentCount, 0);        // leaves record no parent

    // The caller's root unit stands in for the root.
    CUnit& root = *lattice.GetLatticeUnit(rootId.c_str());
    EXPECT_EQ(Values(root, "USubT-Link"), (std::vector<std::string>{Id(1), Id(2)}));
    EXPECT_EQ(Values(Unit(2), "UHead-Link"), std::vector<std::string>{rootId});
}

TEST_F(TreeInLattice, PredicatePhraseTakesItsHeadFromItsChildren) {
    Build("ab");
    ASSERT_TRUE(tree.ReadTree("(IP (VP-PRD (VV a) (u b)))", 2));
    tree.SetWordNodeInfo();
    tree.SetLattice(&lattice);
    tree.Add2Lattice(true, true, 0, "T", "");
    CUnit& predicate = Unit(1);
    EXPECT_EQ(predicate.UnitType, kUnitChunk);
    EXPECT_EQ(predicate.links.head, Unit(2).id);
    ASSERT_EQ(Unit(2).links.dependentCount, 1);
    EXPECT_EQ(Unit(2).links.dependents[0], predicate.id);
    EXPECT_EQ(Unit(3).links.dependentCount, 0);  // a particle is no head
    EXPECT_TRUE(tree.AddBit2Unit(3, "Role=Aux"));
    EXPECT_EQ(Values(Unit(3), "Role"), std::vector<std::string>{"Aux"});
    EXPECT_FALSE(tree.AddBit2Unit(0, "Role=Root"));
}

TEST_F(TreeInLattice, NodesOutsideTheLatticeGetNoUnit) {
    Build("ab");
    Read("(IP (NP (NN a)) (VP (VV b)))", 1, "");  // VP would end at column 2
    EXPECT_EQ(Id(2), "(-1,-1)");
    EXPECT_EQ(Id(1), "(1,2)");
    EXPECT_FALSE(tree.AddBit2Unit(2, "A=1"));
}

// The rule library's unit test is installed in this program.
TEST_F(TreeInLattice, NodeConditionsGoToTheUnitTest) {
    Build("ab");
    Read("(IP (NP (NN a)) (VP (VV b)))", 0, "");
    ASSERT_TRUE(tree.AddBit2Unit(2, "Role=Pred"));
    const struct {
        int node;
        const char* condition;
        bool holds;
    } cases[] = {{1, "POS=NP", true}, {1, "POS=VV", false}, {2, "Role=Pred", true}, {2, "Role=Arg", false},
                 {0, "POS=IP", false},  // the root has no unit
                 {5, "POS=NP", false},  // no such node
                 {-1, "POS=NP", false}};
    for (const auto& c : cases) EXPECT_EQ(tree.IsOK(c.node, c.condition), c.holds) << c.node << " " << c.condition;
    EXPECT_FALSE(tree.IsOK(1, nullptr));
}

TEST(TreeLineJson, TreeUnitsOfAJsonSentence) {
    CLattice lattice;
    int from = -1, to = -1;
    const std::string json = Gbk(R"j({"Type":"Tree","Units":["(IP (NP (NN 中国)) (VP (VV 发展)))","(IP (NN 了))"]})j");
    ASSERT_TRUE(InputJson(&lattice, json.c_str(), "JSON", from, to));
    EXPECT_EQ(lattice.normSentence, Gbk("中国发展了"));
    EXPECT_EQ(to, 4);
    CUnit* whole = lattice.GetLatticeUnit("(3,2)");
    ASSERT_NE(whole, nullptr);
    EXPECT_EQ(whole->Word, Gbk("中国发展"));
    EXPECT_TRUE(lattice.keyValues->find("URoot", "(3,2)"));
    EXPECT_TRUE(lattice.keyValues->find("URoot", "(4,1)"));  // the character unit, reused
    // The inner offset places the second tree after the first.
    CUnit* word = lattice.GetLatticeUnit("(1,2)");
    ASSERT_NE(word, nullptr);
    EXPECT_EQ(Values(*word, "POS"), (std::vector<std::string>{"NP", "NN"}));
    EXPECT_EQ(Values(*whole, "USubJSON-Link"), (std::vector<std::string>{"(1,2)", "(3,3)"}));
    EXPECT_EQ(Values(*lattice.GetLatticeUnit("(4,1)"), "POS"), std::vector<std::string>{"NN"});

    // A tree line that cannot be read leaves the input to the plain build.
    const std::string bad = Gbk(R"({"Type":"Chunk","Units":["[[a/NN][b]]"]})");
    EXPECT_FALSE(InputJson(&lattice, bad.c_str(), "JSON", from, to));
}

}  // namespace
}  // namespace zel
