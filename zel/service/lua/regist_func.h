// Registration of the rule-action functions as Lua globals.
#pragma once

struct lua_State;

namespace zel {

// Registers every rule-action name of the table in regist_func.cpp as a
// global of L, names of one row on one function; 1, or -1 for a null state.
// Linking this file in installs it as the registrar of new lattice states.
int RegistFunc(lua_State* L);

}  // namespace zel
