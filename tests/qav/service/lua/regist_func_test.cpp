// Registration of the query functions and the guard around them.
#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <string>
#include <utility>

#include <lua.hpp>

#include "qav/service/lua/lua_slots.h"
#include "qav/service/lua/query_functions.h"

namespace {

struct StateCloser {
    void operator()(lua_State* L) const { lua_close(L); }
};
using StatePtr = std::unique_ptr<lua_State, StateCloser>;

TEST(RegistFunc, NullStateIsRefused) { EXPECT_EQ(-1, qav::RegistFunc(nullptr)); }

TEST(RegistFunc, BindsEveryTableEntryWithAliasesSharingTheirFunction) {
    StatePtr state(qav::QavNewLuaState());
    lua_State* L = state.get();
    int search = 0;
    lua_setQAVSearch(L, &search);
    ASSERT_EQ(0, qav::RegistFunc(L));
    EXPECT_EQ(&search, lua_getQAVSearch(L));  // the slots are left alone

    std::set<std::string> names;
    for (const qav::QueryFunction& entry : qav::QueryFunctionTable()) {
        EXPECT_TRUE(names.insert(entry.name).second) << "bound twice: " << entry.name;
        lua_getglobal(L, entry.name);
        EXPECT_EQ(entry.function, lua_tocfunction(L, -1)) << entry.name;
        lua_pop(L, 1);
    }

    const std::pair<const char*, const char*> aliases[] = {{"WebPrint", "Output"}, {"LocalSave", "Save"},
                                                           {"LocalDel", "Del"},    {"AddKV", "AddTag"},
                                                           {"ClearKV", "ClearTag"}, {"GetKV", "GetTagVal"}};
    for (const auto& [alias, original] : aliases) {
        lua_getglobal(L, alias);
        lua_getglobal(L, original);
        EXPECT_EQ(lua_tocfunction(L, -1), lua_tocfunction(L, -2)) << alias << " = " << original;
        lua_pop(L, 2);
    }
}

int Throws(lua_State*) { throw std::runtime_error("boom"); }
int ThrowsSomethingElse(lua_State*) { throw 7; }
int Echo(lua_State* L) {
    lua_pushinteger(L, luaL_checkinteger(L, 1) + 1);
    return 1;
}

TEST(LuaEntry, ExceptionsBecomeLuaErrors) {
    StatePtr state(qav::QavNewLuaState());
    lua_State* L = state.get();
    luaL_openlibs(L);
    lua_register(L, "Throws", qav::LuaEntry<Throws>);
    lua_register(L, "ThrowsSomethingElse", qav::LuaEntry<ThrowsSomethingElse>);
    lua_register(L, "Echo", qav::LuaEntry<Echo>);

    const std::pair<const char*, const char*> cases[] = {
        {"return select(2, pcall(Throws))", "internal error: boom"},
        {"return select(2, pcall(ThrowsSomethingElse))", "internal error: unknown error"},
        {"return tostring(Echo(41))", "42"},
        {"return (select(2, pcall(Echo, 'x')):match('number expected') or 'no')", "number expected"},
    };
    for (const auto& [code, want] : cases) {
        ASSERT_EQ(LUA_OK, luaL_dostring(L, code)) << code;
        EXPECT_EQ(std::string(want), lua_tostring(L, -1)) << code;
        lua_settop(L, 0);
    }
}

}  // namespace
