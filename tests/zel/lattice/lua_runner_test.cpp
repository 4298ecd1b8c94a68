#include "zel/lattice/lua_runner.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <lua.hpp>

#include <cstring>
#include <string>

#include "support/test_support.h"
#include "zel/lattice/error_msg.h"
#include "zel/lattice/lattice.h"
#include "zel/lattice/lua_slots.h"
#include "zel/lattice/scripting_hooks.h"
#include "zellib.h"

namespace zel {
namespace {

using qztest::ReadFile;
using qztest::TempDir;

// Stands for a rule network: only its name is read.
struct FakeNet {
    const char* name;
};
const char* NameOfFakeNet(const void* net) { return static_cast<const FakeNet*>(net)->name; }

// A set-up lattice with output capture on, run in a temporary working
// folder where dump files land.
class Runner : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(getcwd(oldCwd_, sizeof oldCwd_), nullptr);
        ASSERT_EQ(chdir(dir_.path().c_str()), 0);
        SetRuleNetNamer(NameOfFakeNet);
        g_bIsOutMsg = true;
        ASSERT_TRUE(lattice_.LatticeInit(true));
        L = lattice_.L;
    }
    void TearDown() override {
        lattice_.LatticeExit(true);
        g_bIsOutMsg = false;
        SetRuleNetNamer(nullptr);
        ASSERT_EQ(chdir(oldCwd_), 0);
    }

    // Runs code and gives what it printed to standard output.
    std::string RunPrinting(const char* code) {
        testing::internal::CaptureStdout();
        EXPECT_TRUE(RunLua_Code(L, code));
        return testing::internal::GetCapturedStdout();
    }

    TempDir dir_;
    char oldCwd_[4096] = "";
    CLattice lattice_;
    lua_State* L = nullptr;
    FakeNet np_{"NP"};
};

TEST_F(Runner, FailingCodeIsReportedUnderItsNetwork) {
    lua_setnet(L, &np_);
    const char* code = "local x = = 1";
    const std::string printed = RunPrinting(code);
    const std::string messages = lattice_.msgBuff;
    ASSERT_EQ(messages.rfind("NP:", 0), 0u) << messages;
    EXPECT_NE(messages.find("unexpected symbol"), std::string::npos);
    EXPECT_EQ(messages.substr(messages.size() - 5), "<br/>");
    EXPECT_EQ(ReadFile(dir_.file("NP_log.lua")), code);
    EXPECT_NE(printed.find("unexpected symbol"), std::string::npos);
    EXPECT_NE(printed.find("Check code file:NP_log.lua\n\n"), std::string::npos);

    // A run-time error is reported the same way and replaces the dump.
    lattice_.msgBuff[0] = '\0';
    RunPrinting("error('boom')");
    EXPECT_NE(std::string(lattice_.msgBuff).find("boom<br/>"), std::string::npos);
    EXPECT_EQ(ReadFile(dir_.file("NP_log.lua")), "error('boom')");
}

TEST_F(Runner, NothingIsReportedWithoutANetworkOrALattice) {
    EXPECT_EQ(RunPrinting("error('quiet')"), "");
    EXPECT_STREQ(lattice_.msgBuff, "");
    EXPECT_EQ(access(dir_.file("_log.lua").c_str(), F_OK), -1);
    EXPECT_FALSE(RunLua_Code(nullptr, "return 1"));
}

TEST_F(Runner, StackIsRestoredAfterEveryRun) {
    lua_setnet(L, &np_);
    const int top = lua_gettop(L);
    for (int i = 0; i < 10000; ++i) RunLua_Code(L, "return 1, 2, 3");
    EXPECT_EQ(lua_gettop(L), top);
    RunPrinting("error('x')");
    RunPrinting("syntax error here");
    EXPECT_EQ(lua_gettop(L), top);
    // More distinct texts than the cache keeps still run, and still leave
    // the stack alone.
    for (int i = 0; i < kMaxCachedChunks + 10; ++i)
        RunLua_Code(L, ("n = (n or 0) + 1 return " + std::to_string(i)).c_str());
    EXPECT_EQ(lua_gettop(L), top);
    ASSERT_EQ(luaL_dostring(L, "return n"), LUA_OK);
    EXPECT_EQ(lua_tointeger(L, -1), kMaxCachedChunks + 10);
    lua_pop(L, 1);
}

TEST_F(Runner, ReportsNeverOverrunTheMessageBuffer) {
    lua_setnet(L, &np_);
    std::memset(lattice_.msgBuff, 'a', kLatticeMsgSize - 10);
    lattice_.msgBuff[kLatticeMsgSize - 10] = '\0';
    RunPrinting("error('a long enough error text')");
    EXPECT_EQ(std::strlen(lattice_.msgBuff), kLatticeMsgSize - 1);
    EXPECT_EQ(std::string(lattice_.msgBuff + kLatticeMsgSize - 10), "NP:[strin");
}

TEST_F(Runner, CachedChunksRunAfreshEachTime) {
    ASSERT_TRUE(RunLua_Code(L, "count = (count or 0) + 1"));
    ASSERT_TRUE(RunLua_Code(L, "count = (count or 0) + 1"));
    ASSERT_EQ(luaL_dostring(L, "return count"), LUA_OK);
    EXPECT_EQ(lua_tointeger(L, -1), 2);
    lua_pop(L, 1);
}

TEST(LuaFile, RunsAFunctionOfAFileAndReportsItsFailure) {
    TempDir dir;
    const std::string file = dir.file("f.lua");
    const std::string out = dir.file("out.txt");
    qztest::WriteFile(file, "function Join(a, b, c) local f = io.open('" + out +
                                "', 'w') f:write(a .. b .. c) f:close() end\n"
                                "function Fail() error('failed here') end\n");
    std::string path = file;
    char a[] = "x", b[] = "y", c[] = "z";
    EXPECT_TRUE(RunLua_Func(nullptr, path.data(), "Join", a, b, c));
    EXPECT_EQ(ReadFile(out), "xyz");

    lua_State* L = NewLuaState();
    luaL_openlibs(L);
    EXPECT_FALSE(RunLua_Func(L, path.data(), "Fail", a, b, c));
    EXPECT_NE(std::string(MessageLog()).find("failed here"), std::string::npos);
    EXPECT_EQ(lua_gettop(L), 0);
    lua_close(L);

    std::string missing = dir.file("missing.lua");
    testing::internal::CaptureStdout();
    EXPECT_TRUE(RunLua_Func(nullptr, missing.data(), "Join", a, b, c));
    EXPECT_NE(testing::internal::GetCapturedStdout().find("missing.lua"), std::string::npos);

    EXPECT_EQ(GetLattice(nullptr), nullptr);
}

}  // namespace
}  // namespace zel
