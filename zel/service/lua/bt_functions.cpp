// Every function checks its arguments before it makes a C++ object with a
// destructor: a Lua error jumps over C++ frames.
#include "zel/service/lua/bt_functions.h"

#include <lua.hpp>

#include <string>

#include "common/text/gbk_char.h"
#include "zel/lattice/lattice.h"
#include "zel/service/lua/action_args.h"

namespace zel::actions {

namespace {

// Tree texts are cut to these sizes less one byte.
constexpr size_t kTreeTextSize = 512000;
constexpr size_t kJsonTreeSize = 524288;
constexpr size_t kAllTreesSize = 52428800;

void PushCut(lua_State* L, const std::string& text, size_t size) {
    lua_pushlstring(L, text.data(), qz::GbkPrefixLength(text, size - 1));
}

std::string TreeText(const CBT& parser, int tree) {
    std::string text;
    parser.GetTree(tree, 0, text, true);
    return text;
}

// The node record of a running node number of the map, or null.
const CNode_BT* IndexedNode(const CLattice& lattice, lua_State* L) {
    if (lua_gettop(L) != 1 || !lua_isinteger(L, 1)) return nullptr;
    const CBT& parser = lattice.bracketParser;
    const lua_Integer k = lua_tointeger(L, 1);
    if (k < 0 || k >= parser.latticeMap.IdentifiedCount()) return nullptr;
    const auto& [tree, node] = parser.latticeMap.Identified(static_cast<int>(k));
    if (tree >= parser.TreeCount()) return nullptr;
    const BTNodes& nodes = parser.StoredTree(tree);
    return node >= 0 && static_cast<size_t>(node) < nodes.size() ? &nodes[static_cast<size_t>(node)] : nullptr;
}

// Trees of the clauses between commas, two-layer builds stored directly.
void SimpleTrees(CLattice& lattice) {
    lattice.SplitSentence();
    for (int r = 0; r < lattice.clauseRangeCount; ++r) {
        const auto& [first, after] = lattice.clauseRanges[static_cast<size_t>(r)];
        lattice.CreateBT_Simple(false, first, after - 1);
    }
}

// One tree per range of SplitSentenceEx, stored when it could be built.
void RangeTrees(CLattice& lattice) {
    lattice.SplitSentenceEx();
    for (int r = 0; r < lattice.clauseRangeCount; ++r) {
        const auto& [first, last] = lattice.clauseRanges[static_cast<size_t>(r)];
        if (lattice.CreateBT(0, first, last)) lattice.bracketParser.AddTreeToTrees();
    }
}

}  // namespace

int CreateBTEx(lua_State* L) {
    CLattice* lattice = LatticeOf(L);
    if (!lattice) return 0;
    CBT& parser = lattice->bracketParser;
    const int n = lua_gettop(L);
    if (n == 1 && !IsInteger(L, 1) && IsText(L, 1)) {
        // A unit's span, added to the trees already built.
        CUnit* unit = lattice->GetLatticeUnit(lua_tostring(L, 1));
        std::string text;
        if (unit && lattice->CreateBT(0, unit->From, unit->To)) {
            parser.AddTreeToTrees();
            text = TreeText(parser, parser.TreeCount() - 1);
        }
        parser.SetBT2LatticeInitInfo();
        PushCut(L, text, kTreeTextSize);
        return 1;
    }
    parser.ClearBT2Lattice();
    parser.ClearTrees();
    if (n == 1 && lua_isinteger(L, 1) && lua_tointeger(L, 1) == 1)
        SimpleTrees(*lattice);
    else
        RangeTrees(*lattice);
    parser.SetBT2LatticeInitInfo();
    PushCut(L, TreeText(parser, 0), kTreeTextSize);
    return 1;
}

int GetTreeEx_RT(lua_State* L) {
    CLattice* lattice = LatticeOf(L);
    if (!lattice) return 0;
    std::string tree = TreeText(lattice->bracketParser, 0);
    tree.resize(qz::GbkPrefixLength(tree, kJsonTreeSize - 1));
    PushCut(L, "{\"Type\":\"Tree\",\"Units\":[\"" + tree + "\"]}", kJsonTreeSize);
    return 1;
}

int GetBT(lua_State* L) {
    CLattice* lattice = LatticeOf(L);
    if (!lattice) {
        lua_pushstring(L, "");
        return 1;
    }
    const bool flag = !(lua_gettop(L) == 1 && lua_isinteger(L, 1) && lua_tointeger(L, 1) == 0);
    std::string text;
    lattice->bracketParser.GetTree(0, 0, text, flag);
    PushCut(L, text, kAllTreesSize);
    return 1;
}

int GetBTNode(lua_State* L) {
    CLattice* lattice = LatticeOf(L);
    if (!lattice) return 0;
    const int n = lua_gettop(L);
    int from = -1, to = -1;
    if (n == 1) {
        CUnit* unit = IsText(L, 1) ? lattice->GetLatticeUnit(lua_tostring(L, 1)) : nullptr;
        if (unit) {
            from = unit->From;
            to = unit->To;
        }
    } else if (n == 2) {
        if (lua_isinteger(L, 1) && lua_isinteger(L, 2)) {
            const std::string a = std::to_string(lua_tointeger(L, 1));
            const std::string b = std::to_string(lua_tointeger(L, 2));
            int index = 0;
            CUnit* first = lattice->GetUnit(a.c_str(), index);
            CUnit* last = lattice->GetUnit(b.c_str(), index);
            if (first && last) {
                from = first->From;
                to = last->To;
            }
        }
    } else {
        ParamError("Param Error!");
    }
    lua_pushinteger(L, from < 0 || to < 0 ? -1 : lattice->bracketParser.GetBTNode(from, to));
    return 1;
}

int GetBTNodeFromTo(lua_State* L) {
    CLattice* lattice = LatticeOf(L);
    const CNode_BT* node = lattice ? IndexedNode(*lattice, L) : nullptr;
    lua_pushinteger(L, node ? node->first : -1);
    lua_pushinteger(L, node ? node->last : -1);
    return 2;
}

int GetBTParent(lua_State* L) {
    CLattice* lattice = LatticeOf(L);
    const CNode_BT* node = lattice ? IndexedNode(*lattice, L) : nullptr;
    lua_pushinteger(L, node ? node->parent : -1);
    return 1;
}

int GetBTChild(lua_State* L) {
    CLattice* lattice = LatticeOf(L);
    const CNode_BT* node = lattice ? IndexedNode(*lattice, L) : nullptr;
    lua_newtable(L);
    lua_Integer key = 1;
    if (node && node->firstChild >= 0) {
        lua_pushinteger(L, node->firstChild);
        lua_rawseti(L, -2, key++);
    }
    if (node && node->secondChild >= 0) {
        lua_pushinteger(L, node->secondChild);
        lua_rawseti(L, -2, key);
    }
    return 1;
}

int GetBTTreeNum(lua_State* L) {
    CLattice* lattice = LatticeOf(L);
    lua_pushinteger(L, lattice ? lattice->bracketParser.TreeCount() : 0);
    return 1;
}

int GetBTNodeNum(lua_State* L) {
    const int n = lua_gettop(L);
    const lua_Integer tree = n == 1 ? luaL_checkinteger(L, 1) : -1;
    CLattice* lattice = LatticeOf(L);
    if (!lattice) {
        lua_pushinteger(L, 0);
        return 1;
    }
    const CBT& parser = lattice->bracketParser;
    size_t count = parser.CurrentTree().size();
    if (n == 1) count = tree >= 0 && tree < parser.TreeCount() ? parser.StoredTree(static_cast<int>(tree)).size() : 0;
    lua_pushinteger(L, static_cast<lua_Integer>(count));
    return 1;
}

}  // namespace zel::actions
