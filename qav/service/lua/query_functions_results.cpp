// Query functions that hand results back to the program: output rows, saved
// files and the documents of the corpus.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <lua.hpp>

#include "qav/fulltext/engine/bm_engine.h"
#include "qav/index/engine/qav_engine.h"
#include "qav/index/base/qav_log.h"
#include "qav/search/qav_search.h"
#include "qav/search/saved_results.h"
#include "qav/service/lua/lua_query_functions.h"
#include "qav/service/lua/query_functions_fulltext.h"
#include "qav/service/lua/lua_slots.h"
#include "qav/service/lua/query_args.h"

namespace qav {

namespace {

// The save folder of the engine of the current kind; null when there is none
// or none is configured (an empty folder would put saved files at the root).
const std::string* SaveFolder() {
    const std::string* folder = nullptr;
    if (g_nEngineType == kEngineStructured && g_pCQAVEngine) folder = &g_pCQAVEngine->m_config.m_FileInfo.SavePath;
    if (g_nEngineType == kEngineFullText && g_pBMEngine) folder = &g_pBMEngine->m_Config.m_FileInfo.SavePath;
    return folder && !folder->empty() ? folder : nullptr;
}

// Name of the document that holds sentence key text (a decimal number):
// documents k = 1..m cover [x(k-1), x(k)); a key at or beyond x(m) belongs to
// the last one, key 0 to the first, and a negative key to none.
std::string DocumentOfKey(const COrgInfo& documents, const char* text) {
    const long long key = std::strtoll(text, nullptr, 10);
    const std::vector<uint64_t>& x = documents.Keys();
    const std::vector<std::string>& names = documents.Names();
    const size_t m = std::min(x.size(), names.size() + 1);
    if (key < 0 || m < 2) return std::string();
    const size_t last = m - 1;
    const uint64_t v = static_cast<uint64_t>(key);
    size_t k = 1;
    if (v >= x[last]) {
        k = last;
    } else if (v != 0) {
        k = static_cast<size_t>(std::upper_bound(x.begin() + 1, x.begin() + static_cast<std::ptrdiff_t>(last), v) -
                                x.begin());
    }
    return names[k - 1];
}

// Rows of a JSON answer at most.
constexpr int kMaxOutputRows = 20000;
// Texts a count keeps per range unless told otherwise.
constexpr int kDefaultCountRows = 100;
// Context width in units on each side, and rows per page: default and cap.
constexpr lua_Integer kMaxContextWidth = 600;
constexpr lua_Integer kDefaultContextPageSize = 10240000;
constexpr lua_Integer kMaxContextPageSize = 200000;

// A value read as an integer, at most cap; values below the cap (negative
// ones included) pass unchanged.
int Capped(lua_Integer value, lua_Integer cap) {
    return static_cast<int>(std::clamp<lua_Integer>(value, INT32_MIN, cap));
}

// Web output forms need the state's web output handle; then the pair of
// arguments (h, tag) is an integer and a string.
bool WebTagForm(lua_State* L, int count) {
    return lua_getwebbuff(L) && lua_gettop(L) == count && IsIntegerArg(L, 1) && IsStringArg(L, 2);
}

}  // namespace

// Context(h[, width[, page[, size]]]): one page of context rows; the slot
// is released. Returns 0.
int LuaContext(lua_State* L) {
    CQAVSearch* search = QavStructuredSearch(L);
    if (!search) return PushInteger(L, 0);
    const uint64_t handle = static_cast<uint64_t>(luaL_checkinteger(L, 1));
    const int width = Capped(luaL_optinteger(L, 2, 0), kMaxContextWidth);
    const int page = Capped(luaL_optinteger(L, 3, 0), INT32_MAX);
    const int pageSize = Capped(luaL_optinteger(L, 4, kDefaultContextPageSize), kMaxContextPageSize);
    search->m_nOutType = 1;
    if (CAtomRet* atom = search->AtomSlot(handle)) {
        search->GetContext(atom, nullptr, width, page, pageSize);
    } else if (CQAVRet* merged = search->MergedSlot(handle)) {
        search->GetContext(merged, nullptr, width, page, pageSize);
    }
    search->FreeSlot(handle);
    return PushInteger(L, 0);
}

// Freq(h[, pattern[, nosort[, x]]]): frequency rows; 1 for an atom handle, 0
// for a merged one, the handle itself for one of no slot. Either slot is
// released once its rows are made, so that the next search can take it. The
// rows are sorted unless nosort is given and not 0.
int LuaFreq(lua_State* L) {
    CQAVSearch* search = QavStructuredSearch(L);
    if (!search) return PushInteger(L, 0);
    const int count = lua_gettop(L);
    uint64_t handle = 0;
    const char* pattern = "";
    bool sort = true;
    if (count >= 1 && count <= 4) {
        handle = static_cast<uint64_t>(luaL_checkinteger(L, 1));
        if (count >= 2) pattern = luaL_checkstring(L, 2);
        if (count >= 3) sort = luaL_checkinteger(L, 3) == 0;
    }
    search->m_nOutType = 0;
    search->m_bCountOut = 0;
    int64_t result = static_cast<int64_t>(handle);
    if (CAtomRet* atom = search->AtomSlot(handle)) {
        result = search->GetFreq(atom, pattern, search->m_ConditionText);
        search->FreeSlot(handle);
    } else if (CQAVRet* merged = search->MergedSlot(handle)) {
        result = search->GetFreq(merged, pattern, search->m_ConditionText);
        search->FreeSlot(handle);
    }
    if (sort) search->SortRet();
    return PushInteger(L, result);
}

// Count(h[, pattern[, n]]): count rows, n texts per range (default 100); the
// results and the release of the slot as Freq. Like Freq it leaves only its
// own flag set, so that the JSON answer names the rows it made.
int LuaCount(lua_State* L) {
    CQAVSearch* search = QavStructuredSearch(L);
    if (!search) return PushInteger(L, 0);
    const uint64_t handle = static_cast<uint64_t>(luaL_checkinteger(L, 1));
    const char* pattern = luaL_optstring(L, 2, "");
    const int rows = Capped(luaL_optinteger(L, 3, kDefaultCountRows), INT32_MAX);
    search->m_nOutType = 0;
    search->m_bCountOut = 1;
    int64_t result = static_cast<int64_t>(handle);
    if (CAtomRet* atom = search->AtomSlot(handle)) {
        result = search->GetCount(atom, pattern, search->m_ConditionText, rows);
        search->FreeSlot(handle);
    } else if (CQAVRet* merged = search->MergedSlot(handle)) {
        result = search->GetCount(merged, pattern, search->m_ConditionText, rows);
        search->FreeSlot(handle);
    }
    return PushInteger(L, result);
}

// Output(h[, n]): the JSON answer of the output rows, at most
// min(n, 20,000) of them; h is not used.
int LuaOutput(lua_State* L) {
    if (CBMSearch* bm = QavFullTextSearch(L)) return FullTextOutput(L, *bm);
    CQAVSearch* search = QavStructuredSearch(L);
    if (!search) return PushInteger(L, 0);
    int64_t rows = kMaxOutputRows;
    if (lua_gettop(L) == 2 && AllIntegerArgs(L, 2))
        rows = std::min<int64_t>(IntegerArg(L, 2), kMaxOutputRows);
    else
        luaL_checkinteger(L, 1);
    std::string answer;
    search->OutRetJSON(static_cast<int>(std::max<int64_t>(rows, INT32_MIN)), answer);
    lua_pushlstring(L, answer.data(), answer.size());
    return 1;
}

// Save(h, name[, n]) appends the output rows (n = -1: all), Save(text, name)
// one line; 1 when the file was written.
int LuaSave(lua_State* L) {
    if (CBMSearch* bm = QavFullTextSearch(L)) return FullTextSave(L, *bm);
    CQAVSearch* search = QavStructuredSearch(L);
    const int count = lua_gettop(L);
    if (!search || !SaveFolder() || count < 2 || count > 3 || !IsStringArg(L, 2)) return PushInteger(L, 0);
    bool written = false;
    if (IsIntegerArg(L, 1) && (count == 2 || IsIntegerArg(L, 3))) {
        const int64_t rows = count == 3 ? IntegerArg(L, 3) : -1;
        const int limited = static_cast<int>(std::clamp<int64_t>(rows, INT32_MIN, INT32_MAX));
        written = search->SaveRetBuff(HandleArg(L, 1), lua_tostring(L, 2), limited);
    } else if (count == 2 && IsStringArg(L, 1)) {
        written = search->SaveRetBuff(std::string(lua_tostring(L, 1)), lua_tostring(L, 2));
    }
    return PushInteger(L, written ? 1 : 0);
}

// SortBy(h, tag, dir), GroupBy(h, tag) and CountBy(h, tag): rows by a
// document tag for the web output; 1 when the back end made them, else 0.
int LuaSortBy(lua_State* L) {
    if (CBMSearch* bm = QavFullTextSearch(L)) return FullTextSortBy(L, *bm);
    CQAVSearch* search = QavStructuredSearch(L);
    if (!search || !WebTagForm(L, 3) || !IsIntegerArg(L, 3)) return PushInteger(L, 0);
    const int dir = static_cast<int>(std::clamp<int64_t>(IntegerArg(L, 3), INT32_MIN, INT32_MAX));
    return PushInteger(L, search->GetSortByBuff(HandleArg(L, 1), lua_tostring(L, 2), dir) ? 1 : 0);
}

int LuaGroupBy(lua_State* L) {
    // The full-text engine groups only within CountBy.
    if (QavFullTextSearch(L)) return PushInteger(L, 1);
    CQAVSearch* search = QavStructuredSearch(L);
    if (!search || !WebTagForm(L, 2)) return PushInteger(L, 0);
    return PushInteger(L, search->GetGroupByBuff(HandleArg(L, 1), lua_tostring(L, 2)) ? 1 : 0);
}

int LuaCountBy(lua_State* L) {
    if (CBMSearch* bm = QavFullTextSearch(L)) return FullTextCountBy(L, *bm);
    CQAVSearch* search = QavStructuredSearch(L);
    if (!search || !WebTagForm(L, 2)) return PushInteger(L, 0);
    return PushInteger(L, search->GetCountByBuff(HandleArg(L, 1), lua_tostring(L, 2)) ? 1 : 0);
}

// Document pages of the full-text engine.
int LuaGetID(lua_State* L) {
    CBMSearch* search = QavFullTextSearch(L);
    return search ? FullTextGetID(L, *search) : PushEmptyText(L);
}
int LuaGetDocInfo(lua_State* L) {
    CBMSearch* search = QavFullTextSearch(L);
    return search ? FullTextGetDocInfo(L, *search) : PushNil(L);
}

int LuaDel(lua_State* L) {
    if (lua_gettop(L) != 1 || !IsStringArg(L, 1)) return 0;
    const std::string* folder = SaveFolder();
    if (!folder) return 0;
    const char* name = lua_tostring(L, 1);
    const std::string path = *folder + "/" + name;
    if (!IsPlainFileName(name) || std::remove(path.c_str()) != 0)
        QavLog("Error Del file %s!\n", path.c_str());
    return 0;
}

int LuaGetRetNum(lua_State* L) {
    if (CBMSearch* bm = QavFullTextSearch(L)) return FullTextGetRetNum(L, *bm);
    const CQAVSearch* search = QavStructuredSearch(L);
    return PushInteger(L, search ? search->m_FinalRect.m_nCount : 0);
}

int LuaGetRet(lua_State* L) {
    if (CBMSearch* bm = QavFullTextSearch(L)) return FullTextGetRet(L, *bm);
    const CQAVSearch* search = QavStructuredSearch(L);
    if (search && lua_gettop(L) == 1 && IsIntegerArg(L, 1)) {
        const int64_t row = IntegerArg(L, 1);
        const CFinalRect& rows = search->m_FinalRect;
        if (row >= 0 && row < rows.m_nCount && static_cast<size_t>(row) < rows.m_Rows.size()) {
            const CFinalRectRow& entry = rows.m_Rows[static_cast<size_t>(row)];
            lua_pushlstring(L, entry.text.data(), entry.text.size());
            lua_pushinteger(L, entry.count);
            return 2;
        }
    }
    lua_pushliteral(L, "");
    lua_pushinteger(L, 0);
    return 2;
}

int LuaGetOrg(lua_State* L) {
    if (CBMSearch* bm = QavFullTextSearch(L)) return FullTextGetOrg(L, *bm);
    const CQAVSearch* search = QavStructuredSearch(L);
    if (!search || !g_pCQAVEngine || lua_gettop(L) != 1 || !lua_isstring(L, 1)) return PushEmptyText(L);
    const std::string name = DocumentOfKey(g_pCQAVEngine->m_orgInfo, lua_tostring(L, 1));
    lua_pushlstring(L, name.data(), name.size());
    return 1;
}

}  // namespace qav
