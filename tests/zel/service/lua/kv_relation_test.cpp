#include <gtest/gtest.h>

#include <string>

#include "tests/zel/service/lua/action_fixture.h"

namespace zel {
namespace {

// 我们喜欢苹果 with the words a = 我们 and b = 喜欢.
class KeyValues : public ActionTest {
protected:
    void SetUp() override {
        ActionTest::SetUp();
        Run("SetText('我们喜欢苹果') a = AddUnit(1, '我们') b = AddUnit(3, '喜欢')");
    }
};

TEST_F(KeyValues, UnitAndGridValues) {
    Run("AddUnitKV(a, 'POS', 'r') AddUnitKV(a, 'Sem', 'x y')");
    EXPECT_EQ(Eval("GetUnitKV(a, 'POS')"), "r");
    EXPECT_EQ(Eval("GetUnitKV(a, 'Missing')"), "");
    EXPECT_EQ(Eval("math.type(GetUnitKV(a, 'From'))"), "integer");
    EXPECT_EQ(Eval("GetUnitKV(a, 'To')"), "1");
    EXPECT_EQ(Eval("math.type(GetUnitKV(a, 'Word'))"), "nil");
    EXPECT_EQ(Eval("GetUnitKV(a, 'Word')"), "我们");
    EXPECT_EQ(Eval("GetUnitKV(a)"), "");
    EXPECT_EQ(Eval("GetUnitKVs(a, 'Sem')"), "x,y");
    EXPECT_EQ(Eval("GetUnitKVs(a).POS[1]"), "r");
    EXPECT_EQ(Eval("#GetUnitKVs('(9,9)')"), "0");

    Run("AddGridKV('K', 'a;b c')");
    EXPECT_EQ(Eval("GetGridKVs('K')"), "a,b,c");
    EXPECT_EQ(Eval("#GetGridKVs('(1,2)')"), "0");
    // Unit attributes index themselves in the grid under key=value keys,
    // which the whole-grid listing leaves out.
    EXPECT_EQ(Eval("(function() for k in pairs(GetGridKVs()) do if k:find('=') then return k end end end)()"),
              "nil");
    EXPECT_EQ(Eval("GetGridKVs().K[2]"), "b");
}

TEST_F(KeyValues, RelationsOnUnitsAndInTheTable) {
    // AddRelation marks the units only: the relation table stays empty.
    Run("AddRelation(a, b, 'SBV')");
    EXPECT_EQ(Eval("IsRelation(a, b, 'SBV')"), "false");
    EXPECT_EQ(Eval("GetUnitKV(a, 'USubDyn-SBV')"), "(3,2)");
    EXPECT_EQ(Eval("GetUnitKV(b, 'UHead')"), "(1,2)");
    EXPECT_EQ(Eval("GetUnitKV(b, 'RHeadDyn')"), "SBV");
    Run("AddRelation(a, b, 'VOB', 'Src')");
    EXPECT_EQ(Eval("GetUnitKV(a, 'USubSrc')"), "(3,2)");

    Run("AddRelationKV(a, b, 'SBV', 'Dir', 'L')");
    EXPECT_EQ(Eval("IsRelation(a, b, 'SBV')"), "true");
    EXPECT_EQ(Eval("IsRelation(a, b, 'SBV', 'Dir=L')"), "true");
    EXPECT_EQ(Eval("IsRelation(a, b, 'SBV', 'Dir=R')"), "false");
    EXPECT_EQ(Eval("GetRelationKVs(a, b, 'SBV').Dir[1]"), "L");
    EXPECT_EQ(Eval("GetRelationKVs(a, b, 'SBV', 'Dir')"), "L");
    EXPECT_EQ(Eval("#GetRelationKVs(b, a, 'SBV')"), "0");
    EXPECT_EQ(Eval("#GetRelations('Dir=L')"), "1");
    EXPECT_EQ(Eval("(function() local r = GetRelations('Dir=L')[1] return r.U1 .. r.U2 .. r.R end)()"),
              "(1,2)(3,2)SBV");
    EXPECT_EQ(Eval("#GetRelations('Dir=R')"), "0");
    Run("AddRelationKV(b, a, 'ATT', 'Tag=x Far', '')");
    EXPECT_EQ(Eval("#GetRelations()"), "2");
    EXPECT_EQ(Eval("GetRelations()[2].R"), "ATT");
    EXPECT_EQ(Eval("IsRelation(b, a, 'ATT', 'Tag=Far')"), "true");
}

TEST_F(KeyValues, UnitsReachedByUnitExpressions) {
    Run("AddRelation(a, b, 'SBV') AddGridKV('URoot', b)");
    EXPECT_EQ(Eval("GetUnits(b, 'UHeadDyn')"), "(1,2)");
    EXPECT_EQ(Eval("GetUnits(b, 'UHeadDyn', '[Word=我们]')"), "(1,2)");
    EXPECT_EQ(Eval("#GetUnits(b, 'UHeadDyn', 'Word=他们')"), "0");
    EXPECT_EQ(Eval("GetUnits(b, 'UHeadDyn:USubDyn')"), "(3,2)");
    EXPECT_EQ(Eval("#GetUnits('(9,9)', 'UHeadDyn')"), "0");
    EXPECT_EQ(Eval("GetUnits('URoot')"), "(3,2)");
    EXPECT_EQ(Eval("GetUnits('URoot:UHeadDyn')"), "(1,2)");
    EXPECT_EQ(Eval("#GetUnits(1, 2, 3, 4)"), "0");
}

TEST_F(KeyValues, FeaturesAddUpIntoScores) {
    Run("AddRelationFeature(a, b, 'SBV', 'F1', 3) AddRelationFeature(a, b, 'SBV', 'F1', 3)");
    EXPECT_EQ(Eval("GetRelationScore(a, b, 'SBV')"), "6.0");
    EXPECT_EQ(Eval("GetRelationFeatures(a, b, 'SBV').F1"), "3");
    Run("AddRelationFeature(a, b, 'SBV', 'Score', '2') AddRelationFeature(a, b, 'SBV', 'Dist', 'far')");
    EXPECT_EQ(Eval("GetRelationScore(a, b, 'SBV')"), "8.0");
    EXPECT_EQ(Eval("GetRelationKVs(a, b, 'SBV', 'Dist')"), "far");
    EXPECT_EQ(Eval("GetRelationFeatures(a, b, 'SBV').Dist"), "nil");
    Run("AddRelationFeature(a, b, 'OBJ', 'F2')");
    EXPECT_EQ(Eval("GetRelationFeatures(a, b, 'OBJ').F2"), "0");
    EXPECT_EQ(Eval("GetRelationScore(b, a, 'SBV')"), "0.0");

    Run("AddUnitAttFeature(a, 'Role', 'F', 2) AddUnitAttFeature(a, 'Role', 'G', 5) AddUnitAttFeature(a, 'Role', 'H')");
    EXPECT_EQ(Eval("GetUnitAttScore(a, 'Role')"), "7.0");
    EXPECT_EQ(Eval("GetUnitAttFeatures(a, 'Role').G"), "5");
    EXPECT_EQ(Eval("GetUnitAttFeatures(a, 'Role').H"), "0");
    EXPECT_EQ(Eval("GetUnitAttScore(b, 'Role')"), "0.0");
    Run("AddUnitAttFeature('(9,9)', 'Role', 'F', 2)");
}

TEST_F(KeyValues, MisuseMessages) {
    const struct {
        const char* code;
        const char* printed;
    } cases[] = {
        {"AddUnitKV(a, 'K')", "AddUnitKV Param Error!\n"},
        {"assert(GetUnitKV() == '')", "Param Error!\nGetUnitKV Param Error!\n"},
        {"assert(GetUnitKV('(9,9)', 'K') == '')", "GetUnitKV Param Error!\n"},
        {"AddRelation(a, b)", "AddRelation Param Error!\n"},
        {"AddRelationKV(a, b, 'R', 'K')", "AddRelationKV Param Error!\n"},
        {"assert(IsRelation(a, {}, 'R') == false)", "IsRelation Param Error!\n"},
        {"assert(#GetRelationKVs(a) == 0)", "GetRelationKVs Param Error!\n"},
        {"assert(#GetRelations('a', 'b') == 0)", "GetRelation Param Error!\n"},
        {"AddGridKV('K')", "AddGridKV Param Error!\n"},
        {"assert(#GetGridKVs('a', 'b') == 0)", "GetGridKVs Param Error!\n"},
        {"AddRelationFeature(a, b, 'R')", "AddRelationFeature Param Error!\n"},
        {"AddRelationFeature(a, b, 'R', 'F', 1, 2)", ""},
        {"AddUnitAttFeature(a, 'K', 'F', 'x')", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(Printed(c.code), c.printed) << c.code;
}

}  // namespace
}  // namespace zel
