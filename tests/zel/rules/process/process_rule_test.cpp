// Rule processing over a small lattice: entries attached under a rule-set
// name, code networks, encoded action records and actions run as Lua.
#include <gtest/gtest.h>
#include <unistd.h>

extern "C" {
#include <lua.h>
}

#include <cstdint>
#include <cstring>
#include <tuple>
#include <string>
#include <vector>

#include "common/platform/byte_codec.h"
#include "support/fsa_writer.h"
#include "support/test_support.h"
#include "zel/lattice/lattice.h"
#include "zel/lattice/scripting_hooks.h"
#include "zel/rules/net/rule_base.h"
#include "zel/rules/net/rule_net.h"
#include "zel/rules/process/action_text.h"
#include "zel/rules/process/process_rule.h"
#include "zel/rules/process/rule_entries.h"

namespace zel {
namespace {

using qztest::Gbk;

void Load(CRuleNet& net, const qztest::NetSpec& spec) {
    const std::string body = EncodeFsaBody(qztest::BuildFsaBlock(spec));
    ASSERT_TRUE(net.RuleNetInit_Buf(body.data(), body.size()));
    net.name = spec.name;
}

// ENTER, EXIT and one Return node holding code.
qztest::NetSpec CodeNet(const std::string& name, const std::string& code) {
    qztest::NetSpec spec;
    spec.name = name;
    spec.nodes = {{ENTER, ""}, {EXIT, ""}, {Return, code}};
    spec.edges = {{0, 2}, {2, 1}};
    return spec;
}

int32_t At(const std::vector<char>& buffer, size_t offset) {
    return qz::bytes::Load<int32_t>(reinterpret_cast<const unsigned char*>(buffer.data()) + offset);
}

class ProcessRuleTest : public ::testing::Test {
protected:
    void SetUp() override {
        // A failing action leaves its code in the working folder.
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        ASSERT_EQ(chdir(dir.path().c_str()), 0);
        g_bIsOutMsg = true;
        ASSERT_TRUE(lattice.LatticeInit(true));
        ASSERT_TRUE(lattice.LatticeBuild(Gbk("北京大学。").c_str()));
        Load(np, qztest::TwoWordNet("NP", kAction));
        base.UpdateRuleNet("NP", &np);
        saved = g_pRuleBase;
        g_pRuleBase = &base;
        ASSERT_TRUE(lattice.AddNewUnit(1, Gbk("北京").c_str(), kUnitWord, anchor, -1, false, ""));
        ASSERT_EQ(anchor, "(1,2)");
    }
    void TearDown() override {
        g_pRuleBase = saved;
        g_bIsOutMsg = false;
        EXPECT_EQ(chdir(cwd), 0);
    }
    CUnit& Anchor() {
        int index = 0;
        return *lattice.GetUnit(anchor.c_str(), index);
    }
    lua_Integer Global(const char* name) {
        lua_getglobal(lattice.L, name);
        const lua_Integer value = lua_tointeger(lattice.L, -1);
        lua_pop(lattice.L, 1);
        return value;
    }

    qztest::TempDir dir;
    char cwd[4096] = {};
    static constexpr const char* kAction = "hits = (hits or 0) + 1";
    CLattice lattice;
    CRuleNet np;
    CRuleBase base{64};
    CRuleBase* saved = nullptr;
    std::string anchor;
};

TEST_F(ProcessRuleTest, EncodedRecordHoldsActionAndPathNodes) {
    ASSERT_TRUE(AddToRuleInfo(lattice, "NP", Gbk("北京").c_str(), &np, Anchor(), nullptr));
    // The same unit, key and name again is one entry.
    ASSERT_TRUE(AddToRuleInfo(lattice, "NP", Gbk("北京").c_str(), &np, Anchor(), nullptr));
    std::vector<char> buffer(4096, '\x55');
    int counter = 0;
    EXPECT_EQ(ProcessRule(&lattice, "np", nullptr, buffer.data(), 4096, counter), 1);

    const std::string action = kAction;
    const std::string daxue = Gbk("大学"), beijing = Gbk("北京");
    std::string expected;
    auto put = [&](int32_t v) { qz::bytes::Append<int32_t>(expected, v); };
    put(1);
    put(static_cast<int32_t>(action.size()));
    expected += action;
    put(4 + 16 + 4 + 16 + 4);
    put(2);
    for (auto [tag, column, index, text] : {std::tuple{1, 3, -2, daxue}, std::tuple{0, 1, 2, beijing}}) {
        put(static_cast<int32_t>(text.size()) + 12);
        put(tag);
        put(column);
        put(index);
        expected += text;
    }
    EXPECT_EQ(counter, static_cast<int>(expected.size()));
    EXPECT_EQ(std::string(buffer.data(), expected.size()), expected);
    EXPECT_EQ(Global("hits"), 0);

    // A buffer one byte too small for the record keeps an empty count and
    // is not written past.
    std::vector<char> small(expected.size(), '\x55');
    counter = 0;
    EXPECT_EQ(ProcessRule(&lattice, "NP", nullptr, small.data(), static_cast<int>(small.size()), counter), 1);
    EXPECT_EQ(At(small, 0), 0);
    EXPECT_EQ(counter, 4);
    EXPECT_EQ(small[4], '\x55');
    // A buffer that cannot even hold the count is left alone.
    char tiny[3] = {9, 9, 9};
    counter = 0;
    ProcessRule(&lattice, "NP", nullptr, tiny, 3, counter);
    EXPECT_EQ(tiny[0], 9);
}

TEST_F(ProcessRuleTest, LuaModeRunsEachMatchOnceAndLogs) {
    ASSERT_TRUE(SetRuleSet(lattice, anchor.c_str(), Gbk("北京").c_str(), "np", nullptr));
    std::vector<char> buffer(64, '\x55');
    int counter = -1;
    EXPECT_EQ(ProcessRule(&lattice, "NP", nullptr, buffer.data(), 64, counter), 1);
    EXPECT_EQ(counter, -1);
    EXPECT_EQ(buffer[0], '\x55');
    EXPECT_EQ(Global("hits"), 1);
    std::vector<std::string> log;
    lattice.CollectLog(log);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(qztest::Utf8(log[0]), "Match(NP):北京(北京)+大学(大学)\nParam:\n");
    EXPECT_EQ(Anchor().ruleCount, 1);
    EXPECT_EQ(lua_gettop(lattice.L), 0);
    // A name that denotes nothing.
    EXPECT_EQ(ProcessRule(&lattice, "VP", nullptr, buffer.data(), 64, counter), 0);
    EXPECT_EQ(ProcessRule(nullptr, "NP", nullptr, buffer.data(), 64, counter), 0);
}

TEST_F(ProcessRuleTest, CodeNetworkRunsWithoutEntries) {
    CRuleNet main;
    Load(main, CodeNet("MAIN", "steps = (steps or 0) + 1 x = [[$Dist $x\\@]]"));
    base.UpdateRuleNet("MAIN", &main);
    int counter = -1;
    EXPECT_EQ(ProcessRule(&lattice, "main", "Dist=5", nullptr, 0, counter), 1);
    EXPECT_EQ(Global("steps"), 1);
    lua_getglobal(lattice.L, "x");
    EXPECT_STREQ(lua_tostring(lattice.L, -1), "5 $x\n");
    lua_pop(lattice.L, 1);

    // Encoded: one record without nodes; a 40-byte buffer gets none.
    std::vector<char> buffer(256);
    counter = 0;
    EXPECT_EQ(ProcessRule(&lattice, "MAIN", nullptr, buffer.data(), 256, counter), 1);
    EXPECT_EQ(At(buffer, 0), 1);
    const int32_t length = At(buffer, 4);
    EXPECT_EQ(std::string(buffer.data() + 8, static_cast<size_t>(length)), "steps = (steps or 0) + 1 x = [[$Dist $x\n]]");
    EXPECT_EQ(At(buffer, 8 + static_cast<size_t>(length)), 4);
    EXPECT_EQ(At(buffer, 12 + static_cast<size_t>(length)), 0);
    std::vector<char> small(40);
    counter = 0;
    ProcessRule(&lattice, "MAIN", nullptr, small.data(), 40, counter);
    EXPECT_EQ(At(small, 0), 0);
}

TEST_F(ProcessRuleTest, FailingActionNamesItsNetwork) {
    CRuleNet bad;
    Load(bad, CodeNet("BAD", "this is not lua"));
    base.UpdateRuleNet("BAD", &bad);
    int counter = -1;
    EXPECT_EQ(ProcessRule(&lattice, "BAD", nullptr, nullptr, 0, counter), 1);
    ASSERT_NE(lattice.msgBuff, nullptr);
    const std::string messages = lattice.msgBuff;
    EXPECT_EQ(messages.rfind("BAD:", 0), 0u) << messages;
    EXPECT_NE(messages.find("<br/>"), std::string::npos);
    EXPECT_EQ(qztest::ReadFile(dir.file("BAD_log.lua")), "this is not lua");
    EXPECT_EQ(lua_gettop(lattice.L), 0);
}

TEST(ActionText, EscapesAndParameters) {
    CLattice lattice;
    CRuleNet net;
    net.SetRuleParam(&lattice, "Dist=5 A1=v$A1");
    const std::vector<std::pair<std::string, std::string>> cases{
        {"\\&\\*\\-\\/\\!\\<\\>\\@\\_\\`\\|", "\"{+~#[]\n?$}"},
        {"\\q\\", "\\q\\"},
        {"$Dist+$A1 $unset $ $-", "5+v$A1 $unset $ $-"},
    };
    for (const auto& [action, expected] : cases) EXPECT_EQ(MakeExecutable(lattice, net, action), expected) << action;
    // The second byte of a two-byte character may be a backslash.
    const std::string gbk = "\xb0\\@";
    EXPECT_EQ(MakeExecutable(lattice, net, gbk), gbk);
}

}  // namespace
}  // namespace zel
