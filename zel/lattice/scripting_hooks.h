// What the lattice needs from the scripting layer above it (the rule-action
// functions, the print-line output, the output-capture switch). The layer
// installs its functions here at start-up; until then printed lines go
// nowhere but standard output and new Lua states get no action functions.
#pragma once

struct lua_State;

namespace zel {

using PrintLineHook = void (*)(const char* line);
using LuaRegistrar = void (*)(lua_State* L);
// The name of the rule network held in a state's net slot.
using RuleNetNamer = const char* (*)(const void* net);

void SetPrintLineHook(PrintLineHook hook);
void SetActionRegistrar(LuaRegistrar registrar);
// Installed by the layer that owns rule networks; without it a failing
// action is reported under an empty network name.
void SetRuleNetNamer(RuleNetNamer namer);

// Hands one printed line (no line break) to the installed hook.
void lua_print_hook(const char* line);
// Registers the rule-action functions in a new lattice state.
void RegisterActionFunctions(lua_State* L);
// The name of a rule network, "" when no namer is installed.
const char* RuleNetName(const void* net);

// Whether a lattice's Lua output is copied into its message buffer.
extern bool g_bIsOutMsg;

}  // namespace zel
