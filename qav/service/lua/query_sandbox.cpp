#include "qav/service/lua/query_sandbox.h"

#include <initializer_list>

#include <lua.hpp>

#include "qav/service/lua/lua_limits.h"
#include "qav/service/lua/lua_pattern_guard.h"

namespace qav {

namespace {

// load(chunk [, chunkname [, mode [, env]]]) with the mode forced to text.
// The original load is the upvalue; the argument count is kept because load
// tells an absent env from a nil one.
int LoadTextOnly(lua_State* L) {
    int count = lua_gettop(L);
    if (count < 3) {
        lua_settop(L, 3);
        count = 3;
    }
    lua_pushliteral(L, "t");
    lua_replace(L, 3);
    lua_pushvalue(L, lua_upvalueindex(1));
    lua_insert(L, 1);
    lua_call(L, count, LUA_MULTRET);
    return lua_gettop(L);
}

}  // namespace

void QavSandboxQueryState(lua_State* L) {
    for (const char* name : {"io", "debug", "package", "require", "dofile", "loadfile"}) {
        lua_pushnil(L);
        lua_setglobal(L, name);
    }

    lua_createtable(L, 0, 3);
    if (lua_getglobal(L, "os") == LUA_TTABLE) {
        for (const char* name : {"time", "clock", "date"}) {
            lua_getfield(L, -1, name);
            lua_setfield(L, -3, name);
        }
    }
    lua_pop(L, 1);
    lua_setglobal(L, "os");

    if (lua_getglobal(L, "load") == LUA_TFUNCTION) {
        lua_pushcclosure(L, LoadTextOnly, 1);
        lua_setglobal(L, "load");
    } else {
        lua_pop(L, 1);
    }

    QavGuardProtectedCalls(L);
    QavGuardPatternFunctions(L);
}

}  // namespace qav
