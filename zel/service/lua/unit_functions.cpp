// Listing, finding, adding, merging and testing units.
#include <cstdio>
#include <string>
#include <vector>

#include "zel/lattice/attribute_text.h"
#include "zel/lattice/lattice.h"
#include "zel/lattice/lua_slots.h"
#include "zel/rules/match/unit_expressions.h"
#include "zel/service/lua/action_args.h"
#include "zel/service/lua/action_functions.h"

namespace zel::actions {

namespace {

void PushText(lua_State* L, const std::string& text) { lua_pushlstring(L, text.data(), text.size()); }

// Identifiers of the units of column c after its leading placeholders.
void AppendColumnUnits(const CLattice& lattice, int c, std::vector<std::string>& ids) {
    const CCandidate& column = lattice.columns[static_cast<size_t>(c)];
    for (int i = lattice.reservedUnits; i < column.unitCount; ++i) ids.push_back(UnitIdText({c, i}));
}

// The unit of match-path node n: n >= 0 counts from the last node, n < 0
// from the first; "" outside the path.
std::string NodeUnitText(CLattice& lattice, lua_Integer n) {
    const int k = std::min(lattice.pathLength, static_cast<int>(lattice.matchPath.size()));
    // The path is stored from the last matched node to the first.
    const lua_Integer entry = n >= 0 ? n : k + n;
    if (entry < 0 || entry >= k) return "";
    const CMatchNodeEx& node = lattice.matchPath[static_cast<size_t>(entry)];
    if (node.index < 0) return "(" + std::to_string(node.column) + ",0)";
    UnitId id{node.column, node.index};
    CUnit* unit = lattice.GetUnit(id);
    if (!unit) return "";
    if (node.index == 1 && unit->links.head.first != -1 && unit->links.head.second != -1)
        return UnitIdText(unit->links.head);
    return UnitIdText(id);
}

// A lattice log line for a new unit, while the lattice logs.
void LogNewUnit(CLattice& lattice, const char* label, const std::string& id) {
    CUnit* unit = lattice.GetLatticeUnit(id.c_str());
    if (!lattice.logOn || !unit || !lattice.keyValues) return;
    const std::string line = std::string(label) + ":" + id + " Word:" + unit->Word + "\n";
    lattice.keyValues->Insert2KVEx("Log", line.c_str());
}

}  // namespace

int GetUnits(lua_State* L) {
    const int n = lua_gettop(L);
    // Arguments after the first are read as texts without a test.
    for (int i = 2; i <= n && i <= 3; ++i) luaL_checkstring(L, i);
    CLattice* lattice = LatticeOf(L);
    if (!lattice) return 0;
    std::vector<std::string> ids;
    if (n == 0) {
        for (int c = 0; c < lattice->columnCount; ++c) AppendColumnUnits(*lattice, c, ids);
    } else if (n == 1 && IsInteger(L, 1)) {
        const lua_Integer c = lua_tointeger(L, 1);
        if (c >= 0 && c < lattice->columnCount) AppendColumnUnits(*lattice, static_cast<int>(c), ids);
    } else if (n == 1 && IsText(L, 1)) {
        std::string expression = TextArg(L, 1);
        const bool isRoot = expression.rfind("URoot", 0) == 0 && expression.find('=') == std::string::npos;
        if (!isRoot) {
            TransferKV(expression);
            int count = 0;
            lattice->GetUnitByKV(0, lattice->columnCount - 1, expression.c_str(), ids, count);
            ids.resize(static_cast<size_t>(count));
        } else {
            RootExpress2Units(*lattice, expression, ids);
        }
    } else if (n == 2 || n == 3) {
        const std::string start = TextArg(L, 1);
        std::string condition = n == 3 ? TextArg(L, 3) : "";
        TransferKV(condition);
        if (CUnit* unit = lattice->GetLatticeUnit(start.c_str()))
            UExpress2UnitsCondition(*lattice, *unit, TextArg(L, 2), condition, ids);
    }
    PushList(L, ids);
    return 1;
}

int GetUnit(lua_State* L) {
    const int n = lua_gettop(L);
    CLattice* lattice = LatticeOf(L);
    if (!lattice) return 0;
    std::string id;
    if (n == 2 && IsInteger(L, 1) && IsInteger(L, 2)) {
        const lua_Integer c = lua_tointeger(L, 1), i = lua_tointeger(L, 2);
        if (c >= 0 && c < lattice->columnCount && i >= 0 && i < lattice->columns[static_cast<size_t>(c)].unitCount)
            id = UnitIdText({static_cast<int>(c), static_cast<int>(i)});
    } else if (n == 1 && IsInteger(L, 1)) {
        id = NodeUnitText(*lattice, lua_tointeger(L, 1));
    } else if (n == 1 && lua_type(L, 1) == LUA_TSTRING) {
        const std::string reference = TextArg(L, 1);
        int from = 0, to = 0;
        if (reference.rfind('$', 0) == 0 &&
            lattice->GetTagNoInfo(reference.c_str() + 1, from, to, lattice->matchPath, lattice->pathLength))
            id = NodeUnitText(*lattice, from);
    } else if (n == 1 && lua_type(L, 1) != LUA_TNUMBER) {
        id = NodeUnitText(*lattice, 0);
    }
    PushText(L, id);
    return 1;
}

int GetLatticeInfo(lua_State* L) {
    CLattice* lattice = LatticeOf(L);
    if (!lattice) return 0;
    lua_createtable(L, lattice->columnCount, 0);
    for (int c = 0; c < lattice->columnCount; ++c) {
        const CCandidate& column = lattice->columns[static_cast<size_t>(c)];
        lua_createtable(L, column.unitCount, 0);
        for (int i = lattice->reservedUnits; i < column.unitCount; ++i) {
            PushText(L, UnitIdText({c, i}));
            lua_rawseti(L, -2, i);
        }
        lua_rawseti(L, -2, c + 1);
    }
    return 1;
}

int AddUnit(lua_State* L) {
    const int n = lua_gettop(L);
    lua_Integer column = 0;
    const char* word = nullptr;
    if (n == 2 || n == 3) {
        column = luaL_checkinteger(L, 1);
        word = luaL_checkstring(L, 2);
    }
    CLattice* lattice = LatticeOf(L);
    if (!lattice) return 0;
    std::string id;
    if (word) {
        int kind = kUnitWord;
        if (n == 3 && lua_type(L, 3) == LUA_TSTRING) {
            const std::string name = TextArg(L, 3);
            if (name == "Chunk") kind = kUnitChunk;
            if (name == "Phrase") kind = kUnitPhrase;
        }
        if (column >= 0 && column < lattice->columnCount)
            lattice->AddNewUnit(static_cast<int>(column), word, kind, id, -1, true, "");
    } else if (n == 1 && lua_type(L, 1) == LUA_TSTRING) {
        const std::string named = TextArg(L, 1);
        CUnit* unit = named[0] == '(' ? lattice->GetLatticeUnit(named.c_str()) : nullptr;
        if (unit) lattice->AddNewUnit(unit->To, "", 0, id, -1, false, "");
    }
    PushText(L, id);
    return 1;
}

int Reduce(lua_State* L) {
    CLattice* lattice = LatticeOf(L);
    if (!lattice) return 0;
    std::string id;
    if (lua_gettop(L) == 2 && IsInteger(L, 1) && IsInteger(L, 2) && lua_getnet(L)) {
        if (!lattice->Reduce(static_cast<int>(lua_tointeger(L, 1)), static_cast<int>(lua_tointeger(L, 2)), id))
            id.clear();
    }
    LogNewUnit(*lattice, "Reduce", id);
    PushText(L, id);
    return 1;
}

int IsUnit(lua_State* L) {
    CUnit* unit = nullptr;
    std::string condition;
    bool holds = false;
    if (GetSetUnitInfo(L, unit, condition)) {
        TransferKV(condition);
        holds = unit->CheckAtt(condition.c_str());
    }
    lua_pushboolean(L, holds);
    return 1;
}

}  // namespace zel::actions
