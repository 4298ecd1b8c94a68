#include <gtest/gtest.h>

#include <string>

#include "support/test_support.h"
#include "tests/zel/rules/tables/table_support.h"
#include "tests/zel/service/lua/action_fixture.h"

namespace zel {
namespace {

// The table "colors" (with its key-value index, a unit condition and
// global attributes) loaded into the process's cluster, and the sentence
// 我们喜欢红苹果 in the lattice.
class Tables : public ActionTest {
protected:
    void SetUp() override {
        ActionTest::SetUp();
        ASSERT_TRUE(BuildTables(dir_,
                                ".colors\n红 POS=a Color=Yes\n红色 POS=n Color=Yes\n苹果 POS=n Coll=Eat\n"
                                "#Global Kind=Color\nPOS=m Color=Num\n"));
        ASSERT_TRUE(LoadTables(dir_));
        Run("SetText('我们喜欢红苹果')");
    }
    void TearDown() override {
        TableClusterExit();
        ActionTest::TearDown();
    }
    qztest::TempDir dir_;
};

TEST_F(Tables, TablesItemsAndTheirAttributes) {
    EXPECT_EQ(Eval("IsTable('colors')"), "true");
    EXPECT_EQ(Eval("LookupTable('none')"), "false");
    EXPECT_EQ(Eval("IsTable('colors', '红')"), "true");
    EXPECT_EQ(Eval("IsTable('colors', '绿')"), "false");
    EXPECT_EQ(Eval("IsTable('none', '红')"), "false");
    EXPECT_EQ(Eval("IsTable('colors', '红', 'Color=Yes')"), "true");
    EXPECT_EQ(Eval("IsTable('colors', '红', 'POS=n')"), "false");
    EXPECT_EQ(Printed("assert(IsTable('colors', '红', {}) == false)"), "IsTable Param Error!\n");

    EXPECT_EQ(Eval("GetTableKVs('colors', '苹果').Coll"), "Eat");
    EXPECT_EQ(Eval("GetTableItemKVs('colors', '苹果').Kind"), "Color");
    EXPECT_EQ(Eval("GetTableKVs('colors', '苹果', 'POS')"), "n");
    EXPECT_EQ(Eval("next(GetTableKVs('colors', '绿'))"), "nil");
    EXPECT_EQ(Printed("GetTableKVs('colors')"), "GetTableKVs Param Error!\n");
}

TEST_F(Tables, ItemListsByKindAndCondition) {
    EXPECT_EQ(Eval("#GetTableItems('colors')"), "5");
    EXPECT_EQ(Eval("GetTableItems('colors', 'Color=Yes')"), "红,红色");
    EXPECT_EQ(Eval("GetTableItems('colors', 'Color=Yes&POS=n')"), "红色");
    EXPECT_EQ(Eval("#GetTableItems('none')"), "0");
    EXPECT_EQ(Eval("GetTableWordItems('colors')"), "红,红色,苹果");
    EXPECT_EQ(Eval("GetTableWordItems('colors', 'POS=n')"), "红色,苹果");
    EXPECT_EQ(Eval("GetTableKVItems('colors')"), "POS=m");
    EXPECT_EQ(Printed("GetTableItems()"), "GetTableKVItems Param Error!\n");
    EXPECT_EQ(Printed("GetTableKVItems('a', 'b', 'c')"), "GetTableKVItems Param Error!\n");
    EXPECT_EQ(Printed("GetTableWordItems({})"), "GetTableWordItems Param Error!\n");
}

TEST_F(Tables, WordsAtTheEdgesOfTextsUnitsAndColumns) {
    EXPECT_EQ(Eval("GetPrefix('colors', '红色的花')"), "红色");
    EXPECT_EQ(Eval("GetPrefix('colors', '花')"), "");
    EXPECT_EQ(Eval("GetPrefix('none', '红')"), "");
    EXPECT_EQ(Eval("GetSuffix('colors', '吃苹果')"), "苹果");
    EXPECT_EQ(Printed("GetPrefix('colors')"), "Prefix Param Error!\n");
    EXPECT_EQ(Printed("GetSuffix()"), "Suffix Param Error!\n");

    const struct {
        const char* call;
        const char* found;
    } cases[] = {
        {"IsBeg('红色的花', 'colors')", "true 红色"},
        {"IsEnd('吃苹果', 'colors')", "true 苹果"},
        {"IsBeg('花', 'colors')", "false "},
        {"IsBeg(4, 'colors')", "true 红"},
        {"IsBeg(3, 'colors')", "false "},
        {"IsEnd(6, 'colors')", "true 苹果"},
        {"IsEnd(4, 'colors')", "true 红"},
        {"IsBeg(AddUnit(6, '苹果'), 'colors')", "true 苹果"},
        {"IsEnd(AddUnit(4, '红'), 'colors')", "true 红"},
        {"IsBeg('(9,9)', 'colors')", "false "},
        {"IsEqu('红', 'colors')", "true POS=a Color=Yes Kind=Color"},
        // A unit matches by its word and again by its head word.
        {"IsEqu('(4,1)', 'colors')", "true POS=a Color=Yes POS=a Color=Yes Kind=Color"},
        {"IsEqu('绿', 'colors')", "false "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Eval(std::string("(function() local f, w = ") + c.call + " return tostring(f) .. ' ' .. w end)()"),
                  c.found)
            << c.call;
    EXPECT_EQ(Printed("IsBeg('x')"), "Param Error!\n");
    EXPECT_EQ(Printed("IsEqu('x', {})"), "Param Error!\n");
}

TEST_F(Tables, NewUnitsTakeTheLexiconsAttributes) {
    Run("Lexicon('colors') u = AddUnit(6, '苹果')");
    EXPECT_EQ(Eval("GetUnitKV(u, 'Coll')"), "Eat");
    Run("Lexicon('nosuch') v = AddUnit(3, '喜欢')");
    EXPECT_EQ(Eval("GetUnitKV(v, 'Coll')"), "");
}

TEST_F(Tables, WordsInsideAText) {
    EXPECT_EQ(Eval("(function() local t = IsIn('吃红苹果', 'colors') return t['红'] .. ',' .. t['苹果'] end)()"),
              "1,3");
    EXPECT_EQ(Eval("next(IsIn('花', 'colors'))"), "nil");
    // The lattice forms go through the rule library's lattice matchers.
    EXPECT_EQ(Eval("(function() local t = IsIn('colors') return tostring(t['红']) .. ',' .. tostring(t['苹果']) end)()"),
              "4,6");
    EXPECT_EQ(Eval("(function() local t = IsIn(0, 1, 'colors') return tostring(t['红']) .. ',' .. tostring(t['苹果']) end)()"),
              "4,6");
    EXPECT_EQ(Printed("IsIn()"), "Param Error!\n");
}

}  // namespace
}  // namespace zel
