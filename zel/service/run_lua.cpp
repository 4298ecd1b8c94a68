#include "zel/service/run_lua.h"

#include <cstdio>

#include "zel/lattice/lattice.h"
#include "zel/service/print_output.h"

extern "C" {
#include <lauxlib.h>
#include <lua.h>
}

namespace zel {

bool RunLua(const char* file) {
    CLattice lattice;
    if (!lattice.LatticeInit(true) || !lattice.L) return true;
    lua_State* L = lattice.L;
    if (luaL_loadfile(L, file) != LUA_OK || lua_pcall(L, 0, LUA_MULTRET, 0) != LUA_OK) {
        const char* error = lua_tostring(L, -1);
        std::printf("%s\n", error ? error : "");
        if (g_fpLuaOutfile) std::fprintf(g_fpLuaOutfile, "%s\n", error ? error : "");
    }
    lua_settop(L, 0);
    lattice.LatticeExit(true);
    return true;
}

}  // namespace zel
