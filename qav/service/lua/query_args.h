// Argument forms and results of the query functions. A form is told apart by
// the Lua types of its arguments; a handle crosses into Lua as the integer
// value of its 64-bit address.
#pragma once

#include <cstdint>

#include <lua.hpp>

namespace qav {

// A number with an integer value (a float such as 5.0 included).
inline bool IsIntegerArg(lua_State* L, int index) {
    if (lua_type(L, index) != LUA_TNUMBER) return false;
    int isInteger = 0;
    lua_tointegerx(L, index, &isInteger);
    return isInteger != 0;
}

inline bool IsStringArg(lua_State* L, int index) { return lua_type(L, index) == LUA_TSTRING; }

// Arguments 1..count are all integers.
inline bool AllIntegerArgs(lua_State* L, int count) {
    for (int i = 1; i <= count; ++i)
        if (!IsIntegerArg(L, i)) return false;
    return true;
}

inline int64_t IntegerArg(lua_State* L, int index) { return static_cast<int64_t>(lua_tointeger(L, index)); }
inline uint64_t HandleArg(lua_State* L, int index) { return static_cast<uint64_t>(lua_tointeger(L, index)); }

// The text of a string argument, "" for a missing one. Call only after the
// form was checked.
inline const char* TextArg(lua_State* L, int index) {
    const char* text = lua_tostring(L, index);
    return text ? text : "";
}

inline int PushInteger(lua_State* L, int64_t value) {
    lua_pushinteger(L, static_cast<lua_Integer>(value));
    return 1;
}
inline int PushHandle(lua_State* L, uint64_t handle) { return PushInteger(L, static_cast<int64_t>(handle)); }
inline int PushNil(lua_State* L) {
    lua_pushnil(L);
    return 1;
}
inline int PushEmptyText(lua_State* L) {
    lua_pushliteral(L, "");
    return 1;
}

}  // namespace qav
