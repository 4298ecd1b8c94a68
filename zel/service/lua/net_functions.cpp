// What a rule action reads of the rule networks: a parameter of the running
// network and the networks a unit may enter.
#include <string>
#include <vector>

#include "zel/lattice/lattice.h"
#include "zel/lattice/lua_slots.h"
#include "zel/rules/net/rule_net.h"
#include "zel/rules/net/rule_sets.h"
#include "zel/service/lua/action_args.h"
#include "zel/service/lua/action_functions.h"

namespace zel::actions {

std::string RunningNetParam(lua_State* L, const char* name) {
    std::string value;
    const auto* net = static_cast<const CRuleNet*>(lua_getnet(L));
    CLattice* lattice = LatticeOf(L);
    if (net && lattice) net->GetParam(lattice, name, value);
    return value;
}

int GetParam(lua_State* L) {
    std::string value;
    if (lua_gettop(L) == 1 && IsText(L, 1)) value = RunningNetParam(L, TextArg(L, 1).c_str());
    lua_pushlstring(L, value.data(), value.size());
    return 1;
}

int GetRuleSet(lua_State* L) {
    const int n = lua_gettop(L);
    CUnit* unit = nullptr;
    std::string word;
    std::vector<std::string> names;
    if (GetSetUnitInfo(L, unit, word) && n > 1) GetRuleSets(unit, word.c_str(), names);
    PushList(L, names);
    return 1;
}

}  // namespace zel::actions
