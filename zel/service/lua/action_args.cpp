#include "zel/service/lua/action_args.h"

#include <cstdio>

#include "zel/lattice/lattice.h"
#include "zel/lattice/lua_slots.h"

namespace zel::actions {

CLattice* LatticeOf(lua_State* L) { return static_cast<CLattice*>(lua_getlattiace(L)); }

std::string TextArg(lua_State* L, int i) {
    if (IsInteger(L, i)) return std::to_string(lua_tointeger(L, i));
    if (lua_type(L, i) == LUA_TNUMBER) {
        // A copy is converted, so the argument keeps its number type.
        lua_pushvalue(L, i);
        std::string text = lua_tostring(L, -1);
        lua_pop(L, 1);
        return text;
    }
    size_t length = 0;
    const char* text = lua_type(L, i) == LUA_TSTRING ? lua_tolstring(L, i, &length) : nullptr;
    return text ? std::string(text, length) : std::string();
}

void ParamError(const char* text) {
    std::puts(text);
    std::fflush(stdout);
}

void PushList(lua_State* L, const std::vector<std::string>& values, int n) {
    if (n > static_cast<int>(values.size())) n = static_cast<int>(values.size());
    lua_createtable(L, n > 0 ? n : 0, 0);
    for (int i = 0; i < n; ++i) {
        const std::string& value = values[static_cast<size_t>(i)];
        lua_pushlstring(L, value.data(), value.size());
        lua_rawseti(L, -2, i + 1);
    }
}

void PushList(lua_State* L, const std::vector<std::string>& values) {
    PushList(L, values, static_cast<int>(values.size()));
}

void PushListMap(lua_State* L, const std::map<std::string, std::vector<std::string>>& map) {
    lua_createtable(L, 0, static_cast<int>(map.size()));
    for (const auto& [key, values] : map) {
        PushList(L, values);
        lua_setfield(L, -2, key.c_str());
    }
}

bool GetSetUnitInfo(lua_State* L, CUnit*& unit, std::string& text) {
    unit = nullptr;
    std::string reference;
    const int n = lua_gettop(L);
    if (n == 1 && IsText(L, 1)) {
        reference = TextArg(L, 1);
        text.clear();
    } else if (n == 2 && IsInteger(L, 1) && IsText(L, 2)) {
        reference = std::to_string(lua_tointeger(L, 1));
        text = TextArg(L, 2);
    } else if (n == 2 && IsText(L, 1) && IsText(L, 2)) {
        reference = TextArg(L, 1);
        text = TextArg(L, 2);
    } else if (n == 3 && IsText(L, 1) && IsText(L, 2) && IsText(L, 3)) {
        reference = TextArg(L, 1);
        text = TextArg(L, 2) + "=" + TextArg(L, 3);
    } else {
        ParamError("Param Error!");
        return false;
    }
    CLattice* lattice = LatticeOf(L);
    if (!lattice) return false;
    int index = 0;
    unit = lattice->GetUnit(reference.c_str(), index);
    return unit != nullptr;
}

bool GetUnitInfo(lua_State* L, CUnit*& unit, int& index) {
    unit = nullptr;
    if (lua_gettop(L) != 1) return false;
    std::string reference;
    if (IsInteger(L, 1))
        reference = std::to_string(lua_tointeger(L, 1));
    else if (IsText(L, 1))
        reference = TextArg(L, 1);
    if (reference.empty()) return false;
    CLattice* lattice = LatticeOf(L);
    if (!lattice) return false;
    unit = lattice->GetUnit(reference.c_str(), index);
    return unit != nullptr;
}

}  // namespace zel::actions
