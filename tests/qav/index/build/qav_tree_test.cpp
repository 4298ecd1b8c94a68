#include "qav/index/build/qav_tree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qav/index/base/config.h"
#include "support/test_support.h"

using qztest::Gbk;
using qztest::Utf8;

namespace {

// A leaf as "word/tag", an inner node as its head tokens joined by ",".
std::string Describe(const qav::CTreeNode* node) {
    if (node->m_nodeType == qav::NodeType::Word) return Utf8(node->m_word) + "/" + Utf8(node->m_label);
    std::string text;
    for (int32_t i = 0; i < node->m_nTokenCount; ++i)
        text += (i ? "," : "") + Utf8(std::string(node->Token(i)));
    return text;
}

// Every node of the line, by number.
std::vector<std::string> Nodes(const qav::CQAVTree& tree) {
    std::vector<std::string> out;
    for (uint32_t i = 0; i < tree.m_nNodeCount; ++i) out.push_back(Describe(tree.Node(i)));
    return out;
}

std::vector<std::string> Tokens(const qav::CTreeItem& item) {
    std::vector<std::string> out;
    for (int32_t i = 0; i < item.m_nTokenCount; ++i) out.push_back(Utf8(std::string(item.Token(i))));
    return out;
}

// Lays out the leaves of every top-level node as the indexer does.
void VisitAll(qav::CQAVTree& tree) {
    tree.m_nClauseCount = 0;
    tree.m_nLeafCount = 0;
    for (qav::CTreeNode* node = tree.m_pFirstNode; node; node = node->m_pNextSibling) tree.VisitNode(node);
}

std::vector<std::string> Leaves(const qav::CQAVTree& tree) {
    std::vector<std::string> out;
    for (uint32_t i = 0; i < tree.m_nLeafCount; ++i) out.push_back(Describe(tree.Leaf(i)));
    return out;
}

std::vector<int> Clauses(const qav::CQAVTree& tree) {
    std::vector<int> out;
    for (uint32_t i = 0; i < tree.m_nLeafCount; ++i) out.push_back(tree.Leaf(i)->m_nClause);
    return out;
}

qav::CTreeNode* LeafWithWord(const qav::CQAVTree& tree, const std::string& utf8) {
    for (uint32_t i = 0; i < tree.m_nLeafCount; ++i)
        if (tree.Leaf(i)->m_word == Gbk(utf8)) return tree.Leaf(i);
    return nullptr;
}

std::vector<std::string> Pairs(const qav::CQAVTree& tree) {
    std::vector<std::string> out;
    for (uint32_t i = 0; i < tree.m_nPairCount; ++i)
        out.push_back(Utf8(tree.m_pairs[i].first->m_word) + ":" + tree.m_pairs[i].second);
    return out;
}

const std::vector<std::string> kIpTree = {"IP", "NP", "VP", "发展/VV", "中国/NR"};

}  // namespace

TEST(QavTree, SquareTreeNumbersChildrenThenRightmostSubtreeFirst) {
    qav::CQAVTree tree;
    ASSERT_TRUE(tree.ReadTree(Gbk("[IP [NP [中国 NR]] [VP [发展 VV]]]").c_str(), 1));
    EXPECT_EQ(Nodes(tree), kIpTree);

    qav::CTreeNode* ip = tree.Node(0);
    EXPECT_EQ(tree.m_pFirstNode, ip);
    EXPECT_EQ(ip->m_pFirstChild, tree.Node(1));
    EXPECT_EQ(tree.Node(1)->m_pNextSibling, tree.Node(2));
    EXPECT_EQ(tree.Node(2)->m_pPrevSibling, tree.Node(1));
    EXPECT_EQ(tree.Node(3)->m_pParent, tree.Node(2));
    EXPECT_EQ(tree.Node(4)->m_pParent, tree.Node(1));
    EXPECT_EQ(tree.Node(4)->m_pTree, &tree);
    EXPECT_EQ(ip->m_nPlace, qav::kPlaceMiddle);
    EXPECT_EQ(tree.Node(1)->m_nPlace, qav::kPlaceFirst);
    EXPECT_EQ(tree.Node(2)->m_nPlace, qav::kPlaceLast);
    EXPECT_EQ(tree.Node(3)->m_nPlace, qav::kPlaceOnly);

    VisitAll(tree);
    EXPECT_EQ(Leaves(tree), (std::vector<std::string>{"中国/NR", "发展/VV"}));
}

TEST(QavTree, EitherTreeKindReadsTheFormTheLineHas) {
    for (const char* line : {"(IP (NP (NR 中国)) (VP (VV 发展)))", "[IP [NP [中国 NR]] [VP [发展 VV]]]"}) {
        for (int kind : {1, 2}) {
            SCOPED_TRACE(std::string(line) + " kind " + std::to_string(kind));
            qav::CQAVTree tree;
            ASSERT_TRUE(tree.ReadTree(Gbk(line).c_str(), kind));
            EXPECT_EQ(Nodes(tree), kIpTree);
        }
    }
}

TEST(QavTree, ThreeChildrenGetFirstMiddleLastPlaces) {
    qav::CQAVTree tree;
    ASSERT_TRUE(tree.ReadTree("[S [a A] [b B] [c C]]", 1));
    EXPECT_EQ(Nodes(tree), (std::vector<std::string>{"S", "a/A", "b/B", "c/C"}));
    EXPECT_EQ(tree.Node(1)->m_nPlace, qav::kPlaceFirst);
    EXPECT_EQ(tree.Node(2)->m_nPlace, qav::kPlaceMiddle);
    EXPECT_EQ(tree.Node(3)->m_nPlace, qav::kPlaceLast);
}

TEST(QavTree, ClassifiesLines) {
    struct Case {
        const char* line;
        int kind;
    } cases[] = {
        {"[IP [NP [中国 NR]] [VP [发展 VV]]]", 1},
        {"(IP (NP (NR 中国)) (VP (VV 发展)))", 2},
        {"[中国/ns 人民/n]/nt", 0},          // a bracket before "/"
        {"(IP (NN x)/y (VP (VV z)))", 0},   // likewise, parentheses
        {"[a [b c]", 0},                     // three brackets
        {"[[a b] [c d]", 0},                 // unbalanced
        {"[a b] (c (d e) f)", 2},            // too few squares, balanced parentheses
        {"我/r 爱/v 中国/ns", 0},
        {"[NP [蔥蔥 NN] [x y]]", 1},         // 蔥 ends in the byte of "["
        {"[IP [薦/x NN] [a b]]", 1},         // 薦 ends in the byte of "]"
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        int kind = 7;
        EXPECT_EQ(qav::IsTreeLine(Gbk(c.line).c_str(), kind), c.kind != 0);
        EXPECT_EQ(kind, c.kind);
    }
}

TEST(QavTree, SegmentedLinesGiveOneTopLevelWordPerToken) {
    struct Case {
        int kind;
        const char* line;
        std::vector<std::string> nodes;
    } cases[] = {
        {1, "我/r 爱/v 中国/ns", {"我/r", "爱/v", "中国/ns"}},
        {1, "[中国/ns 人民/n]/nt", {"[中国/ns", "人民/n]/nt"}},
        {1, "/w 我/r x", {"我/r", "x/"}},
        {1, "a/b/c \t  d/e\t", {"a/b/c", "d/e"}},
        {1, "[a b] [c", {"[a/", "b]/", "[c/"}},
        {0, "[IP [a b] [c d]]", {"[IP/", "[a/", "b]/", "[c/", "d]]/"}},
        {1, "薦/x", {"薦/x"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        qav::CQAVTree tree;
        ASSERT_TRUE(tree.ReadTree(Gbk(c.line).c_str(), c.kind));
        EXPECT_EQ(Nodes(tree), c.nodes);
        uint32_t number = 0;
        for (qav::CTreeNode* node = tree.m_pFirstNode; node; node = node->m_pNextSibling, ++number) {
            EXPECT_EQ(node, tree.Node(number));
            EXPECT_EQ(node->m_pParent, nullptr);
            EXPECT_EQ(node->m_pFirstChild, nullptr);
        }
        EXPECT_EQ(number, tree.m_nNodeCount);
    }
}

TEST(QavTree, HeadTokensCutAtSeparatorsWithDigitsAsPR) {
    struct Case {
        const char* line;
        std::vector<std::string> tokens;
    } cases[] = {
        {"[NP 12 [a b]]", {"NP", "PR"}},
        {"[NP-SBJ|x;1,y/z\t3a [a b]]", {"NP-SBJ", "x", "PR", "y", "z", "3a"}},
        {"[縷|NP [a b]]", {"縷", "NP"}},  // 縷 ends in the byte of "|"
        {"3/4", {"PR"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        qav::CQAVTree tree;
        ASSERT_TRUE(tree.ReadTree(Gbk(c.line).c_str(), 1));
        EXPECT_EQ(Tokens(*tree.Node(0)), c.tokens);
    }
}

TEST(QavTree, LeafTakesWordAndTagFromItsLastTokens) {
    struct Case {
        const char* line;
        int kind;
        const char* word;
        const char* tag;
    } cases[] = {
        {"[IP [x y z NN] [a b]]", 1, "z", "NN"},
        {"(IP (NN x y) (b a))", 2, "y", "x"},
        {"[IP [ 中国  NR ] [a b]]", 1, "中国", "NR"},
        {"(IP (中国) (b a))", 2, "中国", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        qav::CQAVTree tree;
        ASSERT_TRUE(tree.ReadTree(Gbk(c.line).c_str(), c.kind));
        EXPECT_EQ(Utf8(tree.Node(1)->m_word), c.word);
        EXPECT_EQ(Utf8(tree.Node(1)->m_label), c.tag);
        EXPECT_EQ(tree.Node(1)->m_nodeType, qav::NodeType::Word);
    }
}

TEST(QavTree, RefusesLinesWithoutNodesOrWithBadLeaves) {
    const std::string leafHead2047 = std::string(2044, 'x') + " NN";
    const std::string leafHead2048 = std::string(2045, 'x') + " NN";
    struct Case {
        std::string line;
        bool ok;
    } cases[] = {
        {"", false},
        {" \t ", false},
        {"/w /n", false},
        {"[IP [NR] [a b]]", false},  // leaf without a word
        {"[IP [" + leafHead2047 + "] [a b]]", true},
        {"[IP [" + leafHead2048 + "] [a b]]", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line.substr(0, 20));
        qav::CQAVTree tree;
        EXPECT_EQ(tree.ReadTree(c.line.c_str(), 1), c.ok);
    }
    qav::CQAVTree tree;
    EXPECT_FALSE(tree.ReadTree(nullptr, 1));
}

TEST(QavTree, WordItemsNeedOneTo2047Bytes) {
    qav::CTreeItem item;
    EXPECT_FALSE(item.SetTreeItem("NN", "", qav::NodeType::Word));
    EXPECT_TRUE(item.SetTreeItem("NN", std::string(2047, 'w'), qav::NodeType::Word));
    EXPECT_FALSE(item.SetTreeItem("NN", std::string(2048, 'w'), qav::NodeType::Word));
    EXPECT_TRUE(item.SetTreeItem("NP", "", qav::NodeType::Phrase));
}

TEST(QavTree, LineLimitIs102400Bytes) {
    std::string line;
    for (int i = 0; i < 25600; ++i) line += "a/n ";
    ASSERT_EQ(line.size(), 102400u);
    qav::CQAVTree tree;
    ASSERT_TRUE(tree.ReadTree(line.c_str(), 1));
    EXPECT_EQ(tree.m_nNodeCount, 25600u);
    line += "a";
    EXPECT_FALSE(tree.ReadTree(line.c_str(), 1));
}

TEST(QavTree, TokenReaching2046BytesEndsTheLine) {
    qav::CQAVTree tree;
    const std::string line = std::string(3000, 'x') + " b/n";
    ASSERT_TRUE(tree.ReadTree(line.c_str(), 1));
    ASSERT_EQ(tree.m_nNodeCount, 1u);
    EXPECT_EQ(tree.Node(0)->m_word, std::string(2046, 'x'));
}

TEST(QavTree, ClauseNumbersCountSeparatorsModulo256) {
    qav::CConfig config;
    config.m_ClauseSeperator.insert(Gbk("，"));
    qav::CQAVTree tree;
    tree.SetConfig(&config);

    ASSERT_TRUE(tree.ReadTree(Gbk("我/r ，/w 你/r").c_str(), 1));
    VisitAll(tree);
    EXPECT_EQ(Clauses(tree), (std::vector<int>{0, 0, 1}));

    ASSERT_TRUE(tree.ReadTree(Gbk("[IP [NP [我 PN]] [， PU] [VP [你 PN]]]").c_str(), 1));
    VisitAll(tree);
    EXPECT_EQ(Clauses(tree), (std::vector<int>{0, 0, 1}));

    std::string line;
    for (int i = 0; i < 257; ++i) line += Gbk("，/w ");
    ASSERT_TRUE(tree.ReadTree((line + "x/n").c_str(), 1));
    VisitAll(tree);
    ASSERT_EQ(tree.m_nLeafCount, 258u);
    EXPECT_EQ(tree.Leaf(255)->m_nClause, 255);
    EXPECT_EQ(tree.Leaf(256)->m_nClause, 0);
    EXPECT_EQ(tree.Leaf(257)->m_nClause, 1);

    tree.SetConfig(nullptr);
    ASSERT_TRUE(tree.ReadTree(Gbk("我/r ，/w 你/r").c_str(), 1));
    VisitAll(tree);
    EXPECT_EQ(Clauses(tree), (std::vector<int>{0, 0, 0}));
}

TEST(QavTree, RightPairsOfConstituentsStartingAtALeaf) {
    qav::CConfig config;
    config.m_ClauseSeperator.insert(Gbk("，"));
    struct Case {
        const char* line;
        const char* leaf;
        const char* stopTag;
        std::vector<std::string> pairs;
    } cases[] = {
        {"[IP [NP [中国 NR] [人民 NN]] [VP [发展 VV]]]", "中国", "", {"人民:NP", "发展:IP"}},
        {"[IP [NP [中国 NR] [人民 NN]] [VP [发展 VV]]]", "中国", "IP", {"人民:NP"}},
        {"[IP [NP [中国 NR] [人民 NN]] [VP [发展 VV]]]", "人民", "", {}},
        {"[IP [NP [中国 NR] [人民 NN]] [VP [发展 VV]]]", "发展", "", {"发展:VP"}},
        {"[IP [NP [中国 NR]] [， PU] [VP [发展 VV]]]", "中国", "", {"中国:NP"}},
        {"[IP [NP [中国 NR] [， PU]] [VP [发展 VV]]]", "中国", "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.line) + " " + c.leaf + " " + c.stopTag);
        config.m_StopTag.clear();
        if (*c.stopTag) config.m_StopTag.insert(c.stopTag);
        qav::CQAVTree tree;
        tree.SetConfig(&config);
        ASSERT_TRUE(tree.ReadTree(Gbk(c.line).c_str(), 1));
        VisitAll(tree);
        qav::CTreeNode* leaf = LeafWithWord(tree, c.leaf);
        ASSERT_NE(leaf, nullptr);
        tree.m_nPairCount = 0;
        EXPECT_TRUE(tree.GetRPair(leaf));
        EXPECT_EQ(Pairs(tree), c.pairs);
    }
}

TEST(QavTree, MostLeftMostRightAndLeafDistance) {
    qav::CQAVTree tree;
    ASSERT_TRUE(tree.ReadTree(Gbk("[IP [NP [中国 NR] [人民 NN]] [VP [发展 VV]]]").c_str(), 1));
    VisitAll(tree);
    qav::CTreeNode* china = tree.Leaf(0);
    qav::CTreeNode* develop = tree.Leaf(2);
    qav::CTreeNode* out = nullptr;
    EXPECT_TRUE(tree.GetMostLeft(tree.Node(0), out));
    EXPECT_EQ(out, china);
    EXPECT_TRUE(tree.GetMostLeft(china, out));
    EXPECT_EQ(out, nullptr);
    EXPECT_TRUE(tree.GetMostRight(tree.Node(0), out));
    EXPECT_EQ(out, develop);
    EXPECT_TRUE(tree.GetMostRight(china, out));
    EXPECT_EQ(out, china);

    EXPECT_EQ(tree.GetNodeDist(0, develop), 2);
    EXPECT_EQ(tree.GetNodeDist(1, develop), 1);
    EXPECT_EQ(tree.GetNodeDist(1, china), -1);
    EXPECT_EQ(tree.GetNodeDist(3, develop), -1);
    EXPECT_EQ(tree.GetNodeDist(-1, china), -1);
}

TEST(QavTree, PooledNodesAreReusedCleanAcrossLines) {
    qav::CQAVTree tree;
    const std::string treeLine = Gbk("[IP [NP [中国 NR]] [VP [发展 VV]]]");
    ASSERT_TRUE(tree.ReadTree(treeLine.c_str(), 1));
    ASSERT_TRUE(tree.ReadTree(Gbk("我/r 爱/v").c_str(), 1));
    EXPECT_EQ(Nodes(tree), (std::vector<std::string>{"我/r", "爱/v"}));
    EXPECT_EQ(tree.m_nodePool.size(), 5u);
    EXPECT_EQ(tree.Node(0)->m_pFirstChild, nullptr);
    EXPECT_EQ(tree.Node(0)->m_nChildCount, 0);
    EXPECT_EQ(tree.Node(1)->m_nPlace, qav::kPlaceMiddle);
    EXPECT_EQ(tree.Node(1)->m_pNextSibling, nullptr);

    ASSERT_TRUE(tree.ReadTree(treeLine.c_str(), 1));
    EXPECT_EQ(Nodes(tree), kIpTree);
    EXPECT_EQ(tree.Node(3)->m_nPlace, qav::kPlaceOnly);

    tree.FreeQAVTree();
    EXPECT_TRUE(tree.m_nodePool.empty());
    EXPECT_EQ(tree.m_nNodeCount, 0u);
    ASSERT_TRUE(tree.ReadTree(treeLine.c_str(), 1));
    EXPECT_EQ(Nodes(tree), kIpTree);
}
