// Query functions that hand results back to the program: output rows, saved
// files and the documents of the corpus.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include <lua.hpp>

#include "qav/fulltext/bm_engine.h"
#include "qav/index/qav_engine.h"
#include "qav/index/qav_log.h"
#include "qav/search/qav_search.h"
#include "qav/service/lua_query_functions.h"
#include "qav/service/lua_slots.h"
#include "qav/service/query_args.h"

namespace {

// The save folder of the engine of the current kind; null when there is none.
const std::string* SaveFolder() {
    if (g_nEngineType == kEngineStructured && g_pCQAVEngine) return &g_pCQAVEngine->m_config.m_FileInfo.SavePath;
    if (g_nEngineType == kEngineFullText && g_pBMEngine) return &g_pBMEngine->m_Config.m_FileInfo.SavePath;
    return nullptr;
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

}  // namespace

// A saved file is named by a plain file name inside the save folder.
bool IsPlainFileName(std::string_view name) {
    return !name.empty() && name.find('/') == std::string_view::npos &&
           name.find('\\') == std::string_view::npos && name.find("..") == std::string_view::npos;
}

int LuaDel(lua_State* L) {
    if (lua_gettop(L) != 1 || !IsStringArg(L, 1)) return 0;
    const std::string* folder = SaveFolder();
    if (!folder) return 0;
    const char* name = lua_tostring(L, 1);
    const std::string path = *folder + "/" + name;
    if (folder->empty() || !IsPlainFileName(name) || std::remove(path.c_str()) != 0)
        QavLog("Error Del file %s!\n", path.c_str());
    return 0;
}

int LuaGetRetNum(lua_State* L) {
    const CQAVSearch* search = QavStructuredSearch(L);
    return PushInteger(L, search ? search->m_FinalRect.m_nCount : 0);
}

int LuaGetRet(lua_State* L) {
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
    const CQAVSearch* search = QavStructuredSearch(L);
    if (!search || !g_pCQAVEngine || lua_gettop(L) != 1 || !lua_isstring(L, 1)) return PushEmptyText(L);
    const std::string name = DocumentOfKey(g_pCQAVEngine->m_orgInfo, lua_tostring(L, 1));
    lua_pushlstring(L, name.data(), name.size());
    return 1;
}
