// Relations between units: on the units themselves, and as records with
// attribute text in the lattice's relation table.
#include <map>
#include <string>
#include <vector>

#include "zel/lattice/kv_table.h"
#include "zel/lattice/lattice.h"
#include "zel/service/lua/action_args.h"
#include "zel/service/lua/action_functions.h"

namespace zel::actions {

namespace {

bool AllTexts(lua_State* L, int n) {
    for (int i = 1; i <= n; ++i)
        if (!IsText(L, i)) return false;
    return true;
}

// The attribute text of relation u1+u2+rel, loaded into table; false when
// the relation is not recorded.
bool LoadRelation(lua_State* L, CLattice& lattice, CKVTable& table) {
    const char* text =
        lattice.GetRelationKVStr(TextArg(L, 1).c_str(), TextArg(L, 2).c_str(), TextArg(L, 3).c_str());
    if (!text) return false;
    table.Insert2KV(text);
    return true;
}

void PushRelation(lua_State* L, const char* key) {
    std::string head, dependent, name;
    SplitRelation(key, head, dependent, name);
    lua_createtable(L, 0, 3);
    lua_pushlstring(L, head.data(), head.size());
    lua_setfield(L, -2, "U1");
    lua_pushlstring(L, dependent.data(), dependent.size());
    lua_setfield(L, -2, "U2");
    lua_pushlstring(L, name.data(), name.size());
    lua_setfield(L, -2, "R");
}

}  // namespace

int AddRelation(lua_State* L) {
    const int n = lua_gettop(L);
    CLattice* lattice = LatticeOf(L);
    if (!lattice) return 0;
    if ((n != 3 && n != 4) || !AllTexts(L, n)) {
        ParamError("AddRelation Param Error!");
        return 0;
    }
    const std::string head = TextArg(L, 1), dependent = TextArg(L, 2), name = TextArg(L, 3);
    std::string source = n == 4 ? TextArg(L, 4) : RunningNetParam(L, "ST");
    if (n == 3 && source.empty()) source = "Dyn";
    CUnit* headUnit = lattice->GetLatticeUnit(head.c_str());
    CUnit* dependentUnit = lattice->GetLatticeUnit(dependent.c_str());
    if (!headUnit || !dependentUnit) return 0;
    headUnit->InsertRelationInfo(dependent.c_str(), source.c_str(), "", name.c_str(), true);
    dependentUnit->InsertRelationInfo(head.c_str(), source.c_str(), "", name.c_str(), false);
    return 0;
}

int AddRelationKV(lua_State* L) {
    CLattice* lattice = LatticeOf(L);
    if (!lattice) return 0;
    if (lua_gettop(L) != 5 || !AllTexts(L, 5)) {
        ParamError("AddRelationKV Param Error!");
        return 0;
    }
    lattice->AddRelationKV(TextArg(L, 1).c_str(), TextArg(L, 2).c_str(), TextArg(L, 3).c_str(),
                           TextArg(L, 4).c_str(), TextArg(L, 5).c_str());
    return 0;
}

int IsRelation(lua_State* L) {
    const int n = lua_gettop(L);
    CLattice* lattice = LatticeOf(L);
    if (!lattice) return 0;
    if ((n != 3 && n != 4) || !AllTexts(L, n)) {
        ParamError("IsRelation Param Error!");
        lua_pushboolean(L, 0);
        return 1;
    }
    CKVTable attributes;
    bool holds = LoadRelation(L, *lattice, attributes);
    if (holds && n == 4) holds = attributes.CheckExp(TextArg(L, 4).c_str());
    lua_pushboolean(L, holds);
    return 1;
}

int GetRelationKVs(lua_State* L) {
    const int n = lua_gettop(L);
    CLattice* lattice = LatticeOf(L);
    if (!lattice) return 0;
    if ((n != 3 && n != 4) || !AllTexts(L, n)) {
        ParamError("GetRelationKVs Param Error!");
        lua_newtable(L);
        return 1;
    }
    CKVTable attributes;
    if (!LoadRelation(L, *lattice, attributes)) {
        lua_newtable(L);
        return 1;
    }
    if (n == 4) {
        std::vector<std::string> values;
        int count = 0;
        attributes.GetKVs(TextArg(L, 4).c_str(), values, count);
        PushList(L, values, count);
        return 1;
    }
    std::map<std::string, std::vector<std::string>> values;
    attributes.CollectKVInfoEx(values);
    for (auto it = values.begin(); it != values.end();)
        it = it->first.find('=') == std::string::npos ? std::next(it) : values.erase(it);
    PushListMap(L, values);
    return 1;
}

int GetRelations(lua_State* L) {
    const int n = lua_gettop(L);
    CLattice* lattice = LatticeOf(L);
    if (!lattice) return 0;
    if (n >= 2 || (n == 1 && !IsText(L, 1))) {
        ParamError("GetRelation Param Error!");
        lua_newtable(L);
        return 1;
    }
    lua_newtable(L);
    if (!lattice->relations) return 1;
    if (n == 0) {
        const CKVTable& table = *lattice->relations;
        for (int i = 0; i < table.RelationCount(); ++i) {
            PushRelation(L, table.RelationAt(i).key.c_str());
            lua_rawseti(L, -2, i + 1);
        }
        return 1;
    }
    std::vector<std::string> keys;
    int count = 0;
    if (lattice->keyValues) lattice->keyValues->GetKVs((TextArg(L, 1) + "@").c_str(), keys, count);
    for (int i = 0; i < count; ++i) {
        PushRelation(L, keys[static_cast<size_t>(i)].c_str());
        lua_rawseti(L, -2, i + 1);
    }
    return 1;
}

}  // namespace zel::actions
