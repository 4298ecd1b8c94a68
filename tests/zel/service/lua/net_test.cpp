#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "support/test_support.h"
#include "tests/zel/service/lua/action_fixture.h"
#include "zel/lattice/lua_runner.h"
#include "zel/lattice/lua_slots.h"
#include "zel/lattice/tree_line.h"
#include "zel/rules/net/rule_net.h"

namespace zel {
namespace {

// 我们喜欢苹果 with a = 我们 and b = 喜欢, and a network NP that is not
// running yet.
class RunningNet : public ActionTest {
protected:
    void SetUp() override {
        ActionTest::SetUp();
        Run("SetText('我们喜欢苹果') a = AddUnit(1, '我们') b = AddUnit(3, '喜欢')");
        net.name = "NP";
    }
    CRuleNet net;
};

TEST_F(RunningNet, ParametersAndSourceTagsOfTheRunningNetwork) {
    EXPECT_EQ(Eval("GetParam('ST')"), "");
    Run("AddRelation(a, b, 'SBV')");
    EXPECT_EQ(Eval("GetUnitKV(a, 'USubDyn')"), "(3,2)");

    ASSERT_TRUE(net.SetRuleParam(&lattice, "ST=Src Dist=3"));
    lua_setnet(L, &net);
    EXPECT_EQ(Eval("GetParam('Dist')"), "3");
    EXPECT_EQ(Eval("GetParam('Missing')"), "");
    EXPECT_EQ(Eval("GetParam('Dist', 'x')"), "");
    Run("AddRelation(b, a, 'ATT')");
    EXPECT_EQ(Eval("GetUnitKV(b, 'USubSrc-ATT')"), "(1,2)");
    lua_setnet(L, nullptr);
}

TEST_F(RunningNet, FailingActionsAreReportedUnderTheNetworksName) {
    qztest::TempDir dir;
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    lua_setnet(L, &net);
    testing::internal::CaptureStdout();
    RunLua_Code(L, "error('in NP')");
    const std::string printed = testing::internal::GetCapturedStdout();
    lua_setnet(L, nullptr);
    ASSERT_EQ(chdir(cwd), 0);
    EXPECT_EQ(std::string(lattice.msgBuff).rfind("NP:", 0), 0u);
    EXPECT_NE(printed.find("Check code file:NP_log.lua"), std::string::npos);
    EXPECT_EQ(qztest::ReadFile(dir.file("NP_log.lua")), "error('in NP')");
}

TEST_F(RunningNet, WithoutRuleBaseTablesOrTreeLineTheDefaults) {
    EXPECT_EQ(Eval("#GetFSAs(a, '我们')"), "0");
    EXPECT_EQ(Eval("#GetRuleSets(a)"), "0");
    Run("Relate('colors')");
    EXPECT_EQ(Eval("#GetUnits('URoot')"), "0");
    EXPECT_EQ(Printed("Relate({})"), "Relate Param Error!\n");
    EXPECT_EQ(Eval("GetSTree()"), "");

    const std::string line = qztest::Gbk("[S [NP [我们/r]] [VP [喜欢/v] [苹果/n]]]");
    CQAVTree tree;
    ASSERT_TRUE(tree.ReadTree(line.c_str(), 1));
    lattice.SetQAVTree(&tree);
    EXPECT_EQ(Eval("GetSTree()"), "[S [NP [我们/r]] [VP [喜欢/v] [苹果/n]]]");
    lattice.SetQAVTree(nullptr);
}

}  // namespace
}  // namespace zel
