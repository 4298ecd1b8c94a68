// Lua functions of rule actions over the lattice's bracketing trees: build
// trees for the sentence, its clauses or one unit, read them back as
// bracketed text, and walk their nodes. Registered with the other action
// functions (regist_func.cpp).
#pragma once

struct lua_State;

namespace zel::actions {

// "RTree", "CreateRT"
int CreateBTEx(lua_State* L);
// "GetRTree"
int GetTreeEx_RT(lua_State* L);
// "GetRT"
int GetBT(lua_State* L);
// "IsRTNode", "GetRTNode"
int GetBTNode(lua_State* L);
// "GetRTNodeFromTo", "GetRTFromTo"
int GetBTNodeFromTo(lua_State* L);
// "GetRTParent"
int GetBTParent(lua_State* L);
// "GetRTChild"
int GetBTChild(lua_State* L);
// "GetRTTreeNum"
int GetBTTreeNum(lua_State* L);
// "GetRTNodeNum"
int GetBTNodeNum(lua_State* L);

}  // namespace zel::actions
