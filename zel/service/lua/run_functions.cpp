// The return text of a lattice, match-path node ranges, the image folder
// and lines written to the HTTP request being served.
#include <string>

#include "zel/lattice/lattice.h"
#include "zel/lattice/lua_slots.h"
#include "zel/service/image_folder.h"
#include "zel/service/lua/action_args.h"
#include "zel/service/lua/action_functions.h"
#include "zel/service/web_request.h"

namespace zel::actions {

int Return(lua_State* L) {
    const int n = lua_gettop(L);
    CLattice* lattice = LatticeOf(L);
    if (!lattice) return 0;
    if (n == 1 && IsText(L, 1)) {
        lattice->returnText = TextArg(L, 1);
    } else if (n == 2 && IsInteger(L, 1) && lua_istable(L, 2)) {
        const lua_Integer count = lua_tointeger(L, 1);
        lattice->returnText.clear();
        for (lua_Integer i = 1; i <= count; ++i) {
            lua_rawgeti(L, 2, i);
            // An entry that is neither text nor number adds nothing, not
            // even its separator.
            if (IsText(L, -1)) lattice->returnText += TextArg(L, -1) + "|";
            lua_pop(L, 1);
        }
    }
    lua_pushboolean(L, 1);
    return 1;
}

int GetReturn(lua_State* L) {
    CLattice* lattice = LatticeOf(L);
    if (!lattice) return 0;
    std::string text;
    text.swap(lattice->returnText);
    lua_pushlstring(L, text.data(), text.size());
    return 1;
}

int GetNo(lua_State* L) {
    CLattice* lattice = LatticeOf(L);
    int from = -2, to = -2;
    if (lattice && lua_gettop(L) == 1 && IsText(L, 1) && !lattice->GetNodeNo(TextArg(L, 1).c_str(), from, to))
        from = to = -2;
    lua_pushinteger(L, from);
    lua_pushinteger(L, to);
    return 2;
}

int GetGraphPath(lua_State* L) {
    lua_pushstring(L, g_szImgPathName.empty() ? "." : g_szImgPathName.c_str());
    return 1;
}

int WebPrint(lua_State* L) {
    CLattice* lattice = LatticeOf(L);
    auto* request = static_cast<ZelWebRequest*>(lua_getweb(L));
    if (request && lattice) request->AddLine(lua_gettop(L) == 0 ? lattice->returnText : TextArg(L, 1));
    lua_pushinteger(L, 0);
    return 1;
}

}  // namespace zel::actions
