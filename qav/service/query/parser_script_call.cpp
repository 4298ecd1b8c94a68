#include "qav/service/query/parser_script_call.h"

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <mutex>
#include <system_error>

#include <lua.hpp>

#include "qav/index/base/qav_log.h"
#include "qav/service/lua/lua_slots.h"
#include "qav/service/query/query2lua.h"

namespace qav {

namespace {

constexpr size_t kMaxExePathBytes = 1023;
constexpr const char* kParserName = "utils/Parser.lua";

std::mutex g_scriptMutex;
std::string g_script;  // set by SetTranslatorParserScript

struct LuaCloser {
    void operator()(lua_State* L) const { lua_close(L); }
};

const char* ErrorText(lua_State* L) {
    const char* text = lua_tostring(L, -1);
    return text ? text : "(error object is not a string)";
}

}  // namespace

std::string ExecutableParserPath(const char* executableLink) {
    char path[kMaxExePathBytes + 1];
    const ssize_t length = readlink(executableLink, path, sizeof path);
    if (length > 0 && static_cast<size_t>(length) <= kMaxExePathBytes)
        return (std::filesystem::path(std::string(path, static_cast<size_t>(length))).parent_path() / kParserName)
            .string();
    std::error_code error;
    const std::filesystem::path cwd = std::filesystem::current_path(error);
    return error ? std::string(kParserName) : (cwd / kParserName).string();
}

void SetTranslatorParserScript(const std::string& path) {
    std::lock_guard<std::mutex> lock(g_scriptMutex);
    g_script = path;
}

std::string TranslatorParserScript() {
    {
        std::lock_guard<std::mutex> lock(g_scriptMutex);
        if (!g_script.empty()) return g_script;
    }
    return ExecutableParserPath();
}

bool CallParserScript(const char* function, const std::function<int(lua_State*)>& pushArguments,
                      std::string& result) {
    result.clear();
    const std::unique_ptr<lua_State, LuaCloser> state(QavNewLuaState());
    lua_State* L = state.get();
    if (!L) {
        QavLog("error running function 'Parser': %s", "no memory for the parser state");
        return false;
    }
    luaL_openlibs(L);
    lua_register(L, "UTF82GB", LuaUTF82GB);
    lua_register(L, "GB2UTF8", LuaGB2UTF8);
    const std::string script = TranslatorParserScript();
    if (luaL_loadfile(L, script.c_str()) != LUA_OK || lua_pcall(L, 0, 0, 0) != LUA_OK) {
        QavLog("cannot run configuration file: %s", ErrorText(L));
        lua_pop(L, 1);
    }
    lua_getglobal(L, function);
    const int arguments = pushArguments(L);
    if (lua_pcall(L, arguments, 1, 0) != LUA_OK) {
        QavLog("error running function 'Parser': %s", ErrorText(L));
        return false;
    }
    if (!lua_isstring(L, -1)) {
        QavLog("function 'Parser' must return a string");
        return false;
    }
    size_t length = 0;
    const char* text = lua_tolstring(L, -1, &length);
    result.assign(text, length);
    return true;
}

}  // namespace qav
