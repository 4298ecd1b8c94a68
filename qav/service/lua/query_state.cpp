#include "qav/service/lua/query_state.h"

#include <lua.hpp>

#include "qav/index/base/config.h"
#include "qav/service/lua/lua_slots.h"
#include "qav/service/lua/query_functions.h"
#include "qav/service/lua/query_sandbox.h"

namespace qav {

namespace {

lua_State* NewStateFor(void* search, int kind) {
    lua_State* L = QavNewLuaState();
    if (!L) return nullptr;
    luaL_openlibs(L);
    RegistFunc(L);
    QavSetSearchSlot(L, search, kind);
    QavSandboxQueryState(L);
    return L;
}

}  // namespace

lua_State* NewQueryState(CQAVSearch* search) { return NewStateFor(search, kEngineStructured); }

lua_State* NewFullTextQueryState(CBMSearch* search) { return NewStateFor(search, kEngineFullText); }

}  // namespace qav
