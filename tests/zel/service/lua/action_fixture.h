// A set-up lattice whose Lua state has the rule-action functions, with
// helpers that run Lua text written in UTF-8 (converted to GBK first).
#pragma once

#include <gtest/gtest.h>

#include <lua.hpp>

#include <string>

#include "support/test_support.h"
#include "zel/lattice/lattice.h"
#include "zel/lattice/scripting_hooks.h"
#include "zel/service/lua/regist_func.h"

namespace zel {

class ActionTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_bIsOutMsg = true;
        ASSERT_TRUE(lattice.LatticeInit(true));
        L = lattice.L;
    }
    void TearDown() override {
        lattice.LatticeExit(true);
        g_bIsOutMsg = false;
    }

    // Runs UTF-8 Lua text as GBK; fails the test on a Lua error.
    void Run(const std::string& code) {
        ASSERT_EQ(luaL_dostring(L, qztest::Gbk(code).c_str()), LUA_OK) << lua_tostring(L, -1);
        lua_settop(L, 0);
    }
    // The value of a UTF-8 Lua expression, as text converted back to UTF-8
    // (a table is written as its list entries joined by ",").
    std::string Eval(const std::string& expression) {
        const std::string code = "local v = " + expression +
                                 " if type(v) == 'table' then return table.concat(v, ',') end return tostring(v)";
        if (luaL_dostring(L, qztest::Gbk(code).c_str()) != LUA_OK) {
            std::string error = lua_tostring(L, -1);
            lua_settop(L, 0);
            return "error: " + error;
        }
        std::string value = lua_tostring(L, -1);
        lua_settop(L, 0);
        return qztest::Utf8(value);
    }
    // What running the text printed to standard output.
    std::string Printed(const std::string& code) {
        testing::internal::CaptureStdout();
        Run(code);
        return testing::internal::GetCapturedStdout();
    }

    CLattice lattice;
    lua_State* L = nullptr;
};

}  // namespace zel
