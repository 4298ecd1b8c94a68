#include "zel/service/lua/regist_func.h"

#include <lua.hpp>

#include "zel/lattice/scripting_hooks.h"
#include "zel/service/lua/action_functions.h"

namespace zel {

namespace {

using namespace actions;

struct ActionName {
    const char* name;
    lua_CFunction function;
};

// In registration order; aliases follow the first name of their function.
const ActionName kActions[] = {
    {"SetLexicon", Lexicon},
    {"Lexicon", Lexicon},
    {"AddStructure", Structure},
    {"Structure", Structure},
    {"CallService", Server},
    {"Service", Server},
    {"SetText", SetSentence},
    {"InputText", SetSentence},
    {"AddText", SetSentence},
    {"GetText", GetSentence},
    {"GetGraphPath", GetGraphPath},
    {"GetUnits", GetUnits},
    {"Reduce", Reduce},
    {"AddUnit", AddUnit},
    {"IsUnit", IsUnit},
    {"IsRelation", IsRelation},
    {"GetFSANode", GetNo},
    {"GetWord", GetWord},
    {"GetUnit", GetUnit},
    {"GetUnitFSA", GetUnit},
    {"GetFSAUnit", GetUnit},
    {"GetGrid", GetLatticeInfo},
    {"AddUnitKV", AddUnitKV},
    {"GetUnitKVs", GetUnitKVs},
    {"GetUnitKV", GetUnitKV},
    {"AddRelation", AddRelation},
    {"AddRelationKV", AddRelationKV},
    {"GetRelationKVs", GetRelationKVs},
    {"GetRelations", GetRelations},
    {"AddGridKV", AddLatticeKV},
    {"GetGridKVs", GetLatticeKVs},
    {"GB2UTF8", GB2UTF8},
    {"UTF82GB", UTF82GB},
    {"Ban2Quan", Ban2Quan},
    {"Quan2Ban", Quan2Ban},
    {"GetLog", GetLogs},
    {"GetLogs", GetLogs},
    {"AddRelationFeature", AddRelationFeature},
    {"GetRelationFeatures", GetRelationFeatures},
    {"GetRelationScore", GetRelationScore},
    {"AddUnitAttFeature", AddUnitAttFeature},
    {"GetUnitAttFeatures", GetUnitAttFeatures},
    {"GetUnitAttScore", GetUnitAttScore},
    {"WebPrint", WebPrint},
    {"SetHeadWord", SetHeadWord},
    {"SetHead", SetHead},
    {"GetHead", GetHead},
    {"GetHeadWord", GetHeadWord},
    {"Return", Return},
    {"GetReturn", GetReturn},
    {"GetChildren", GetChildren},
    {"GetParents", GetParents},
    {"GetTreeInfo", GetTree},
};

void RegisterInLatticeState(lua_State* L) { RegistFunc(L); }

// New lattice states get the functions as soon as this file is linked in.
[[maybe_unused]] const bool kInstalled = (SetActionRegistrar(RegisterInLatticeState), true);

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
