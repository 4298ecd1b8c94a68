// What the lattice needs from the scripting layer above it (the rule-action
// functions, the print-line output, the output-capture switch). The layer
// installs its functions here at start-up; until then printed lines go
// nowhere but standard output and new Lua states get no action functions.
#pragma once

struct lua_State;

namespace zel {

class CLattice;

using PrintLineHook = void (*)(const char* line);
using LuaRegistrar = void (*)(lua_State* L);
// Told about every lattice being destroyed, so that state kept elsewhere
// under the lattice's address does not outlive it.
using LatticeDestroyHook = void (*)(const CLattice* lattice);

void SetPrintLineHook(PrintLineHook hook);
void SetActionRegistrar(LuaRegistrar registrar);
void SetLatticeDestroyHook(LatticeDestroyHook hook);

// Hands one printed line (no line break) to the installed hook.
void lua_print_hook(const char* line);
// Registers the rule-action functions in a new lattice state.
void RegisterActionFunctions(lua_State* L);

// Hands a lattice that is being destroyed to the installed hook.
void LatticeDestroyed(const CLattice* lattice);

// Whether a lattice's Lua output is copied into its message buffer.
extern bool g_bIsOutMsg;

}  // namespace zel
