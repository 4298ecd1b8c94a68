// Rule networks run from Lua: entries attached to units, networks run over
// the calling lattice, and nested analyses in the child lattice.
#include <gtest/gtest.h>

#include <string>

#include "support/fsa_writer.h"
#include "tests/zel/service/lua/action_fixture.h"
#include "zel/rules/net/rule_base.h"
#include "zel/rules/net/rule_net.h"

namespace zel {
namespace {

using qztest::Gbk;

void Load(CRuleBase& base, CRuleNet& net, const qztest::NetSpec& spec) {
    const std::string body = EncodeFsaBody(qztest::BuildFsaBlock(spec));
    ASSERT_TRUE(net.RuleNetInit_Buf(body.data(), body.size()));
    net.name = spec.name;
    base.UpdateRuleNet(spec.name.c_str(), &net);
}

qztest::NetSpec CodeNet(const std::string& name, const std::string& code) {
    qztest::NetSpec spec;
    spec.name = name;
    spec.nodes = {{ENTER, ""}, {EXIT, ""}, {Return, code}};
    spec.edges = {{0, 2}, {2, 1}};
    return spec;
}

class RuleRun : public ActionTest {
protected:
    void SetUp() override {
        ActionTest::SetUp();
        saved = g_pRuleBase;
        g_pRuleBase = &base;
        Load(base, np, qztest::TwoWordNet("NP", "hits = (hits or 0) + 1"));
        Load(base, inner, CodeNet("INNER", "Return('inner')"));
        Load(base, mid, CodeNet("MID", "Return(Parse('乙', 0, 'inner') .. '+mid')"));
        Run("SetText('北京大学。') a = AddUnit(1, '北京')");
    }
    void TearDown() override {
        g_pRuleBase = saved;
        ActionTest::TearDown();
    }

    CRuleBase base{64};
    CRuleBase* saved = nullptr;
    CRuleNet np, inner, mid;
};

TEST_F(RuleRun, AttachedEntryRunsOncePerMatch) {
    EXPECT_EQ(Eval("AddFSA(a, '', 'np')"), "false");
    EXPECT_EQ(Eval("AddFSA(a, '北京', 'vp')"), "false");
    EXPECT_EQ(Eval("AddFSA(a, '北京', 'np')"), "true");
    EXPECT_EQ(Eval("GetGridKVs('FSA')"), "FSA:NP,Unit:北京,EntryNode:北京");
    Run("RunFSA('np', 'x')");
    EXPECT_EQ(Eval("hits"), "1");
    EXPECT_EQ(Printed("RunFSA()"), "RunFSA Param Error!\n");
}

TEST_F(RuleRun, ParseAnswersTheChildsReturnText) {
    EXPECT_EQ(Eval("Parse('甲', 0, 'inner')"), "inner");
    EXPECT_EQ(Eval("Parse('甲', 0, '')"), "");
    // A Parse inside an action of a nested Parse hands the state back to the
    // lattice of that action, whose own Return then answers.
    ASSERT_TRUE(lattice.child()->LatticeInit(true));
    EXPECT_EQ(Eval("Parse('甲', 0, 'mid')"), "inner+mid");
    EXPECT_EQ(lattice.returnText, "");
}

}  // namespace
}  // namespace zel
