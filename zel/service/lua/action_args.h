// Conventions shared by the Lua functions of rule actions: the lattice of
// the calling state, argument tests, the misuse message, list and map
// results, and the two readers of unit references.
//
// A function reads and checks its arguments before it makes any C++ object
// with a destructor: a Lua argument error leaves the function by a long
// jump, which runs no destructor.
#pragma once

#include <map>
#include <string>
#include <vector>

#include <lua.hpp>

namespace zel {

class CLattice;
class CUnit;

namespace actions {

CLattice* LatticeOf(lua_State* L);

// A text argument (a number passes too, as the scripting engine counts it).
inline bool IsText(lua_State* L, int i) { return lua_type(L, i) == LUA_TSTRING || lua_type(L, i) == LUA_TNUMBER; }
inline bool IsInteger(lua_State* L, int i) { return lua_isinteger(L, i) != 0; }
// The argument as text, "" when it is none; a number is read through its
// decimal text without changing the argument.
std::string TextArg(lua_State* L, int i);

// Prints the misuse line of a function.
void ParamError(const char* text);

// A new list table with keys 1..n.
void PushList(lua_State* L, const std::vector<std::string>& values, int n);
void PushList(lua_State* L, const std::vector<std::string>& values);
// A new table keyed by text, each value a list.
void PushListMap(lua_State* L, const std::map<std::string, std::vector<std::string>>& map);

// (ref), (n, text), (ref, text) or (ref, key, value) -> the unit of the
// reference and the text ("key=value" for three); prints "Param Error!"
// and fails on another call. Succeeds when the unit is found.
bool GetSetUnitInfo(lua_State* L, CUnit*& unit, std::string& text);
// Exactly one argument, an integer or a non-empty text, resolved to a unit;
// index is the unit index the resolution gave (negative for a span).
bool GetUnitInfo(lua_State* L, CUnit*& unit, int& index);

}  // namespace actions
}  // namespace zel
