// Lua functions of rule actions over the lattice's bracketing trees: build
// trees for the sentence, its clauses or one unit, read them back as
// bracketed text, and walk their nodes.
#pragma once

struct lua_State;

namespace zel {

// Registers "RTree", "CreateRT", "GetRTree", "GetRT", "IsRTNode",
// "GetRTNode", "GetRTNodeFromTo", "GetRTFromTo", "GetRTParent",
// "GetRTChild", "GetRTTreeNum" and "GetRTNodeNum" as globals of L.
void RegistTreeFunctions(lua_State* L);

}  // namespace zel
