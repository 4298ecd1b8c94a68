// Putting text into the lattice and reading its text and words back.
#include <cstring>
#include <string>

#include "zel/lattice/json_input.h"
#include "zel/lattice/lattice.h"
#include "zel/lattice/tree_line.h"
#include "zel/service/lua/action_args.h"
#include "zel/service/lua/action_functions.h"
#include "zel/service/service_registry.h"

namespace zel::actions {

namespace {

constexpr size_t kLexiconNameSize = 1024;

// The word of a unit; for a span (negative index k in column c) the
// characters of columns c + k + 1 .. c.
std::string WordOf(CLattice& lattice, CUnit& unit, int index) {
    if (index >= 0) return unit.Word;
    const int column = unit.To;
    const int first = column + index + 1;
    if (first < 0 || column < first) return "";
    const size_t begin = static_cast<size_t>(first) * 2;
    if (begin >= lattice.normSentence.size()) return "";
    return lattice.normSentence.substr(begin, static_cast<size_t>(column - first + 1) * 2);
}

}  // namespace

int SetSentence(lua_State* L) {
    const int n = lua_gettop(L);
    CLattice* lattice = LatticeOf(L);
    if (!lattice) return 0;
    const bool one = n == 1 && IsText(L, 1);
    const bool withService = n == 2 && IsText(L, 1) && IsText(L, 2);
    if (!one && !withService) {
        lua_pushboolean(L, 0);
        return 1;
    }
    const std::string text = TextArg(L, 1);
    int from = 0, to = 0;
    if (one) {
        InputData(lattice, text.c_str(), from, to);
    } else if (const CServer* server = FindServer(TextArg(L, 2))) {
        std::string reply;
        if (PostToServer(*server, text.c_str(), reply)) InputData(lattice, reply.c_str(), from, to);
    }
    lua_pushboolean(L, 1);
    return 1;
}

int GetSentence(lua_State* L) {
    const int n = lua_gettop(L);
    lua_Integer from = 0, to = 0;
    if (n == 2) {
        from = luaL_checkinteger(L, 1);
        to = luaL_checkinteger(L, 2);
    }
    CLattice* lattice = LatticeOf(L);
    if (!lattice) return 0;
    std::string result;
    if (n == 0 || n >= 3) {
        result = lattice->sentence;
    } else if (n == 2) {
        if (to == -1) to = lattice->columnCount - 1;
        if (from >= 0 && to >= from && to < lattice->columnCount)
            result = lattice->GetStr(static_cast<int>(from), static_cast<int>(to));
    } else if (IsText(L, 1)) {
        const std::string spec = TextArg(L, 1);
        if (spec.find('=') != std::string::npos) {
            result = lattice->GetLatticeString(spec.c_str());
        } else if (!spec.empty() && spec[0] == '(') {
            // Exactly what GetWord gives for the same argument.
            return GetWord(L);
        }
    }
    lua_pushlstring(L, result.data(), result.size());
    return 1;
}

int Structure(lua_State* L) {
    const int n = lua_gettop(L);
    const char* json = nullptr;
    const char* source = "JSON";
    if (n == 1 || n == 2) {
        json = luaL_checkstring(L, 1);
        if (n == 2) source = luaL_checkstring(L, 2);
    }
    CLattice* lattice = LatticeOf(L);
    if (!lattice) return 0;
    int from = 0, to = 0;
    if (!json)
        ParamError("Structure Param Error!");
    else if (!InputJson(lattice, json, source, from, to))
        from = to = 0;
    lua_pushinteger(L, from);
    lua_pushinteger(L, to);
    return 2;
}

int Lexicon(lua_State* L) {
    CLattice* lattice = LatticeOf(L);
    if (!lattice || lua_gettop(L) != 1 || !IsText(L, 1)) return 0;
    AssignCut(lattice->lexiconTable, TextArg(L, 1).c_str(), kLexiconNameSize);
    return 0;
}

int GetWord(lua_State* L) {
    CUnit* unit = nullptr;
    int index = 0;
    std::string word;
    if (GetUnitInfo(L, unit, index)) word = WordOf(*LatticeOf(L), *unit, index);
    lua_pushlstring(L, word.data(), word.size());
    return 1;
}

int Relate(lua_State* L) {
    const int n = lua_gettop(L);
    CLattice* lattice = LatticeOf(L);
    if (!lattice) return 0;
    if (n < 1 || n > 3 || !IsText(L, 1) || (n >= 2 && !IsText(L, 2)) || (n == 3 && !IsText(L, 3))) {
        ParamError("Relate Param Error!");
        return 0;
    }
    const std::string table = TextArg(L, 1);
    const std::string source = n >= 2 ? TextArg(L, 2) : table;
    lattice->Collocation(table.c_str(), source.c_str(), source.c_str());
    return 0;
}

int GetTreeEx(lua_State* L) {
    CLattice* lattice = LatticeOf(L);
    if (!lattice) return 0;
    const std::string line = lattice->qavTree ? lattice->qavTree->Line() : "";
    lua_pushlstring(L, line.data(), line.size());
    return 1;
}

}  // namespace zel::actions
