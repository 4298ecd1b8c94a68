#include "qav/service/query/query2lua.h"

#include <mutex>
#include <vector>

#include <lua.hpp>

#include "qav/index/engine/qav_engine.h"
#include "qav/index/base/qav_log.h"
#include "qav/service/lua/lua_limits.h"
#include "qav/service/lua/lua_slots.h"
#include "qav/service/lua/query_bounds.h"
#include "qav/service/query/text_convert.h"

namespace qav {

namespace {

// A parser state that holds more than this after a call is closed, so that
// one large query does not keep its memory for the thread's life.
constexpr size_t kKeepParserBytes = size_t{64} << 20;

// A thread's parser state and the script path it was made for; closed when
// the thread ends.
struct ParserState {
    lua_State* lua = nullptr;
    std::string path;

    ParserState() = default;
    ParserState(const ParserState&) = delete;
    ParserState& operator=(const ParserState&) = delete;
    ~ParserState() { Close(); }

    void Close() {
        if (lua) lua_close(lua);
        lua = nullptr;
        path.clear();
    }
};

thread_local ParserState tl_parser;

// Abandoned parser states stay referenced here until the process ends: they
// may be broken, so they are neither used nor closed. The list itself is
// never destroyed, so that it outlives every thread.
std::mutex g_abandonedMutex;
std::vector<lua_State*>& AbandonedParserStates() {
    static auto* states = new std::vector<lua_State*>;
    return *states;
}

// Shared body of the two converters: one string argument, else a logged
// parameter error and "".
int ConvertArgument(lua_State* L, const char* paramError, bool toGbk) {
    if (lua_gettop(L) != 1 || lua_type(L, 1) != LUA_TSTRING) {
        QavLog("%s", paramError);
        lua_pushliteral(L, "");
        return 1;
    }
    size_t length = 0;
    const char* text = lua_tolstring(L, 1, &length);
    std::string result;
    try {
        if (toGbk) {
            result = QavUtf8ToGbk({text, length}, kMaxProgramBytes);
        } else {
            result = QavGbkToUtf8({text, length}, kMaxProgramBytes);
            result.resize(QavUtf8PrefixLength(result, kMaxProgramBytes));
        }
    } catch (...) {
        result.clear();
    }
    lua_pushlstring(L, result.data(), result.size());
    return 1;
}

// The thread's parser state for parserFile, made and loaded when the thread
// has none for that path. Null only when no state can be made.
lua_State* ParserStateFor(const std::string& parserFile) {
    if (tl_parser.lua && tl_parser.path == parserFile) return tl_parser.lua;
    tl_parser.Close();
    lua_State* L = QavNewLuaState();
    if (!L) return nullptr;
    luaL_openlibs(L);
    lua_register(L, "UTF82GB", LuaUTF82GB);
    lua_register(L, "GB2UTF8", LuaGB2UTF8);
    if (luaL_loadfile(L, parserFile.c_str()) != LUA_OK || lua_pcall(L, 0, 0, 0) != LUA_OK) {
        const char* error = lua_tostring(L, -1);
        QavLog("cannot run configuration file: %s", error ? error : "(no error text)");
        lua_pop(L, 1);
    }
    tl_parser.lua = L;
    tl_parser.path = parserFile;
    return L;
}

// 1 for a Chinese engine or none, 0 for an English one.
double ParserLanguage() {
    return g_pCQAVEngine && g_pCQAVEngine->m_config.m_Language == 1 ? 0.0 : 1.0;
}

}  // namespace

int LuaUTF82GB(lua_State* L) { return ConvertArgument(L, "UTF82GB Param Error!\n", true); }
int LuaGB2UTF8(lua_State* L) { return ConvertArgument(L, "GB2UTF8 Param Error!\n", false); }

bool Query2LUA(const std::string& query, const std::string& parserFile, std::string& program,
               std::string& refusal) {
    program.clear();
    refusal.clear();
    lua_State* L = ParserStateFor(parserFile);
    if (!L) {
        QavLog("error running function 'Parser': %s", "no memory for the parser state");
        return false;
    }
    lua_settop(L, 0);
    lua_getglobal(L, "Parser");
    lua_pushlstring(L, query.data(), query.size());
    lua_pushnumber(L, ParserLanguage());
    lua_pushnumber(L, 3);
    QavStartLuaDeadline(L, QavQueryDeadline());
    const int status = lua_pcall(L, 3, 1, 0);
    QavStopLuaDeadline(L);
    if (status != LUA_OK) {
        const char* error = lua_tostring(L, -1);
        QavLog("error running function 'Parser': %s", error ? error : "(no error text)");
        lua_settop(L, 0);
        if (QavLuaBytesInUse(L) > kKeepParserBytes || QavLuaBreach(L, status) != LuaBreach::kNone) tl_parser.Close();
        return false;
    }
    if (!lua_isstring(L, -1)) {
        QavLog("function 'Parser' must return a string");
        lua_settop(L, 0);
        return false;
    }
    size_t length = 0;
    const char* text = lua_tolstring(L, -1, &length);
    if (length > kMaxProgramBytes) {
        refusal = "error: the program of the query is " + std::to_string(length) + " bytes long, more than " +
                  std::to_string(kMaxProgramBytes) + "; it is not run";
        QavLog("%s\n", refusal.c_str());
        lua_settop(L, 0);
        return false;
    }
    program.assign(text, length);
    lua_settop(L, 0);
    if (QavLuaBytesInUse(L) > kKeepParserBytes) tl_parser.Close();
    return true;
}

void QavAbandonParserState() {
    if (tl_parser.lua) {
        std::lock_guard<std::mutex> lock(g_abandonedMutex);
        AbandonedParserStates().push_back(tl_parser.lua);
    }
    tl_parser.lua = nullptr;
    tl_parser.path.clear();
}

}  // namespace qav
