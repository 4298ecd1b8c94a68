// Query programs run without file or process access.
#include <gtest/gtest.h>

#include <string>

#include <lua.hpp>

#include "qav/search/qav_search.h"
#include "qav/service/lua/query_state.h"

namespace {

class QuerySandbox : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(search_.QAVSearchInit(false));
        L = search_.LuaState();
    }
    void TearDown() override { search_.QAVSearchExit(); }

    // The error text of a failed chunk; "" when it ran.
    std::string Run(const std::string& code) {
        std::string error;
        if (luaL_dostring(L, code.c_str()) != LUA_OK) error = lua_tostring(L, -1);
        lua_settop(L, 0);
        return error;
    }

    qav::CQAVSearch search_{qav::NewQueryState};
    lua_State* L = nullptr;
};

TEST_F(QuerySandbox, FileAndProcessAccessRaisesErrors) {
    const char* refused[] = {
        "io.open('/etc/hostname')",
        "io.write('x')",
        "os.execute('true')",
        "os.remove('x')",
        "os.getenv('HOME')",
        "dofile('x.lua')",
        "loadfile('x.lua')",
        "require('io')",
        "package.loadlib('libc.so.6', 'system')",
        "debug.getregistry()",
    };
    for (const char* code : refused) EXPECT_NE("", Run(code)) << code;
}

TEST_F(QuerySandbox, OrdinaryLuaAndTheClockStillWork) {
    const char* allowed[] = {
        "assert(os.time() > 0)",
        "assert(os.clock() >= 0)",
        "assert(#os.date('%Y') == 4)",
        "assert(load('return 1 + 1')() == 2)",
        "assert(load('return x', 'chunk', 't', {x = 5})() == 5)",
        "assert(string.format('%d', 3) == '3' and math.max(1, 2) == 2 and table.concat({'a', 'b'}) == 'ab')",
        "assert(coroutine.wrap(function() coroutine.yield(1) end)() == 1)",
    };
    for (const char* code : allowed) EXPECT_EQ("", Run(code)) << code;
}

TEST_F(QuerySandbox, BinaryChunksAreNotLoaded) {
    EXPECT_EQ("", Run("local f, err = load(string.dump(function() return 1 end))\n"
                      "assert(f == nil and err:find('binary'), err)\n"
                      "f, err = load(string.dump(function() return 1 end), 'c', 'b')\n"
                      "assert(f == nil, 'mode b was honoured')"));
}

}  // namespace
