// Table words at the start or end of a text, a unit or a lattice column,
// inside them, or equal to them.
#include <string>
#include <vector>

#include "zel/lattice/collocation_tables.h"
#include "zel/lattice/lattice.h"
#include "zel/rules/tables/table_functions.h"
#include "zel/service/lua/action_args.h"
#include "zel/service/lua/action_functions.h"

namespace zel::actions {

namespace {

enum class Where { kBegin, kEnd };

// At most this many words are reported by a search inside a text.
constexpr int kInsideLimit = 10;

CTable* FindTable(const std::string& name) {
    CTable* table = nullptr;
    return TableClusterGetTable(name.c_str(), table) ? table : nullptr;
}

// Table words at the start (end) of a plain text, at most n. A table with
// unit conditions cannot test them on plain text: below the limit its
// start search counts as failed and its end search as whatever it found.
bool WordsAtEdge(const char* text, const std::string& name, int n, Where where, std::vector<CTableItemEx>& out) {
    CTable* table = FindTable(name);
    if (!table) return false;
    const bool found = where == Where::kBegin ? g_pTableCluster->IsStrBegin(text, table, n, out)
                                              : g_pTableCluster->IsStrEnd(text, table, n, out);
    if (static_cast<int>(out.size()) >= n) return true;
    if (!table->HasItemKV()) return found;
    return where == Where::kEnd && !out.empty();
}

// Table words at the start of the sentence from column c (end: up to and
// including column c), else the first unit around there that meets one of
// the table's unit conditions.
bool WordsAtColumn(CLattice& lattice, const std::string& name, int c, Where where, std::vector<CTableItemEx>& out) {
    CTable* table = FindTable(name);
    if (!table || c < 0 || c >= lattice.columnCount) return false;
    const std::string text = where == Where::kBegin ? lattice.GetStr(c, lattice.columnCount - 1) : lattice.GetStr(0, c);
    if (WordsAtEdge(text.c_str(), name, 1, where, out) && !out.empty()) return true;
    out.clear();
    if (!table->HasItemKV()) return false;
    const int last = where == Where::kBegin ? std::min(c + 9, lattice.columnCount - 1) : c;
    for (const CTableItemKV& entry : table->itemKVs()) {
        for (int k = c; k <= last; ++k) {
            CCandidate& column = lattice.columns[static_cast<size_t>(k)];
            for (int i = lattice.reservedUnits; i < column.unitCount; ++i) {
                CUnit& unit = column.units[static_cast<size_t>(i)];
                if (!unit.CheckAtt(entry.key.c_str())) continue;
                CTableItemEx result;
                result.word = unit.GetHeadWord();
                result.value = entry.value;
                out.push_back(result);
                return true;
            }
        }
    }
    return false;
}

// (subject, table): a column, a unit (its From for the start, its To for
// the end) or a plain text; pushes (found, first word).
int EdgeTest(lua_State* L, Where where) {
    if (lua_gettop(L) != 2 || !IsText(L, 1) || !IsText(L, 2)) {
        ParamError("Param Error!");
        lua_pushboolean(L, 0);
        lua_pushstring(L, "");
        return 2;
    }
    const std::string name = TextArg(L, 2);
    std::vector<CTableItemEx> matches;
    bool found = false;
    CLattice* lattice = LatticeOf(L);
    if (IsInteger(L, 1)) {
        if (lattice) found = WordsAtColumn(*lattice, name, static_cast<int>(lua_tointeger(L, 1)), where, matches);
    } else if (const std::string subject = TextArg(L, 1); !subject.empty() && subject[0] == '(') {
        CUnit* unit = lattice ? lattice->GetLatticeUnit(subject.c_str()) : nullptr;
        if (unit) found = WordsAtColumn(*lattice, name, where == Where::kBegin ? unit->From : unit->To, where, matches);
    } else {
        found = WordsAtEdge(subject.c_str(), name, 1, where, matches);
    }
    found = found && !matches.empty();
    lua_pushboolean(L, found);
    lua_pushstring(L, found ? matches[0].word.c_str() : "");
    return 2;
}

// (table, text) -> the first word of the table at the start (end) of text.
int EdgeWord(lua_State* L, Where where, const char* misuse) {
    std::string word;
    if (lua_gettop(L) == 2 && IsText(L, 1) && IsText(L, 2)) {
        std::vector<CTableItemEx> matches;
        if (WordsAtEdge(TextArg(L, 2).c_str(), TextArg(L, 1), 1, where, matches) && !matches.empty())
            word = matches[0].word;
    } else {
        ParamError(misuse);
    }
    lua_pushlstring(L, word.data(), word.size());
    return 1;
}

void PushPositions(lua_State* L, const std::vector<std::string>& words, const std::vector<int>& positions) {
    lua_newtable(L);
    for (size_t i = 0; i < words.size() && i < positions.size(); ++i) {
        lua_pushinteger(L, positions[i]);
        lua_setfield(L, -2, words[i].c_str());
    }
}

// Words of the table in the lattice from column c, rightwards or leftwards,
// through the installed lattice matchers.
void WordsInLattice(CLattice& lattice, const std::string& name, int c, bool rightwards, CUnit* unit,
                    std::vector<std::string>& words, std::vector<int>& positions) {
    CollocationTables* tables = GetCollocationTables();
    if (!tables) return;
    std::vector<CollMatch> matches;
    if (rightwards)
        tables->IsStrMidEx(lattice, name.c_str(), c, matches, unit);
    else
        tables->IsStrMid_R2LEx(lattice, name.c_str(), c, matches, unit);
    for (const CollMatch& match : matches) {
        words.push_back(match.word);
        positions.push_back(match.column);
    }
}

}  // namespace

int Prefix(lua_State* L) { return EdgeWord(L, Where::kBegin, "Prefix Param Error!"); }

int Suffix(lua_State* L) { return EdgeWord(L, Where::kEnd, "Suffix Param Error!"); }

int IsStrBegin(lua_State* L) { return EdgeTest(L, Where::kBegin); }

int IsStrEnd(lua_State* L) { return EdgeTest(L, Where::kEnd); }

int IsStrEqu(lua_State* L) {
    if (lua_gettop(L) != 2 || !IsText(L, 1) || !IsText(L, 2)) {
        ParamError("Param Error!");
        lua_pushboolean(L, 0);
        lua_pushstring(L, "");
        return 2;
    }
    const std::string subject = TextArg(L, 1), name = TextArg(L, 2);
    std::string value;
    int count = 0;
    bool found = false;
    if (!subject.empty() && subject[0] == '(') {
        CLattice* lattice = LatticeOf(L);
        CUnit* unit = lattice ? lattice->GetLatticeUnit(subject.c_str()) : nullptr;
        if (unit) found = TableClusterIsStrEqualEx(unit, name.c_str(), value, count);
    } else {
        found = TableClusterIsStrEqual(subject.c_str(), name.c_str(), value, count);
    }
    if (!found) value.clear();
    lua_pushboolean(L, found);
    lua_pushlstring(L, value.data(), value.size());
    return 2;
}

int IsStrIn(lua_State* L) {
    const int n = lua_gettop(L);
    CLattice* lattice = LatticeOf(L);
    std::vector<std::string> words;
    std::vector<int> positions;
    if (n == 1 && IsText(L, 1)) {
        if (lattice) WordsInLattice(*lattice, TextArg(L, 1), 0, true, nullptr, words, positions);
    } else if (n == 2 && IsText(L, 1) && IsText(L, 2)) {
        const std::string subject = TextArg(L, 1), name = TextArg(L, 2);
        if (!subject.empty() && subject[0] == '(') {
            CUnit* unit = lattice ? lattice->GetLatticeUnit(subject.c_str()) : nullptr;
            if (unit) WordsInLattice(*lattice, name, unit->To, false, unit, words, positions);
        } else if (CTable* table = FindTable(name)) {
            std::vector<CTableItemEx> matches;
            g_pTableCluster->IsStrMid(subject.c_str(), table, kInsideLimit, matches, positions);
            for (const CTableItemEx& match : matches) words.push_back(match.word);
        }
    } else if (n == 3 && IsInteger(L, 1) && IsInteger(L, 2) && IsText(L, 3)) {
        if (lattice)
            WordsInLattice(*lattice, TextArg(L, 3), static_cast<int>(lua_tointeger(L, 1)), lua_tointeger(L, 2) >= 1,
                           nullptr, words, positions);
    } else if (n == 3 && IsInteger(L, 1) && IsText(L, 2) && IsInteger(L, 3)) {
        if (lattice)
            WordsInLattice(*lattice, TextArg(L, 2), static_cast<int>(lua_tointeger(L, 1)), lua_tointeger(L, 3) >= 1,
                           nullptr, words, positions);
    } else {
        ParamError("Param Error!");
    }
    PushPositions(L, words, positions);
    return 1;
}

}  // namespace zel::actions
