#include "zel/lattice/lua_state.h"

#include <cstdio>
#include <cstring>
#include <string>

#include <lua.hpp>

#include "zel/lattice/bounded_text.h"
#include "zel/lattice/lua_slots.h"
#include "zel/lattice/scripting_hooks.h"

extern "C" int luaopen_cjson(lua_State* L);

namespace zel {

namespace {

constexpr size_t kLineSize = 1048576;

// The line of the current call. Kept outside the call's stack frame: a Lua
// error leaves print by a long jump, which would skip a local's destructor.
thread_local std::string t_line;

void AppendToLine(const char* text) {
    size_t length = std::strlen(text);
    size_t room = kLineSize - 1 - t_line.size();
    t_line.append(text, length < room ? length : room);
}

// Copies text into the message buffer, or stops print when it does not fit.
void AppendToMessages(lua_State* L, BoundedText* messages, const char* text) {
    if (!messages) return;
    size_t length = std::strlen(text);
    if (messages->Length() + length > messages->capacity() - 1) luaL_error(L, "Too long");
    messages->Append(text, length);
}

}  // namespace

int luaB_print(lua_State* L) {
    int n = lua_gettop(L);
    BoundedText* messages = MessageBufferOf(L);
    t_line.clear();
    lua_getglobal(L, "tostring");
    for (int i = 1; i <= n; ++i) {
        lua_pushvalue(L, -1);
        lua_pushvalue(L, i);
        lua_call(L, 1, 1);
        size_t length = 0;
        const char* s = lua_tolstring(L, -1, &length);
        if (!s) return luaL_error(L, "'tostring' must return a string to 'print'");
        if (i > 1) {
            AppendToLine("\t");
            std::fputs("\t", stdout);
            AppendToMessages(L, messages, "/");
        }
        AppendToLine(s);
        std::fwrite(s, 1, length, stdout);
        AppendToMessages(L, messages, s);
        lua_pop(L, 1);
    }
    lua_print_hook(t_line.c_str());
    t_line.clear();
    std::fputs("\n", stdout);
    std::fflush(stdout);
    if (messages) {
        if (messages->Length() + 1 <= messages->capacity() - 1)
            messages->Append("/", 1);
        else
            messages->Empty();
    }
    return 0;
}

lua_State* NewLatticeLuaState() {
    lua_State* L = NewLuaState();
    if (!L) return nullptr;
    luaL_openlibs(L);
    luaL_requiref(L, "cjson", luaopen_cjson, 1);
    lua_pop(L, 1);
    lua_register(L, "print", luaB_print);
    RegisterActionFunctions(L);
    return L;
}

}  // namespace zel

int RegistJson(lua_State* L) {
    luaL_requiref(L, "cjson", luaopen_cjson, 0);
    lua_getfield(L, -1, "encode");
    lua_setglobal(L, "encode");
    lua_getfield(L, -1, "decode");
    lua_setglobal(L, "decode");
    lua_pop(L, 1);
    return 1;
}
