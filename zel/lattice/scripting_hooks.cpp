#include "zel/lattice/scripting_hooks.h"

namespace zel {

namespace {
PrintLineHook g_printLineHook = nullptr;
LuaRegistrar g_actionRegistrar = nullptr;
LatticeDestroyHook g_latticeDestroyHook = nullptr;
UnitTestHook g_unitTestHook = nullptr;
RuleNetNamer g_ruleNetNamer = nullptr;
}  // namespace

bool g_bIsOutMsg = false;

void SetPrintLineHook(PrintLineHook hook) { g_printLineHook = hook; }
void SetActionRegistrar(LuaRegistrar registrar) { g_actionRegistrar = registrar; }
void SetLatticeDestroyHook(LatticeDestroyHook hook) { g_latticeDestroyHook = hook; }
void SetUnitTestHook(UnitTestHook hook) { g_unitTestHook = hook; }
void SetRuleNetNamer(RuleNetNamer namer) { g_ruleNetNamer = namer; }

void LatticeDestroyed(const CLattice* lattice) {
    if (g_latticeDestroyHook) g_latticeDestroyHook(lattice);
}

void lua_print_hook(const char* line) {
    if (g_printLineHook) g_printLineHook(line);
}

void RegisterActionFunctions(lua_State* L) {
    if (g_actionRegistrar) g_actionRegistrar(L);
}

bool SatisfiesUnitTest(CUnit& unit, const char* key, const char* value) {
    return g_unitTestHook && g_unitTestHook(unit, key, value);
}

const char* RuleNetName(const void* net) {
    const char* name = g_ruleNetNamer && net ? g_ruleNetNamer(net) : nullptr;
    return name ? name : "";
}

}  // namespace zel
