#include <gtest/gtest.h>
#include <lua.hpp>

#include <string>

#include "support/test_support.h"
#include "zel/lattice/lattice.h"
#include "zel/models/hz_ngram.h"
#include "zel/service/lua/regist_func.h"

namespace zel {
namespace {

using qztest::Gbk;
using qztest::Utf8;

// Without n-gram models every split scores alike and the leftmost comes first.
class TreeFunctions : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(g_pHZNGram, nullptr);
        Build("甲乙丙");
    }
    void Build(const char* utf8) {
        ASSERT_TRUE(lattice.LatticeBuild(Gbk(utf8).c_str()));
        RegistFunc(lattice.L);
    }
    // Runs a chunk that returns one value and gives it as text (UTF-8).
    std::string Run(const std::string& code) {
        lua_State* L = lattice.L;
        const int top = lua_gettop(L);
        if (luaL_dostring(L, Gbk(code).c_str()) != LUA_OK) {
            std::string error = lua_tostring(L, -1);
            lua_settop(L, top);
            return "error: " + error;
        }
        std::string value = luaL_tolstring(L, top + 1, nullptr);
        lua_settop(L, top);
        return Utf8(value);
    }

    CLattice lattice;
};

TEST_F(TreeFunctions, BuildsTreesAndWalksTheirNodes) {
    EXPECT_EQ(Run("return RTree()"), "((甲)((乙)(丙)))");
    EXPECT_EQ(Run("return GetRTTreeNum()"), "1");
    EXPECT_EQ(Run("return GetRT()"), "((甲)((乙)(丙)))");
    EXPECT_EQ(Run("return GetRT(0)"), "(甲乙丙(甲)(乙丙(乙)(丙)))");
    EXPECT_EQ(Run("return GetRTree()"), "{\"Type\":\"Tree\",\"Units\":[\"((甲)((乙)(丙)))\"]}");

    std::string id;
    ASSERT_TRUE(lattice.AddNewUnit(2, Gbk("乙丙").c_str(), kUnitWord, id, -1, true, ""));
    EXPECT_EQ(Run("return IsRTNode('" + id + "')"), "1");
    EXPECT_EQ(Run("return GetRTNode('(0,1)')"), "-1");  // a leaf
    EXPECT_EQ(Run("return IsRTNode('(9,9)')"), "-1");
    EXPECT_EQ(Run("return IsRTNode(1, 2)"), "-1");      // no match path
    testing::internal::CaptureStdout();
    EXPECT_EQ(Run("return IsRTNode()"), "-1");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Param Error!\n");

    EXPECT_EQ(Run("local a, b = GetRTNodeFromTo(1) return a .. ',' .. b"), "1,2");
    EXPECT_EQ(Run("local a, b = GetRTFromTo(-1) return a .. ',' .. b"), "-1,-1");
    EXPECT_EQ(Run("local a, b = GetRTFromTo(2) return a .. ',' .. b"), "-1,-1");
    EXPECT_EQ(Run("return GetRTParent(1)"), "0");
    EXPECT_EQ(Run("return GetRTParent(0)"), "-1");
    EXPECT_EQ(Run("return table.concat(GetRTChild(0), ',')"), "1,2");
    EXPECT_EQ(Run("return #GetRTChild(5)"), "0");
    EXPECT_EQ(Run("return GetRTNodeNum(0)"), "5");
    EXPECT_EQ(Run("return GetRTNodeNum(1)"), "0");
    EXPECT_EQ(Run("return GetRTNodeNum()"), "5");
    EXPECT_EQ(Run("return GetRTNodeNum('x')").rfind("error:", 0), 0u);
}

TEST_F(TreeFunctions, UnitTreesAddUpAndAFullBuildStartsAgain) {
    std::string id;
    ASSERT_TRUE(lattice.AddNewUnit(2, Gbk("乙丙").c_str(), kUnitWord, id, -1, true, ""));
    EXPECT_EQ(Run("return RTree('" + id + "')"), "((乙)(丙))");
    EXPECT_EQ(Run("RTree('" + id + "') return GetRTTreeNum()"), "2");
    EXPECT_EQ(Run("return CreateRT('(0,1)')"), "");  // one column: no tree
    EXPECT_EQ(Run("return GetRTTreeNum()"), "2");
    EXPECT_EQ(Run("RTree() return GetRTTreeNum()"), "1");
}

TEST_F(TreeFunctions, ClauseTreesOfTheSimpleBuild) {
    Build("甲乙丙，丁戊己");
    // Per clause: the best split (after its first column), and one tree of
    // the half that has a split of its own.
    EXPECT_EQ(Run("return RTree(1)"), "((乙)(丙))");
    EXPECT_EQ(Run("return GetRTTreeNum()"), "2");
    EXPECT_EQ(Run("return IsRTNode('(6,1)')"), "-1");
    std::string id;
    ASSERT_TRUE(lattice.AddNewUnit(6, Gbk("戊己").c_str(), kUnitWord, id, -1, true, ""));
    EXPECT_EQ(Run("return IsRTNode('" + id + "')"), "1");
}

}  // namespace
}  // namespace zel
