// Lua states of the grammar library: the library's own print, the JSON
// globals, and the state a lattice's rule actions run in.
#pragma once

#include "zellib.h"  // RegistJson

namespace zel {

// print: writes its arguments to standard output separated by tabs, copies
// them into the state's message buffer separated by "/" with a "/" after
// the call, and hands the line to the print-line hook.
int luaB_print(lua_State* L);

// A state with the standard libraries, the module cjson (also the global
// cjson), the library's print and the rule-action functions; null when
// memory is short.
lua_State* NewLatticeLuaState();

}  // namespace zel
