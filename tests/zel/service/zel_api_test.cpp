// The exported ZEL_ functions over one lattice: match paths, queries, edits
// and word tables, with the output-buffer rules they share.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "include/zellib.h"
#include "support/test_support.h"
#include "zel/lattice/lattice.h"
#include "zel/rules/tables/table_functions.h"
#include "zel/service/config_loaders.h"
#include "zel/service/server_start.h"
#include "zel/service/start_state.h"

namespace zel {
namespace {

class ZelApi : public ::testing::Test {
protected:
    void SetUp() override { handle = ZEL_LatticeInit(); }
    void TearDown() override {
        ZEL_Term(handle);
        g_psTablePath.clear();
    }
    // out after a JSON or text answer of f(out, size).
    template <typename F>
    std::string Answer(F f) {
        char out[4096] = "";
        f(out, static_cast<int>(sizeof out));
        return out;
    }
    void* handle = nullptr;
};

void PutInt32(std::string& bytes, int32_t value) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>((static_cast<uint32_t>(value) >> (8 * i)) & 0xFF));
}

// The node part of an encoded action record: nodes of (tag number, column,
// unit index, tag).
std::string NodePart(const std::vector<std::vector<int>>& nodes) {
    std::string bytes;
    PutInt32(bytes, static_cast<int32_t>(nodes.size()));
    for (const std::vector<int>& node : nodes) {
        PutInt32(bytes, 12 + 1);
        for (int value : node) PutInt32(bytes, value);
        bytes.push_back('T');
    }
    return bytes;
}

TEST_F(ZelApi, MatchPathPositionsCountFromBothEnds) {
    ASSERT_EQ(ZEL_SetText(handle, "甲乙丙"), 1);
    const std::string path = NodePart({{2, 0, 1}, {4, 1, 1}, {6, 2, 1}});
    EXPECT_EQ(ZEL_SetFSAPath(handle, path.data()), 1);
    EXPECT_EQ(ZEL_GetFSANodeByInt(handle, -1), 3);
    struct Case {
        int n;
        const char* id;
    };
    for (const Case& c : {Case{0, "(2,1)"}, Case{-3, "(2,1)"}, Case{2, "(0,1)"}, Case{-1, "(0,1)"}, Case{3, ""},
                          Case{-4, ""}}) {
        char out[32] = "old";
        ZEL_GetUnitByInt(handle, c.n, out, sizeof out);
        EXPECT_STREQ(out, c.id) << c.n;
    }
    const std::string empty = NodePart({});
    EXPECT_EQ(ZEL_SetFSAPath(handle, empty.data()), 1);
    EXPECT_EQ(ZEL_GetFSANodeByInt(handle, -1), 0);
    EXPECT_EQ(ZEL_GetFSANodeByInt(nullptr, -1), 0);
}

TEST_F(ZelApi, ConversionBuffersAreReused) {
    char* first = ZEL_GbkToUtf8(qztest::Gbk("甲").c_str());
    EXPECT_STREQ(first, "甲");
    char* second = ZEL_GbkToUtf8(qztest::Gbk("乙").c_str());
    EXPECT_EQ(first, second);
    EXPECT_STREQ(second, "乙");
    EXPECT_EQ(ZEL_Utf8ToGbk("乙"), qztest::Gbk("乙"));
}

TEST_F(ZelApi, TextAndGridQueries) {
    ASSERT_EQ(ZEL_SetText(handle, "甲乙"), 1);
    EXPECT_EQ(Answer([&](char* o, int s) { return ZEL_GetGrid(handle, o, s); }), "[[\"(0,1)\"],[\"(1,1)\"]]");
    EXPECT_EQ(Answer([&](char* o, int s) { return ZEL_GetUnits(handle, o, s); }), "[\"(0,1)\",\"(1,1)\"]");
    EXPECT_EQ(Answer([&](char* o, int s) { return ZEL_GetUnitsByKV(handle, "URoot", o, s); }), "[]");
    EXPECT_EQ(Answer([&](char* o, int s) { return ZEL_GetTextByRange(handle, 0, -1, o, s); }), "甲乙");
    char out[16] = "old";
    EXPECT_EQ(ZEL_GetTextByRange(handle, 2, 1, out, sizeof out), 0);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(ZEL_GetTextByRange(handle, 0, 2, out, sizeof out), 0);
    EXPECT_EQ(Answer([&](char* o, int s) { return ZEL_GetWord(handle, "(1,-2)", o, s); }), "甲乙");
    EXPECT_EQ(Answer([&](char* o, int s) { return ZEL_GetWord(handle, "(0,-2)", o, s); }), "");
    EXPECT_EQ(Answer([&](char* o, int s) { return ZEL_GetTextByUnit(handle, "(1,1)", o, s); }), "乙");
    EXPECT_EQ(Answer([&](char* o, int s) { return ZEL_GetUnitByRange(handle, 1, 0, o, s); }), "(1,0)");
    EXPECT_EQ(Answer([&](char* o, int s) { return ZEL_GetUnitByRange(handle, 1, 2, o, s); }), "");
    // A key with no value answers an empty array; a too small buffer keeps
    // its text and the length of that text is returned.
    char grid[3] = "";
    EXPECT_EQ(ZEL_GetGridKVs(handle, "Nothing", grid, sizeof grid), 2);
    EXPECT_STREQ(grid, "[]");
    EXPECT_EQ(ZEL_GetGrid(handle, grid, sizeof grid), 2);
    EXPECT_STREQ(grid, "[]");
}

TEST_F(ZelApi, UnitExpressionsFromAUnitAndFromTheRoots) {
    ASSERT_EQ(ZEL_SetText(handle, "红苹果"), 1);
    const std::string fruit = Answer([&](char* o, int s) { return ZEL_AddUnit(handle, 2, "苹果", o, s); });
    ASSERT_EQ(ZEL_AddRelation(handle, "(0,1)", fruit.c_str(), "MOD"), 1);
    const auto byNo = [&](const char* id, const char* expression, const char* condition) {
        return Answer([&](char* o, int s) { return ZEL_GetUnitsByNo(handle, id, expression, condition, o, s); });
    };
    EXPECT_EQ(byNo(fruit.c_str(), "UHeadDyn", ""), "[\"(0,1)\"]");
    EXPECT_EQ(byNo(fruit.c_str(), "UHeadDyn", "Word=红"), "[\"(0,1)\"]");
    EXPECT_EQ(byNo(fruit.c_str(), "UHeadDyn", "Word=绿"), "[]");
    EXPECT_EQ(byNo(fruit.c_str(), "UHeadDyn:USubDyn", nullptr), "[\"" + fruit + "\"]");
    char untouched[8] = "x";
    EXPECT_EQ(ZEL_GetUnitsByNo(handle, "(9,9)", "UHeadDyn", "", untouched, static_cast<int>(sizeof untouched)), 0);
    EXPECT_STREQ(untouched, "");

    ASSERT_EQ(ZEL_AddGridKV(handle, "URoot", fruit.c_str()), 1);
    EXPECT_EQ(Answer([&](char* o, int s) { return ZEL_GetUnitsByKV(handle, "URoot:UHeadDyn", o, s); }),
              "[\"(0,1)\"]");
}

TEST_F(ZelApi, EditsAndPredicates) {
    ASSERT_EQ(ZEL_SetText(handle, "红苹果"), 1);
    const std::string id = Answer([&](char* o, int s) { return ZEL_AddUnit(handle, 2, "苹果", o, s); });
    EXPECT_FALSE(id.empty());
    EXPECT_EQ(Answer([&](char* o, int s) { return ZEL_AddUnit(handle, 2, "苹果", o, s); }), id);
    EXPECT_EQ(Answer([&](char* o, int s) { return ZEL_GetUnitKVs(handle, id.c_str(), "Word", o, s); }), "[\"苹果\"]");
    EXPECT_EQ(ZEL_AddUnitKV(handle, "3", "Sem", "fruit"), 0);
    EXPECT_EQ(ZEL_AddUnitKV(handle, id.c_str(), "Sem", "fruit"), 1);
    EXPECT_EQ(ZEL_IsUnit(handle, id.c_str(), "Sem=fruit"), 1);
    EXPECT_EQ(ZEL_IsUnit(handle, id.c_str(), "Sem=veg"), 0);
    EXPECT_EQ(ZEL_IsUnit(handle, id.c_str(), ""), 0);

    EXPECT_EQ(ZEL_AddRelation(handle, "(0,1)", id.c_str(), "MOD"), 1);
    EXPECT_EQ(ZEL_AddRelation(handle, "(0,1)", "(9,9)", "MOD"), 0);
    EXPECT_EQ(ZEL_IsRelation(handle, "(0,1)", id.c_str(), "MOD", ""), 1);
    EXPECT_EQ(ZEL_AddRelationKV(handle, "(0,1)", id.c_str(), "MOD", "a", "1"), 1);
    EXPECT_EQ(ZEL_IsRelation(handle, "(0,1)", id.c_str(), "MOD", "a=1&b=2"), 0);
    EXPECT_EQ(ZEL_AddRelationKV(handle, "(0,1)", id.c_str(), "MOD", "b", "2"), 1);
    EXPECT_EQ(ZEL_IsRelation(handle, "(0,1)", id.c_str(), "MOD", "a=1&b=2"), 1);
    // A relation only given attributes exists as a record too.
    EXPECT_EQ(ZEL_AddRelationKV(handle, "(1,1)", "(2,1)", "X", "Tag", "y"), 1);
    EXPECT_EQ(ZEL_IsRelation(handle, "(1,1)", "(2,1)", "X", nullptr), 1);
    static char relations[ZEL_LIST_ANSWER_BYTES];
    ZEL_GetRelations(handle, "y", relations);
    EXPECT_STREQ(relations, "");
    ZEL_GetRelations(handle, "Tag=y", relations);
    EXPECT_STREQ(relations, "[[\"(1,1)\",\"(2,1)\",\"X\"]]");

    EXPECT_EQ(ZEL_AddGridKV(handle, "K", "v w"), 1);
    EXPECT_EQ(Answer([&](char* o, int s) { return ZEL_GetGridKVs(handle, "K", o, s); }), "[\"v\",\"w\"]");

    EXPECT_EQ(ZEL_SetLexicon(handle, "Lex"), 1);
    EXPECT_EQ(ZEL_SetLexicon(handle, ""), 0);
    EXPECT_EQ(static_cast<CLattice*>(handle)->lexiconTable, "Lex");
    EXPECT_EQ(ZEL_SetHead(handle, "(9,9)", "(0,1)"), 1);
    EXPECT_EQ(ZEL_SetHead(nullptr, "(0,1)", "(0,1)"), 0);
}

TEST_F(ZelApi, WordTablesBuiltBesideTheLoadedOnes) {
    qztest::TempDir dir;
    g_psTablePath = dir.path();
    char names[ZEL_LIST_ANSWER_BYTES] = "";
    qztest::WriteFile(dir.file("fruit.json"), R"({"Table":"Fruit","Units":[
        {"Unit":"苹果","Att":{"POS":"n","Coll":["吃"]}},{"Unit":"果汁","Att":{"POS":"n"}},{"Unit":"吃","Att":{"POS":"v"}}]})");
    EXPECT_GT(ZEL_MakeTable(dir.file("fruit.json").c_str(), names), 0);
    EXPECT_STREQ(names, "[\"Fruit\"]");
    ASSERT_TRUE(CollInit("{\"Path\":\"x\",\"Data\":[\"fruittable\"]}"));
    EXPECT_EQ(Answer([&](char* o, int s) { return ZEL_GetTable(handle, o, s); }), "[\"Fruit\"]");

    // A second build leaves the loaded tables in place.
    qztest::WriteFile(dir.file("more.txt"), qztest::Gbk(".Other\n甲 A=1\n"));
    ZEL_MakeTable(dir.file("more.txt").c_str(), names);
    EXPECT_TRUE(LookupTable("Fruit"));

    // Items in the table's own (byte) order.
    EXPECT_EQ(Answer([&](char* o, int s) { return ZEL_GetTableItems(handle, "Fruit", "", o, s); }),
              "[\"吃\",\"果汁\",\"苹果\"]");
    EXPECT_EQ(Answer([&](char* o, int s) { return ZEL_GetTableItems(handle, "Fruit", "POS=v", o, s); }), "[\"吃\"]");
    EXPECT_EQ(Answer([&](char* o, int s) { return ZEL_GetTableItemKVs(handle, "Fruit", "吃", "POS", o, s); }),
              "[\"v\"]");
    EXPECT_EQ(ZEL_IsTable(handle, "Fruit", "", ""), 1);
    EXPECT_EQ(ZEL_IsTable(handle, "无", "吃", ""), 0);
    EXPECT_EQ(ZEL_IsTable(handle, "Fruit", "吃", "POS=v"), 1);
    EXPECT_EQ(ZEL_IsTable(handle, "Fruit", "吃", "POS=n"), 0);
    EXPECT_EQ(Answer([&](char* o, int s) { return ZEL_GetPrefix(handle, "Fruit", "苹果好吃", o, s); }), "苹果");
    EXPECT_EQ(Answer([&](char* o, int s) { return ZEL_GetSuffix(handle, "Fruit", "喝果汁", o, s); }), "果汁");
    char out[8] = "old";
    EXPECT_EQ(ZEL_GetPrefix(nullptr, "水果", "苹果", out, sizeof out), 0);
    EXPECT_STREQ(out, "old");
}

}  // namespace
}  // namespace zel
