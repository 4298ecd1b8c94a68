#include "zel/service/lua/regist_func.h"

#include <cstdio>
#include <exception>

#include <lua.hpp>

#include "zel/lattice/scripting_hooks.h"
#include "zel/rules/net/rule_net.h"
#include "zel/service/lua/bt_functions.h"
#include "zel/service/lua/action_functions.h"

namespace zel {

namespace {

using namespace actions;

// No C++ exception may cross into the scripting engine: one raised by a
// function (memory running out) becomes a Lua error of the calling action.
template <lua_CFunction Function>
int Guarded(lua_State* L) {
    char reason[128] = "";
    try {
        return Function(L);
    } catch (const std::exception& error) {
        std::snprintf(reason, sizeof reason, "%s", error.what());
    } catch (...) {
        std::snprintf(reason, sizeof reason, "unknown failure");
    }
    // Raised only here, where no C++ object is left to destroy.
    return luaL_error(L, "%s", reason);
}

struct ActionName {
    const char* name;
    lua_CFunction function;
};

// In registration order; aliases follow the first name of their function.
const ActionName kActions[] = {
    {"GetPrefix", Guarded<Prefix>},
    {"GetSuffix", Guarded<Suffix>},
    {"SetLexicon", Guarded<Lexicon>},
    {"Lexicon", Guarded<Lexicon>},
    {"AddStructure", Guarded<Structure>},
    {"Structure", Guarded<Structure>},
    {"CallService", Guarded<Server>},
    {"Service", Guarded<Server>},
    {"SetText", Guarded<SetSentence>},
    {"InputText", Guarded<SetSentence>},
    {"AddText", Guarded<SetSentence>},
    {"GetText", Guarded<GetSentence>},
    {"GetParam", Guarded<GetParam>},
    {"GetGraphPath", Guarded<GetGraphPath>},
    {"Relate", Guarded<Relate>},
    {"GetUnits", Guarded<GetUnits>},
    {"Reduce", Guarded<Reduce>},
    {"AddUnit", Guarded<AddUnit>},
    {"IsUnit", Guarded<IsUnit>},
    {"IsRelation", Guarded<IsRelation>},
    {"GetFSANode", Guarded<GetNo>},
    {"GetWord", Guarded<GetWord>},
    {"GetUnit", Guarded<GetUnit>},
    {"GetUnitFSA", Guarded<GetUnit>},
    {"GetFSAUnit", Guarded<GetUnit>},
    {"GetGrid", Guarded<GetLatticeInfo>},
    {"AddUnitKV", Guarded<AddUnitKV>},
    {"GetUnitKVs", Guarded<GetUnitKVs>},
    {"GetUnitKV", Guarded<GetUnitKV>},
    {"AddRelation", Guarded<AddRelation>},
    {"AddRelationKV", Guarded<AddRelationKV>},
    {"GetRelationKVs", Guarded<GetRelationKVs>},
    {"GetRelations", Guarded<GetRelations>},
    {"AddGridKV", Guarded<AddLatticeKV>},
    {"GetGridKVs", Guarded<GetLatticeKVs>},
    {"GB2UTF8", Guarded<GB2UTF8>},
    {"UTF82GB", Guarded<UTF82GB>},
    {"Ban2Quan", Guarded<Ban2Quan>},
    {"Quan2Ban", Guarded<Quan2Ban>},
    {"GetTableKVs", Guarded<GetTableKVs>},
    {"GetTableItemKVs", Guarded<GetTableKVs>},
    {"IsTable", Guarded<IsTable>},
    {"LookupTable", Guarded<IsTable>},
    {"GetTableItems", Guarded<GetTableItems>},
    {"RTree", Guarded<CreateBTEx>},
    {"CreateRT", Guarded<CreateBTEx>},
    {"GetLog", Guarded<GetLogs>},
    {"GetLogs", Guarded<GetLogs>},
    {"AddRelationFeature", Guarded<AddRelationFeature>},
    {"GetRelationFeatures", Guarded<GetRelationFeatures>},
    {"GetRelationScore", Guarded<GetRelationScore>},
    {"AddUnitAttFeature", Guarded<AddUnitAttFeature>},
    {"GetUnitAttFeatures", Guarded<GetUnitAttFeatures>},
    {"GetUnitAttScore", Guarded<GetUnitAttScore>},
    {"GetTableKVItems", Guarded<GetTableKVItems>},
    {"GetTableWordItems", Guarded<GetTableWordItems>},
    {"IsBeg", Guarded<IsStrBegin>},
    {"IsEnd", Guarded<IsStrEnd>},
    {"IsIn", Guarded<IsStrIn>},
    {"IsEqu", Guarded<IsStrEqu>},
    {"WebPrint", Guarded<WebPrint>},
    {"GetFSAs", Guarded<GetRuleSet>},
    {"GetRuleSets", Guarded<GetRuleSet>},
    {"SetHeadWord", Guarded<SetHeadWord>},
    {"SetHead", Guarded<SetHead>},
    {"GetHead", Guarded<GetHead>},
    {"GetHeadWord", Guarded<GetHeadWord>},
    {"GetSTree", Guarded<GetTreeEx>},
    {"Return", Guarded<actions::Return>},
    {"GetReturn", Guarded<GetReturn>},
    {"RunFSA", Guarded<FSA>},
    {"FSA", Guarded<FSA>},
    {"AddFSA", Guarded<AddRuleSet>},
    {"AddRuleSet", Guarded<AddRuleSet>},
    {"Parse", Guarded<Parse>},
    {"GetChildren", Guarded<GetChildren>},
    {"GetParents", Guarded<GetParents>},
    {"GetRTree", Guarded<GetTreeEx_RT>},
    {"IsRTNode", Guarded<GetBTNode>},
    {"GetRTNode", Guarded<GetBTNode>},
    {"GetTreeInfo", Guarded<GetTree>},
    {"GetRTNodeFromTo", Guarded<GetBTNodeFromTo>},
    {"GetRTFromTo", Guarded<GetBTNodeFromTo>},
    {"GetRT", Guarded<GetBT>},
    {"GetRTParent", Guarded<GetBTParent>},
    {"GetRTChild", Guarded<GetBTChild>},
    {"GetRTTreeNum", Guarded<GetBTTreeNum>},
    {"GetRTNodeNum", Guarded<GetBTNodeNum>},
};

void RegisterInLatticeState(lua_State* L) { RegistFunc(L); }

const char* NameOfRuleNet(const void* net) { return static_cast<const CRuleNet*>(net)->name.c_str(); }

// New lattice states get the functions, and failing actions are reported
// under their network's name, as soon as this file is linked in.
[[maybe_unused]] const bool kInstalled =
    (SetActionRegistrar(RegisterInLatticeState), SetRuleNetNamer(NameOfRuleNet), true);

}  // namespace

int RegistFunc(lua_State* L) {
    if (!L) return -1;
    for (const ActionName& action : kActions) {
        lua_pushcclosure(L, action.function, 0);
        lua_setglobal(L, action.name);
    }
    return 1;
}

}  // namespace zel
