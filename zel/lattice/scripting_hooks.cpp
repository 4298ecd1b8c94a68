#include "zel/lattice/scripting_hooks.h"

namespace zel {

namespace {
PrintLineHook g_printLineHook = nullptr;
LuaRegistrar g_actionRegistrar = nullptr;
RuleNetNamer g_ruleNetNamer = nullptr;
}  // namespace

bool g_bIsOutMsg = false;

void SetPrintLineHook(PrintLineHook hook) { g_printLineHook = hook; }
void SetActionRegistrar(LuaRegistrar registrar) { g_actionRegistrar = registrar; }
void SetRuleNetNamer(RuleNetNamer namer) { g_ruleNetNamer = namer; }

void lua_print_hook(const char* line) {
    if (g_printLineHook) g_printLineHook(line);
}

void RegisterActionFunctions(lua_State* L) {
    if (g_actionRegistrar) g_actionRegistrar(L);
}

const char* RuleNetName(const void* net) {
    const char* name = g_ruleNetNamer && net ? g_ruleNetNamer(net) : nullptr;
    return name ? name : "";
}

}  // namespace zel
