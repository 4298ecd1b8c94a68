// What the lattice needs from the layers above it (the rule-action
// functions, the print-line output, the output-capture switch, the test of
// one unit condition item). Those layers install their functions here; until
// then printed lines go nowhere but standard output, new Lua states get no
// action functions and no condition item holds beyond the unit index.
#pragma once

struct lua_State;

namespace zel {

class CLattice;
class CUnit;

using PrintLineHook = void (*)(const char* line);
using LuaRegistrar = void (*)(lua_State* L);
// Told about every lattice being destroyed, so that state kept elsewhere
// under the lattice's address does not outlive it.
using LatticeDestroyHook = void (*)(const CLattice* lattice);
// Whether the unit satisfies key=value, outside any rule match.
using UnitTestHook = bool (*)(CUnit& unit, const char* key, const char* value);
// The name of the rule network held in a state's net slot.
using RuleNetNamer = const char* (*)(const void* net);

void SetPrintLineHook(PrintLineHook hook);
void SetActionRegistrar(LuaRegistrar registrar);
void SetLatticeDestroyHook(LatticeDestroyHook hook);
void SetUnitTestHook(UnitTestHook hook);
// Installed by the layer that owns rule networks; without it a failing
// action is reported under an empty network name.
void SetRuleNetNamer(RuleNetNamer namer);

// Hands one printed line (no line break) to the installed hook.
void lua_print_hook(const char* line);
// Registers the rule-action functions in a new lattice state.
void RegisterActionFunctions(lua_State* L);
// The installed unit test; false when none is installed.
bool SatisfiesUnitTest(CUnit& unit, const char* key, const char* value);
// Hands a lattice that is being destroyed to the installed hook.
void LatticeDestroyed(const CLattice* lattice);
// The name of a rule network, "" when no namer is installed.
const char* RuleNetName(const void* net);

// Whether a lattice's Lua output is copied into its message buffer.
extern bool g_bIsOutMsg;

}  // namespace zel
