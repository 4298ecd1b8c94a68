#include <gtest/gtest.h>

#include <lua.hpp>

#include <string>
#include <vector>

#include "tests/zel/service/lua/action_fixture.h"
#include "zel/lattice/lua_slots.h"

namespace zel {
namespace {

// Names of one row are served by one function.
const std::vector<std::vector<std::string>> kNameRows = {
    {"SetLexicon", "Lexicon"}, {"AddStructure", "Structure"}, {"CallService", "Service"},
    {"SetText", "InputText", "AddText"}, {"GetText"}, {"GetGraphPath"}, {"GetUnits"}, {"Reduce"}, {"AddUnit"},
    {"IsUnit"}, {"IsRelation"}, {"GetFSANode"}, {"GetWord"}, {"GetUnit", "GetUnitFSA", "GetFSAUnit"},
    {"GetGrid"}, {"AddUnitKV"}, {"GetUnitKVs"}, {"GetUnitKV"}, {"AddRelation"}, {"AddRelationKV"},
    {"GetRelationKVs"}, {"GetRelations"}, {"AddGridKV"}, {"GetGridKVs"}, {"GB2UTF8"}, {"UTF82GB"},
    {"Ban2Quan"}, {"Quan2Ban"}, {"GetLog", "GetLogs"}, {"AddRelationFeature"}, {"GetRelationFeatures"},
    {"GetRelationScore"}, {"AddUnitAttFeature"}, {"GetUnitAttFeatures"}, {"GetUnitAttScore"}, {"WebPrint"},
    {"SetHeadWord"}, {"SetHead"}, {"GetHead"}, {"GetHeadWord"}, {"Return"}, {"GetReturn"}, {"GetChildren"},
    {"GetParents"}, {"GetTreeInfo"}, {"GetParam"}, {"Relate"}, {"GetFSAs", "GetRuleSets"}, {"GetSTree"},
    {"RTree", "CreateRT"}, {"GetRTree"}, {"GetRT"}, {"IsRTNode", "GetRTNode"}, {"GetRTNodeFromTo", "GetRTFromTo"},
    {"GetRTParent"}, {"GetRTChild"}, {"GetRTTreeNum"}, {"GetRTNodeNum"}, {"GetPrefix"}, {"GetSuffix"},
    {"GetTableKVs", "GetTableItemKVs"}, {"IsTable", "LookupTable"}, {"GetTableItems"}, {"GetTableKVItems"},
    {"GetTableWordItems"}, {"IsBeg"}, {"IsEnd"}, {"IsIn"}, {"IsEqu"},
};

using Registration = ActionTest;

TEST_F(Registration, EveryNameIsAFunctionAndAliasesShareOne) {
    for (const auto& row : kNameRows) {
        for (const std::string& name : row) {
            lua_getglobal(L, name.c_str());
            EXPECT_TRUE(lua_iscfunction(L, -1)) << name;
            lua_getglobal(L, row[0].c_str());
            EXPECT_TRUE(lua_rawequal(L, -1, -2)) << name << " is not " << row[0];
            lua_pop(L, 2);
        }
    }
    EXPECT_EQ(Eval("GetUnit == GetText"), "false");
}

TEST(RegistFunc, RegistersOnAnyStateAndRefusesNone) {
    EXPECT_EQ(RegistFunc(nullptr), -1);
    lua_State* L = NewLuaState();
    EXPECT_EQ(RegistFunc(L), 1);
    EXPECT_EQ(lua_gettop(L), 0);
    // Without a lattice the functions do nothing and fail nothing.
    EXPECT_EQ(luaL_dostring(L, "AddUnit(1, 'x') GetUnits() RTree() return Return('x')"), LUA_OK);
    lua_close(L);
}

}  // namespace
}  // namespace zel
