// Head links, head words and the tree links of a bracketed input.
#include <string>
#include <vector>

#include "zel/lattice/lattice.h"
#include "zel/service/lua/action_args.h"
#include "zel/service/lua/action_functions.h"

namespace zel::actions {

namespace {

constexpr size_t kTreeTextSize = 512000;

bool IsSet(UnitId id) { return id.first != -1 && id.second != -1; }

// Links the unit to its head, follows the head chain to its top, makes the
// unit a dependent of the top and gives it the top's head word. A unit is
// never its own head, and a chain that loops stops where it closes.
void LinkToHead(CLattice& lattice, CUnit& unit, const std::string& headReference) {
    int index = 0;
    CUnit* head = lattice.GetUnit(headReference.c_str(), index);
    if (!head || head == &unit) return;
    unit.links.head = head->id;
    CUnit* top = head;
    for (int steps = 0; IsSet(top->links.head) && steps < lattice.columnCount * 64; ++steps) {
        UnitId next = top->links.head;
        CUnit* above = lattice.GetUnit(next);
        if (!above || above == &unit || above == top) break;
        top = above;
    }
    CUnitStruct& links = top->links;
    if (links.dependents.size() == static_cast<size_t>(links.dependentCount))
        links.dependents.push_back(unit.id);
    else
        links.dependents[static_cast<size_t>(links.dependentCount)] = unit.id;
    ++links.dependentCount;
    unit.HeadWord = top->HeadWord;
}

int PushIds(lua_State* L, const std::vector<UnitId>& ids, int count) {
    std::vector<std::string> texts;
    for (int i = 0; i < count && i < static_cast<int>(ids.size()); ++i)
        texts.push_back(UnitIdText(ids[static_cast<size_t>(i)]));
    PushList(L, texts);
    return 1;
}

}  // namespace

int SetHeadWord(lua_State* L) {
    CUnit* unit = nullptr;
    std::string word;
    if (GetSetUnitInfo(L, unit, word)) AssignCut(unit->HeadWord, word.c_str(), kUnitTextSize);
    return 0;
}

int SetHead(lua_State* L) {
    CUnit* unit = nullptr;
    std::string head;
    if (GetSetUnitInfo(L, unit, head)) LinkToHead(*LatticeOf(L), *unit, head);
    return 0;
}

int GetHead(lua_State* L) {
    CUnit* unit = nullptr;
    int index = 0;
    std::string id;
    if (GetUnitInfo(L, unit, index) && IsSet(unit->links.head)) id = UnitIdText(unit->links.head);
    lua_pushlstring(L, id.data(), id.size());
    return 1;
}

int GetHeadWord(lua_State* L) {
    CUnit* unit = nullptr;
    int index = 0;
    std::string word;
    if (GetUnitInfo(L, unit, index)) word = unit->HeadWord;
    lua_pushlstring(L, word.data(), word.size());
    return 1;
}

int GetChildren(lua_State* L) {
    CUnit* unit = nullptr;
    int index = 0;
    if (!GetUnitInfo(L, unit, index)) return PushIds(L, {}, 0);
    return PushIds(L, unit->links.treeChildren, unit->links.treeChildCount);
}

int GetParents(lua_State* L) {
    CUnit* unit = nullptr;
    int index = 0;
    if (!GetUnitInfo(L, unit, index)) return PushIds(L, {}, 0);
    return PushIds(L, unit->links.treeParents, unit->links.treeParentCount);
}

int GetTree(lua_State* L) {
    CUnit* unit = nullptr;
    int index = 0;
    std::string tree;
    if (GetUnitInfo(L, unit, index)) {
        unit->GetTree(tree);
        if (tree.size() > kTreeTextSize - 1) tree.resize(kTreeTextSize - 1);
        if (!tree.empty() && tree[0] != '(') tree = "[" + tree + "]";
    }
    lua_pushlstring(L, tree.data(), tree.size());
    return 1;
}

}  // namespace zel::actions
