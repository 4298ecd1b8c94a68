// Per-lattice parameters and matching controls of a network.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "support/test_support.h"
#include "zel/lattice/lattice.h"
#include "zel/rules/net/rule_net.h"

namespace zel {
namespace {

TEST(RuleParams, RunTextSetsControls) {
    CRuleNet net;
    CLattice lattice, other;
    ASSERT_TRUE(net.SetRuleParam(&lattice, "Dist=5 Bound=DGraph Candidate=maybe"));
    int dist = 0;
    net.GetLen_LiHe(&lattice, dist);
    EXPECT_EQ(dist, 5);
    EXPECT_EQ(net.GetBoundType(&lattice), kBoundGroup);
    EXPECT_TRUE(net.IsArgCandidate(&lattice));
    std::string value;
    EXPECT_TRUE(net.GetParam(&lattice, "Candidate", value));
    EXPECT_EQ(value, "maybe");

    net.ClearParam(&lattice);
    net.GetLen_LiHe(&lattice, dist);
    EXPECT_EQ(dist, 5);
    EXPECT_EQ(net.GetBoundType(&lattice), kBoundSent);
    EXPECT_FALSE(net.GetParam(&lattice, "Dist", value));
    EXPECT_EQ(value, "");

    net.GetLen_LiHe(&other, dist);
    EXPECT_EQ(dist, 30);
    ASSERT_TRUE(net.SetRuleParam(&other, ""));
    net.GetLen_LiHe(&other, dist);
    EXPECT_EQ(dist, 30);
    EXPECT_FALSE(net.SetRuleParam(&other, nullptr));
}

TEST(RuleParams, ReadersWithoutControlsGiveDefaults) {
    CRuleNet net;
    CLattice lattice;
    int from = -5, to = -5;
    net.GetMatch_From(&lattice, from);
    net.GetMatch_To(&lattice, 7, to);
    EXPECT_EQ(from, 0);
    EXPECT_EQ(to, 7);
    EXPECT_FALSE(net.IsMatchLihe(&lattice));
    EXPECT_FALSE(net.IsArgMatch(&lattice));
    EXPECT_FALSE(net.IsArgCandidate(&lattice));
    EXPECT_FALSE(net.IsMatchOrder(&lattice));
    // Fresh controls: gap, candidate and order on.
    net.SetRuleParam(&lattice, "From=2 To=9");
    net.GetMatch_From(&lattice, from);
    net.GetMatch_To(&lattice, 7, to);
    EXPECT_EQ(from, 2);
    EXPECT_EQ(to, 7);
    EXPECT_TRUE(net.IsMatchLihe(&lattice));
    EXPECT_TRUE(net.IsArgCandidate(&lattice));
    EXPECT_TRUE(net.IsMatchOrder(&lattice));
}

// Each row: parameter text, then the field it sets, read back.
TEST(RuleParams, KeysAndYesNoWords) {
    struct Case {
        const char* text;
        bool gap, candidate, order;
    };
    const Case cases[] = {
        {"Nearby=Yes", false, true, true},   {"Fast=no", false, true, true},
        {"LiHe=TRUE", true, true, true},     {"MaxLen=Yes", true, false, true},
        {"maxlen=True candidate=yes", true, true, true},
        {"Order=Not", true, true, false},    {"Nearby=perhaps Order=x", true, true, true},
    };
    for (const Case& c : cases) {
        CRuleNet net;
        CLattice lattice;
        net.SetRuleParam(&lattice, c.text);
        const CRSConfig* controls = net.Controls(&lattice);
        ASSERT_NE(controls, nullptr);
        EXPECT_EQ(controls->gap, c.gap) << c.text;
        EXPECT_EQ(controls->candidate, c.candidate) << c.text;
        EXPECT_EQ(controls->Order, c.order) << c.text;
    }
}

TEST(RuleParams, DefaultsComeFirstAndRunTextWins) {
    CRuleNet net;
    net.defaults = {"Order=No Bound=Clause"};
    CLattice lattice;
    net.SetRuleParam(&lattice, "Order=Yes");
    std::string value;
    EXPECT_TRUE(net.GetParam(&lattice, "Order", value));
    EXPECT_EQ(value, "Yes");
    EXPECT_TRUE(net.IsMatchOrder(&lattice));
    EXPECT_EQ(net.GetBoundType(&lattice), kBoundClause);
}

TEST(RuleParams, ScopeTakesTheUnitsSpan) {
    CRuleNet net;
    CLattice lattice;
    ASSERT_TRUE(lattice.LatticeBuild(qztest::Gbk("我爱北京").c_str()));
    net.SetRuleParam(&lattice, "Scope=(2,1)");
    const CRSConfig* controls = net.Controls(&lattice);
    EXPECT_TRUE(controls->scope);
    EXPECT_EQ(controls->From, 2);
    EXPECT_EQ(controls->To, 2);
    net.SetRuleParam(&lattice, "From=1 To=3 Scope=(9,1)");
    EXPECT_EQ(controls->From, 1);
    EXPECT_EQ(controls->To, 3);
}

// A lattice's state leaves the network with the lattice, so a new lattice
// at the same address starts from the defaults.
TEST(RuleParams, DestroyedLatticeIsForgotten) {
    CRuleNet net;
    auto lattice = std::make_unique<CLattice>();
    const CLattice* address = lattice.get();
    net.SetRuleParam(lattice.get(), "Dist=5");
    ASSERT_NE(net.Controls(address), nullptr);
    lattice.reset();
    EXPECT_EQ(net.Controls(address), nullptr);
    std::string value;
    EXPECT_FALSE(net.GetParam(const_cast<CLattice*>(address), "Dist", value));
}

}  // namespace
}  // namespace zel
