// The query functions a query program calls, and how they are bound.
#pragma once

#include <cstdio>
#include <exception>
#include <vector>

#include <lua.hpp>

namespace qav {

// One Lua global of the query functions. An alias is a second entry with the
// same function.
struct QueryFunction {
    const char* name;
    lua_CFunction function;
};

// Every query function, in the order RegistFunc binds them.
const std::vector<QueryFunction>& QueryFunctionTable();

// Binds every query function as a global of L. -1 for a null state, else 0.
// The slots are not touched.
int RegistFunc(lua_State* L);

// Entry of a query function into Lua. Body checks its arguments before it
// makes any object with a destructor (a Lua error skips destructors); an
// exception that escapes it becomes a Lua error instead of crossing into Lua.
template <int (*Body)(lua_State*)>
int LuaEntry(lua_State* L) {
    char message[256];
    try {
        return Body(L);
    } catch (const std::exception& error) {
        std::snprintf(message, sizeof message, "%s", error.what());
    } catch (...) {
        std::snprintf(message, sizeof message, "unknown error");
    }
    return luaL_error(L, "internal error: %s", message);
}

}  // namespace qav
