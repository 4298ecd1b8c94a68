#include "qav/service/lua/query_state.h"

#include <lua.hpp>

#include "qav/index/base/config.h"
#include "qav/service/lua/lua_slots.h"
#include "qav/service/lua/query_functions.h"
#include "qav/service/lua/query_sandbox.h"

namespace qav {

lua_State* NewQueryState(CQAVSearch* search) {
    lua_State* L = QavNewLuaState();
    if (!L) return nullptr;
    luaL_openlibs(L);
    RegistFunc(L);
    QavSetSearchSlot(L, search, kEngineStructured);
    QavSandboxQueryState(L);
    return L;
}

}  // namespace qav
