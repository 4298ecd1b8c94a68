// Table successors and predecessors of a matching attempt, over a word
// table of the process's cluster.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/fsa_writer.h"
#include "support/test_support.h"
#include "zel/lattice/lattice.h"
#include "zel/rules/match/engine.h"
#include "zel/rules/net/rule_net.h"
#include "zel/rules/tables/table_support.h"

namespace zel {
namespace {

using qztest::Gbk;
using qztest::NetSpec;

class EngineTables : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(BuildTables(dir, ".Place\n北京\n北京大学\n大学\n"));
        ASSERT_TRUE(LoadTables(dir));
    }
    void TearDown() override { TableClusterExit(); }

    // The first positions of every match, as "(c,i) atom".
    std::vector<std::vector<std::string>> Run(const char* sentence, const NetSpec& spec, const char* anchor,
                                              int node, const char* params) {
        CLattice lattice;
        EXPECT_TRUE(lattice.LatticeBuild(Gbk(sentence).c_str()));
        CRuleNet net;
        const std::string body = EncodeFsaBody(qztest::BuildFsaBlock(spec));
        EXPECT_TRUE(net.RuleNetInit_Buf(body.data(), body.size()));
        net.SetRuleParam(&lattice, params);
        int from = 0, to = 0;
        net.GetMatch_From(&lattice, from);
        net.GetMatch_To(&lattice, lattice.columnCount - 1, to);
        std::vector<std::vector<std::string>> paths;
        FSA_Match_Enter(lattice, anchor, net, node, from, to, 30,
                        [&paths](CLattice& matched, const std::string&) {
                            std::vector<std::string> path;
                            for (int k = 0; k < matched.pathLength; ++k) {
                                const CMatchNodeEx& p = matched.matchPath[static_cast<size_t>(k)];
                                path.push_back(UnitIdText({p.column, p.index}) + " " + qztest::Utf8(p.tag));
                            }
                            paths.push_back(path);
                        });
        return paths;
    }

    qztest::TempDir dir;
};

using Paths = std::vector<std::vector<std::string>>;

// 北京 then a place.
NetSpec ForwardNet() {
    NetSpec spec;
    spec.name = "F";
    spec.nodes = {{ENTER, ""}, {EXIT, ""}, {WORD, Gbk("北京"), 0}, {CW, "Place", 1}, {Return, "act"}};
    spec.edges = {{0, 2}, {2, 3}, {3, 4}, {4, 1}};
    return spec;
}

TEST_F(EngineTables, EntriesNextToTheUnitOrAfterAGap) {
    EXPECT_EQ(Run("北京大学生", ForwardNet(), "(1,-2)", 2, "Nearby=Yes"),
              (Paths{{"(3,-2) Place", "(1,-2) 北京"}}));
    EXPECT_EQ(Run("北京的大学", ForwardNet(), "(1,-2)", 2, "Nearby=Yes"), Paths{});
    EXPECT_EQ(Run("北京的大学", ForwardNet(), "(1,-2)", 2, ""), (Paths{{"(4,-2) Place", "(1,-2) 北京"}}));
    // An entry that ends at the last usable column is taken.
    EXPECT_EQ(Run("北京大学生", ForwardNet(), "(1,-2)", 2, "Nearby=Yes To=3").size(), 1u);
    EXPECT_EQ(Run("北京大学生", ForwardNet(), "(1,-2)", 2, "Nearby=Yes To=2").size(), 0u);
}

// A place before 生: every entry that ends next to it is a completion.
TEST_F(EngineTables, EntriesEndingBeforeTheUnit) {
    NetSpec spec;
    spec.name = "B";
    spec.nodes = {{ENTER, ""}, {EXIT, ""}, {CW, "Place", 0}, {WORD, Gbk("生"), 1}, {Return, "act"}};
    spec.edges = {{0, 2}, {2, 3}, {3, 4}, {4, 1}};
    EXPECT_EQ(Run("北京大学生", spec, "(4,-1)", 3, "Nearby=Yes"),
              (Paths{{"(4,-1) 生", "(3,-4) Place"}, {"(4,-1) 生", "(3,-2) Place"}}));
    EXPECT_EQ(Run("北京大学生", spec, "(4,-1)", 3, "Nearby=Yes From=1"), (Paths{{"(4,-1) 生", "(3,-2) Place"}}));
}

}  // namespace
}  // namespace zel
