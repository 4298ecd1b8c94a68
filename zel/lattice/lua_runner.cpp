#include "zel/lattice/lua_runner.h"

#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

#include <lua.hpp>

#include "zel/lattice/bounded_text.h"
#include "zel/lattice/error_msg.h"
#include "zel/lattice/lattice.h"
#include "zel/lattice/lua_slots.h"
#include "zel/lattice/scripting_hooks.h"
#include "zellib.h"

namespace zel {

namespace {

// Address used as the registry key of a state's chunk cache.
const char kChunkCacheKey = 0;
// The cache's entry count lives under this integer key beside the texts.
constexpr lua_Integer kCountSlot = 1;

// Lua function (code) -> the compiled chunk, from the state's cache or
// loaded and cached; raises the load error. Runs protected, so a memory
// error while caching cannot escape into C++.
int LoadCachedChunk(lua_State* L) {
    size_t length = 0;
    const char* code = luaL_checklstring(L, 1, &length);
    if (lua_rawgetp(L, LUA_REGISTRYINDEX, &kChunkCacheKey) != LUA_TTABLE) {
        lua_pop(L, 1);
        lua_createtable(L, 0, 64);
        lua_pushvalue(L, -1);
        lua_rawsetp(L, LUA_REGISTRYINDEX, &kChunkCacheKey);
    }
    const int cache = lua_gettop(L);
    lua_pushvalue(L, 1);
    if (lua_rawget(L, cache) == LUA_TFUNCTION) return 1;
    lua_pop(L, 1);
    // The chunk is named by its text, as a plain load of the text names it.
    if (luaL_loadbufferx(L, code, length, code, "t") != LUA_OK) return lua_error(L);
    lua_Integer count = (lua_rawgeti(L, cache, kCountSlot) == LUA_TNUMBER) ? lua_tointeger(L, -1) : 0;
    lua_pop(L, 1);
    if (count >= kMaxCachedChunks) {
        // A fresh table: texts that came once (from a client, say) must not
        // pile up for the state's whole life.
        lua_createtable(L, 0, 64);
        lua_pushvalue(L, -1);
        lua_rawsetp(L, LUA_REGISTRYINDEX, &kChunkCacheKey);
        lua_replace(L, cache);
        count = 0;
    }
    lua_pushvalue(L, 1);
    lua_pushvalue(L, -2);
    lua_rawset(L, cache);
    lua_pushinteger(L, count + 1);
    lua_rawseti(L, cache, kCountSlot);
    return 1;
}

void ReportFailure(lua_State* L, const char* code, const char* error) {
    auto* lattice = static_cast<CLattice*>(lua_getlattiace(L));
    const void* net = lua_getnet(L);
    if (!lattice || !net) return;
    const std::string name = RuleNetName(net);
    if (lattice->msgBuff) {
        BoundedText messages(lattice->msgBuff, kLatticeMsgSize);
        messages.Append((name + ":" + error + "<br/>").c_str());
    }
    const std::string dumpName = name + "_log";
    WriteLog(dumpName.c_str(), code);
    std::puts(error);
    std::printf("Check code file:%s.lua\n\n", dumpName.c_str());
    std::fflush(stdout);
}

}  // namespace

bool RunLua_Code(lua_State* L, const char* code) {
    if (!L) return false;
    if (!code) code = "";
    const int top = lua_gettop(L);
    lua_pushcfunction(L, LoadCachedChunk);
    lua_pushstring(L, code);
    int status = lua_pcall(L, 1, 1, 0);
    if (status == LUA_OK) status = lua_pcall(L, 0, LUA_MULTRET, 0);
    if (status != LUA_OK) {
        const char* error = lua_tostring(L, -1);
        ReportFailure(L, code, error ? error : "(error object is not a string)");
    }
    lua_settop(L, top);
    return true;
}

void WriteLog(const char* name, const char* text) {
    if (!name || !text) return;
    // Workers of a batch run that fail in the same network write the same
    // file: one writes it whole before the next begins.
    static std::mutex writing;
    std::lock_guard<std::mutex> lock(writing);
    const std::string fileName = std::string(name) + ".lua";
    FILE* file = std::fopen(fileName.c_str(), "wb");
    if (!file) return;
    std::fwrite(text, 1, std::strlen(text), file);
    std::fclose(file);
}

}  // namespace zel

zel::CLattice* GetLattice(lua_State* L) {
    return L ? static_cast<zel::CLattice*>(zel::lua_getlattiace(L)) : nullptr;
}

bool RunLua_Func(lua_State* L, char* file, const char* function, char* a, char* b, char* c) {
    using namespace zel;
    lua_State* own = nullptr;
    if (!L) {
        own = NewLuaState();
        if (!own) return false;
        luaL_openlibs(own);
        L = own;
    }
    lua_setmsgbuff(L, g_bIsOutMsg ? MessageLog() : nullptr, kMessageLogSize);
    const int top = lua_gettop(L);
    bool succeeded = true;
    if (luaL_loadfile(L, file) != LUA_OK) {
        const char* error = lua_tostring(L, -1);
        std::puts(error ? error : "");
    } else {
        lua_pcall(L, 0, 0, 0);  // the file's own errors are not reported
        lua_settop(L, top);
        lua_getglobal(L, function ? function : "");
        for (const char* argument : {a, b, c}) lua_pushstring(L, argument);
        if (lua_pcall(L, 3, 0, 0) != LUA_OK) {
            const char* error = lua_tostring(L, -1);
            _ErrorMsg("%s", error ? error : "");
            succeeded = false;
        }
    }
    lua_settop(L, top);
    // A state made here is never handed out, so it is closed on every path.
    if (own) lua_close(own);
    return succeeded;
}
