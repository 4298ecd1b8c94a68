#include "qav/service/query/online_runner.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <memory>

#include <lua.hpp>

#include "qav/fulltext/search/bm_search.h"
#include "qav/index/base/config.h"
#include "qav/index/engine/qav_engine.h"
#include "qav/index/base/qav_log.h"
#include "qav/search/qav_search.h"
#include "qav/service/lua/lua_limits.h"
#include "qav/service/lua/lua_slots.h"
#include "qav/service/lua/query_bounds.h"
#include "qav/service/query/web_info.h"
#include "qav/service/lua/query_state.h"

namespace qav {

namespace {

void RunOnStructuredEngine(CWebInfo& info) {
    if (g_nEngineType != kEngineStructured || !g_pCQAVEngine || !g_pCQAVEngine->m_pWordList) return;
    auto search = std::make_unique<CQAVSearch>(NewQueryState);
    if (search->QAVSearchInit(info.m_bSetup)) {
        search->m_nPageSize = info.m_nPageSize;
        lua_State* L = search->LuaState();
        lua_setmsgbuff(L, info.m_output.data());
        lua_setwebbuff(L, info.m_request);
        lua_settop(L, 0);
        QavStartLuaDeadline(L, std::chrono::steady_clock::now() + std::chrono::milliseconds(QavQueryTimeLimitMs()));
        const std::string& program = info.m_text;
        int status = luaL_loadbufferx(L, program.data(), program.size(), program.c_str(), "t");
        if (status == LUA_OK) status = lua_pcall(L, 0, LUA_MULTRET, 0);
        if (status != LUA_OK) {
            const char* error = lua_tostring(L, -1);
            const std::string text = error ? error : "(error object is not a string)";
            info.m_output.append(text, 0, kWebTextBytes - std::min(kWebTextBytes, info.m_output.size()));
            QavLog("%s\n", text.c_str());
        }
        lua_settop(L, 0);
    }
    search->QAVSearchExit();
}

// Appends text to the request's output, up to the web text limit.
void AppendOutput(CWebInfo& info, const std::string& text) {
    info.m_output.append(text, 0, kWebTextBytes - std::min(kWebTextBytes, info.m_output.size()));
}

// The program on a full-text search object of its own; its page, sort and
// count answers and its string result go to the request's output, or its
// error text.
void RunOnFullTextEngine(CWebInfo& info) {
    if (g_nEngineType != kEngineFullText || !g_pBMEngine || !g_pBMEngine->m_pHashTable) return;
    CBMSearch search;
    std::unique_ptr<lua_State, decltype(&lua_close)> state(nullptr, lua_close);
    if (search.BMSearchInit()) state.reset(NewFullTextQueryState(&search));
    if (state) {
        lua_State* L = state.get();
        lua_setwebbuff(L, info.m_request);
        QavStartLuaDeadline(L, std::chrono::steady_clock::now() + std::chrono::milliseconds(QavQueryTimeLimitMs()));
        const std::string& program = info.m_text;
        int status = luaL_loadbufferx(L, program.data(), program.size(), program.c_str(), "t");
        if (status == LUA_OK) status = lua_pcall(L, 0, 1, 0);
        if (status != LUA_OK) {
            const char* error = lua_tostring(L, -1);
            const std::string text = error ? error : "(error object is not a string)";
            AppendOutput(info, text);
            QavLog("%s\n", text.c_str());
        } else {
            AppendOutput(info, search.m_WebOut);
            // A string result follows: the answer of a request that could
            // not be translated is one.
            if (lua_type(L, -1) == LUA_TSTRING) AppendOutput(info, lua_tostring(L, -1));
        }
    }
    state.reset();
    search.BMSearchExit();
}

}  // namespace

void Online_AS_Thread(CWebInfo* info) {
    const std::clock_t start = std::clock();
    const std::time_t now = std::time(nullptr);
    char when[64] = "";
    ctime_r(&now, when);
    QavLog("%s", when);
    QavLog("\n%s\n", info->m_text.c_str());
    RunOnStructuredEngine(*info);
    RunOnFullTextEngine(*info);
    QavLog("End of the online request: %.3lf\n", static_cast<double>(std::clock() - start) / 1000000.0);
}

}  // namespace qav
