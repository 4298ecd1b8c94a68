// Unit attributes, lattice-wide key-values and the lattice log.
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "zel/lattice/lattice.h"
#include "zel/service/lua/action_args.h"
#include "zel/service/lua/action_functions.h"

namespace zel::actions {

namespace {

// Keys whose first value GetUnitKV hands back as an integer.
bool IsNumberKey(const std::string& key) {
    return key == "From" || key == "To" || key == "GroupID" || key == "ChunkID" || key == "ClauseID";
}

}  // namespace

int AddUnitKV(lua_State* L) {
    CLattice* lattice = LatticeOf(L);
    if (!lattice) return 0;
    if (lua_gettop(L) != 3 || !IsText(L, 1) || !IsText(L, 2) || !IsText(L, 3)) {
        ParamError("AddUnitKV Param Error!");
        return 0;
    }
    if (CUnit* unit = lattice->GetLatticeUnit(TextArg(L, 1).c_str()))
        unit->Insert2UnitKV(TextArg(L, 2).c_str(), TextArg(L, 3).c_str());
    return 0;
}

int GetUnitKVs(lua_State* L) {
    const int n = lua_gettop(L);
    CUnit* unit = nullptr;
    std::string key;
    if (!GetSetUnitInfo(L, unit, key)) {
        lua_newtable(L);
        return 1;
    }
    if (n == 1) {
        std::map<std::string, std::vector<std::string>> values;
        unit->CollectKVInfoEx(values);
        PushListMap(L, values);
        return 1;
    }
    std::vector<std::string> values;
    int count = 0;
    unit->GetKVs(key.c_str(), values, count);
    PushList(L, values, count);
    return 1;
}

int GetUnitKV(lua_State* L) {
    const int n = lua_gettop(L);
    CUnit* unit = nullptr;
    std::string key;
    if (!GetSetUnitInfo(L, unit, key)) {
        ParamError("GetUnitKV Param Error!");
        lua_pushstring(L, "");
        return 1;
    }
    std::string first;
    if (n > 1) {
        std::vector<std::string> values;
        int count = 0;
        unit->GetKVs(key.c_str(), values, count);
        if (count > 0) first = values[0];
    }
    if (n > 1 && IsNumberKey(key))
        lua_pushinteger(L, std::atoi(first.c_str()));
    else
        lua_pushlstring(L, first.data(), first.size());
    return 1;
}

int AddLatticeKV(lua_State* L) {
    CLattice* lattice = LatticeOf(L);
    if (!lattice) return 0;
    if (lua_gettop(L) != 2 || !IsText(L, 1) || !IsText(L, 2)) {
        ParamError("AddGridKV Param Error!");
        return 0;
    }
    if (lattice->keyValues) lattice->keyValues->Insert2KV(TextArg(L, 1).c_str(), TextArg(L, 2).c_str());
    return 0;
}

int GetLatticeKVs(lua_State* L) {
    const int n = lua_gettop(L);
    CLattice* lattice = LatticeOf(L);
    if (!lattice) return 0;
    if (n >= 2) {
        ParamError("GetGridKVs Param Error!");
        lua_newtable(L);
        return 1;
    }
    if (!lattice->keyValues || (n == 1 && !IsText(L, 1))) {
        lua_newtable(L);
        return 1;
    }
    if (n == 0) {
        std::map<std::string, std::vector<std::string>> values;
        lattice->keyValues->CollectKVInfoEx(values);
        // Index entries (key=value -> units) are the lattice's own business.
        for (auto it = values.begin(); it != values.end();)
            it = it->first.find('=') == std::string::npos ? std::next(it) : values.erase(it);
        PushListMap(L, values);
        return 1;
    }
    const std::string key = TextArg(L, 1);
    std::vector<std::string> values;
    int count = 0;
    if (key.empty() || key[0] != '(') lattice->keyValues->GetKVs(key.c_str(), values, count);
    PushList(L, values, count);
    return 1;
}

int GetLogs(lua_State* L) {
    CLattice* lattice = LatticeOf(L);
    if (!lattice) return 0;
    std::vector<std::string> lines;
    lattice->CollectLog(lines);
    PushList(L, lines);
    return 1;
}

}  // namespace zel::actions
