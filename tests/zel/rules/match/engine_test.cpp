// Matching attempts over small lattices with networks from the test writer.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/fsa_writer.h"
#include "support/test_support.h"
#include "zel/lattice/lattice.h"
#include "zel/rules/match/engine.h"
#include "zel/rules/match/engine_search.h"
#include "zel/rules/net/rule_net.h"

namespace zel {
namespace {

using qztest::Gbk;
using qztest::NetSpec;

void Load(CRuleNet& net, const NetSpec& spec) {
    const std::string body = EncodeFsaBody(qztest::BuildFsaBlock(spec));
    ASSERT_TRUE(net.RuleNetInit_Buf(body.data(), body.size()));
}

// A word unit over columns from..to; its identifier text.
std::string AddWord(CLattice& lattice, int from, int to) {
    std::string id;
    EXPECT_TRUE(lattice.AddNewUnit(to, lattice.GetStr(from, to).c_str(), kUnitWord, id, -1, false, ""));
    return id;
}

// Path positions as "(c,i) tag-number atom" in path order, and the actions.
struct Recorder {
    std::vector<std::vector<std::string>> paths;
    std::vector<std::string> actions;
    MatchAction Act() {
        return [this](CLattice& lattice, const std::string& action) {
            std::vector<std::string> path;
            for (int k = 0; k < lattice.pathLength; ++k) {
                const CMatchNodeEx& p = lattice.matchPath[static_cast<size_t>(k)];
                path.push_back(UnitIdText({p.column, p.index}) + " " + std::to_string(p.node) + " " + qztest::Utf8(p.tag));
            }
            paths.push_back(path);
            actions.push_back(action);
        };
    }
};

class Engine : public ::testing::Test {
protected:
    void Build(const char* utf8) { ASSERT_TRUE(lattice.LatticeBuild(Gbk(utf8).c_str())); }
    bool Run(const std::string& entry, int node, const char* params) {
        net.SetRuleParam(&lattice, params);
        int from = 0, to = 0, dist = 0;
        net.GetMatch_From(&lattice, from);
        net.GetMatch_To(&lattice, lattice.columnCount - 1, to);
        net.GetLen_LiHe(&lattice, dist);
        const bool result = FSA_Match_Enter(lattice, entry.c_str(), net, node, from, to, dist, recorder.Act());
        net.ClearParam(&lattice);
        return result;
    }

    CLattice lattice;
    CRuleNet net;
    Recorder recorder;
};

TEST_F(Engine, TwoWordPathRightmostFirst) {
    Build("北京大学。");
    Load(net, qztest::TwoWordNet("NP", "  hits=1"));
    const std::string anchor = AddWord(lattice, 0, 1);
    ASSERT_EQ(anchor, "(1,2)");
    const std::vector<std::string> expected{"(3,-2) 1 大学", "(1,2) 0 北京"};
    for (const char* params : {"Nearby=Yes MaxLen=Yes", "Nearby=Yes", "MaxLen=Yes", ""}) {
        recorder = {};
        EXPECT_TRUE(Run(anchor, 2, params)) << params;
        ASSERT_EQ(recorder.paths.size(), 1u) << params;
        EXPECT_EQ(recorder.paths[0], expected) << params;
        EXPECT_EQ(recorder.actions[0], "hits=1");
    }
    EXPECT_EQ(lattice.pathLength, 2);
    // An entry unit beyond its column's units.
    EXPECT_FALSE(Run("(1,9)", 2, ""));
}

// Two ways back to the start (北京 alone, or after 爱) and three forward
// completions (北京, 北京大, 北京大学).
NetSpec BranchingNet() {
    NetSpec spec;
    spec.name = "B";
    spec.nodes = {{ENTER, ""},           {EXIT, ""},           {WORD, Gbk("爱"), 0}, {WORD, Gbk("北京"), 1},
                  {WORD, Gbk("大"), 2},   {WORD, Gbk("学"), 3}, {Return, "act"}};
    spec.edges = {{0, 2}, {2, 3}, {0, 3}, {3, 6}, {3, 4}, {4, 6}, {4, 5}, {5, 6}, {6, 1}};
    return spec;
}

TEST_F(Engine, CandidateMergingRunsEveryPairLongestOne) {
    Build("我爱北京大学。");
    Load(net, BranchingNet());
    EXPECT_TRUE(Run("(3,-2)", 3, "Nearby=Yes"));
    ASSERT_EQ(recorder.paths.size(), 6u);
    // Backward completions outside, in the order they were reached.
    EXPECT_EQ(recorder.paths[0], std::vector<std::string>{"(3,-2) 1 北京"});
    EXPECT_EQ(recorder.paths[3].back(), "(1,-1) 0 爱");
    EXPECT_EQ(recorder.paths[5].size(), 4u);

    recorder = {};
    EXPECT_TRUE(Run("(3,-2)", 3, "Nearby=Yes MaxLen=Yes"));
    ASSERT_EQ(recorder.paths.size(), 1u);
    EXPECT_EQ(recorder.paths[0],
              (std::vector<std::string>{"(5,-1) 3 学", "(4,-1) 2 大", "(3,-2) 1 北京", "(1,-1) 0 爱"}));
}

TEST_F(Engine, NoActionWithoutBothEnds) {
    Build("北京大学。");
    NetSpec spec = qztest::TwoWordNet("NP", "act");
    spec.edges = {{0, 2}, {2, 3}, {4, 1}};  // 大学 reaches no return node
    Load(net, spec);
    EXPECT_TRUE(Run("(1,-2)", 2, ""));
    EXPECT_FALSE(Run("(1,-2)", 2, "MaxLen=Yes"));
    EXPECT_TRUE(recorder.paths.empty());
}

// A word that ends at the last usable column is taken forwards, as a table
// entry would be; it is the sentence's last word here.
TEST_F(Engine, WordEndingAtToIsTaken) {
    Build("我爱北京");
    NetSpec spec;
    spec.name = "V";
    spec.nodes = {{ENTER, ""}, {EXIT, ""}, {WORD, Gbk("爱"), 0}, {WORD, Gbk("北京"), 1}, {Return, "act"}};
    spec.edges = {{0, 2}, {2, 3}, {3, 4}, {4, 1}};
    Load(net, spec);
    EXPECT_TRUE(Run("(1,-1)", 2, "Nearby=Yes MaxLen=Yes"));
    ASSERT_EQ(recorder.paths.size(), 1u);
    EXPECT_EQ(recorder.paths[0].front(), "(3,-2) 1 北京");
    recorder = {};
    EXPECT_FALSE(Run("(1,-1)", 2, "Nearby=Yes MaxLen=Yes To=2"));
}

// Gap search: forwards within Dist positions and never past punctuation;
// backwards across it.
TEST_F(Engine, GapSearch) {
    struct Case {
        const char* sentence;
        const char* anchor;
        bool reversed;  // 大学 before 北京
        const char* params;
        size_t matches;
    };
    const Case cases[] = {
        {"北京的大学。", "(1,-2)", false, "", 1},
        {"北京的大学。", "(1,-2)", false, "Dist=0", 0},
        {"北京的大学。", "(1,-2)", false, "Nearby=Yes", 0},
        {"北京。大学", "(1,-2)", false, "", 0},
        {"大学。北京", "(4,-2)", true, "", 1},
        {"大学。北京", "(4,-2)", true, "Nearby=Yes", 0},
    };
    for (const Case& c : cases) {
        CLattice fresh;
        ASSERT_TRUE(fresh.LatticeBuild(Gbk(c.sentence).c_str()));
        CRuleNet network;
        NetSpec spec = qztest::TwoWordNet("NP", "act");
        if (c.reversed) spec.edges = {{0, 3}, {3, 2}, {2, 4}, {4, 1}};
        Load(network, spec);
        network.SetRuleParam(&fresh, c.params);
        int dist = 0;
        network.GetLen_LiHe(&fresh, dist);
        Recorder seen;
        FSA_Match_Enter(fresh, c.anchor, network, 2, 0, fresh.columnCount - 1, dist, seen.Act());
        EXPECT_EQ(seen.paths.size(), c.matches) << c.sentence << " " << c.params;
    }
}

// A candidate in another clause is kept but not extended.
TEST_F(Engine, BoundStopsExtension) {
    Build("北京，大学人");
    NetSpec spec;
    spec.name = "C";
    spec.nodes = {{ENTER, ""},         {EXIT, ""},           {WORD, Gbk("北京"), 0}, {WORD, Gbk("，"), 1},
                  {WORD, Gbk("大学"), 2}, {WORD, Gbk("人"), 3}, {Return, "act"}};
    spec.edges = {{0, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 6}, {6, 1}};
    Load(net, spec);
    EXPECT_TRUE(Run("(1,-2)", 2, "Nearby=Yes Bound=Sent"));
    EXPECT_EQ(recorder.paths.size(), 1u);
    recorder = {};
    EXPECT_TRUE(Run("(1,-2)", 2, "Nearby=Yes Bound=Clause"));
    EXPECT_TRUE(recorder.paths.empty());
}

// A network that loops over its own word stops at 400 states, 400 steps
// deep, without exhausting the stack.
TEST_F(Engine, LoopStopsAt400States) {
    std::string text;
    for (int k = 0; k < 600; ++k) text += "北京";
    ASSERT_TRUE(lattice.LatticeBuild(Gbk(text).c_str()));
    NetSpec spec = qztest::TwoWordNet("L", "act");
    spec.edges = {{0, 2}, {2, 2}, {2, 4}, {4, 1}};
    Load(net, spec);
    MatchEntry entry;
    entry.id = {1, -2};
    entry.unit = lattice.GetUnit(entry.id);
    entry.From = 0;
    entry.To = 1;
    MatchLimits limits;
    limits.Dist = 100000;
    MatchSearch search(lattice, net, entry, limits);
    search.MatchRule_Next({UNKOWN_ENTER, 1, -2, 2, -1, -1}, true, 2, lattice.columnCount - 1);
    EXPECT_EQ(search.forward.stateCount, kMaxMatchStates + 1);
    EXPECT_EQ(search.forward.endCount, kMaxMatchStates + 1);
}

// A scope that leaves the entry unit out anchors at the border column's
// character unit, which remembers the entry unit as its head.
TEST_F(Engine, ScopeAnchorsAtTheBorder) {
    Build("北京大学。");
    Load(net, qztest::TwoWordNet("NP", "act"));
    const std::string beijing = AddWord(lattice, 0, 1);
    const std::string daxue = AddWord(lattice, 2, 3);
    net.SetRuleParam(&lattice, ("Nearby=Yes MaxLen=Yes Scope=" + daxue).c_str());
    const CRSConfig* controls = net.Controls(&lattice);
    ASSERT_EQ(controls->From, 2);
    EXPECT_TRUE(FSA_Match_Enter(lattice, beijing.c_str(), net, 2, controls->From, controls->To, 30, recorder.Act()));
    ASSERT_EQ(recorder.paths.size(), 1u);
    EXPECT_EQ(recorder.paths[0], (std::vector<std::string>{"(3,-2) 1 大学", "(1,1) 0 北京"}));
    EXPECT_EQ(lattice.columns[1].units[1].links.head, (UnitId{1, 2}));
}

// Without gap a step tries only the units that start next to the current
// one, the last added first, and takes at most three for all its conditions.
TEST_F(Engine, ConditionUnitsPerStep) {
    Build("北京大学生");
    NetSpec spec;
    spec.name = "A";
    spec.nodes = {{ENTER, ""}, {EXIT, ""}, {WORD, Gbk("北京"), 0}, {ATTR, "POS=n", 1}, {ATTR, "POS=x|POS=n", 2},
                  {Return, "act"}};
    spec.edges = {{0, 2}, {2, 3}, {2, 4}, {3, 5}, {4, 5}, {5, 1}};
    Load(net, spec);
    std::string id;
    for (int to : {2, 3, 4}) ASSERT_TRUE(lattice.AddNewUnit(to, lattice.GetStr(2, to).c_str(), kUnitWord, id, -1, false, "POS=n"));
    ASSERT_TRUE(lattice.AddNewUnit(3, lattice.GetStr(3, 3).c_str(), kUnitWord, id, -1, false, "POS=n"));  // not next
    EXPECT_TRUE(Run("(1,-2)", 2, "Nearby=Yes"));
    std::vector<std::string> firsts;
    for (const auto& path : recorder.paths) firsts.push_back(path.front());
    EXPECT_EQ(firsts, (std::vector<std::string>{"(4,2) 1 POS=n", "(3,2) 1 POS=n", "(2,2) 1 POS=n"}));
}

TEST_F(Engine, TransferCW) {
    Build("北京大学");
    Load(net, qztest::TwoWordNet("NP", "act"));
    const std::string id = AddWord(lattice, 0, 1);
    int index = 0;
    CUnit* entry = lattice.GetUnit(id.c_str(), index);
    ASSERT_NE(entry, nullptr);
    net.SetRuleParam(&lattice, "Tab=Cities Pos=ns");
    EXPECT_EQ(TransferCW(net, lattice, *entry, "XB_UEntry|$Pos=Tab"), Gbk("北京") + "_" + id + "|ns=Cities");
    EXPECT_EQ(TransferCW(net, lattice, *entry, ""), "");
    // XB is the head word at the top of the head chain.
    const std::string top = AddWord(lattice, 2, 3);
    entry->links.head = {3, 2};
    EXPECT_EQ(TransferCW(net, lattice, *entry, "XB"), Gbk("大学"));
    EXPECT_EQ(top, "(3,2)");
}

TEST(EngineText, IsEndComparesWholeCharacters) {
    EXPECT_TRUE(IsEnd(Gbk("北京大学"), Gbk("大学")));
    EXPECT_FALSE(IsEnd(Gbk("大学"), Gbk("北京大学")));
    EXPECT_TRUE(IsEnd(Gbk("北京"), ""));
    EXPECT_TRUE(IsEnd(Gbk("北京大学"), Gbk("大学") + "a"));  // an odd last byte is not compared
}

}  // namespace
}  // namespace zel
