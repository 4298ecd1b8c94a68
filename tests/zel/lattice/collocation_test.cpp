#include "zel/lattice/collocation_tables.h"

#include <gtest/gtest.h>
#include <lua.hpp>

#include <map>
#include <string>
#include <vector>

#include "support/test_support.h"
#include "zel/lattice/kv_table.h"
#include "zel/lattice/lattice.h"
#include "zel/lattice/unit_values.h"

namespace zel {
namespace {

using qztest::Gbk;

// Word tables held in the test: name -> word -> attribute text. Matching
// compares the sentence's characters, so words are written in full width.
class TestTables : public CollocationTables {
public:
    std::map<std::string, std::map<std::string, std::string>> tables;

    bool IsStrMidEx(CLattice& lattice, const char* table, int c0, std::vector<CollMatch>& out, CUnit*) override {
        out.clear();
        const auto* words = Find(table);
        if (!words) return false;
        for (int first = std::max(c0, 0); first < lattice.columnCount && out.size() < 10; ++first)
            for (int last = first; last < lattice.columnCount; ++last) Match(lattice, *words, first, last, out);
        return !out.empty();
    }
    bool IsStrMid_R2LEx(CLattice& lattice, const char* table, int c0, std::vector<CollMatch>& out, CUnit*) override {
        const auto* words = Find(table);
        if (!words || c0 < 0) return false;
        for (int last = std::min(c0, lattice.columnCount - 1); last >= 0 && out.size() < 10; --last)
            for (int first = last; first >= 0; --first) Match(lattice, *words, first, last, out);
        return !out.empty();
    }
    bool IsStrMidUnit(CLattice&, const char* table, std::vector<CollMatch>&) override { return Find(table); }
    bool IsStrEqual(const char* table, const char* word, std::string& value) override {
        const auto* words = Find(table);
        if (!words || !words->count(word)) return false;
        value = words->at(word);
        return true;
    }
    bool IsUnitEqual(CUnit& unit, const char* table, std::string& value) override {
        return IsStrEqual(table, unit.GetWord().c_str(), value);
    }
    bool GetTable(CLattice&, const char* prefix, CUnit& unit, std::string& out) override {
        out = std::string(prefix) + "_" + unit.Word;
        if (Find(out.c_str())) return true;
        for (const std::string& synonym : Values(unit, "Syn"))
            if (Find((out = std::string(prefix) + "_" + synonym).c_str())) return true;
        return false;
    }
    bool IsLimit(CLattice&, CUnit& unit, CUnit*, const CKVTable& config, const char* text) override {
        std::vector<std::string> limits;
        int n = 0;
        config.GetKVs("Limit", limits, n);
        limits.resize(static_cast<size_t>(n));
        CKVTable own;
        own.Insert2KV(text);
        std::vector<std::string> more;
        own.GetKVs("Limit", more, n);
        limits.insert(limits.end(), more.begin(), more.begin() + n);
        for (const std::string& limit : limits)
            if (unit.CheckAtt(limit.c_str())) return true;
        return limits.empty();
    }

private:
    const std::map<std::string, std::string>* Find(const char* name) const {
        const auto found = tables.find(name);
        return found == tables.end() ? nullptr : &found->second;
    }
    static void Match(CLattice& lattice, const std::map<std::string, std::string>& words, int first, int last,
                      std::vector<CollMatch>& out) {
        const auto found = words.find(lattice.GetStr(first, last));
        if (found != words.end() && found->first[0] != '#') out.push_back({found->first, found->second, "", last});
    }
};

class Collocation : public ::testing::Test {
protected:
    void SetUp() override {
        SetCollocationTables(&tables);
        lattice.LatticeInit(true);
        lattice.reservedUnits = 1;
        lattice.BuildInitLattice(Gbk("他吃苹果和香蕉").c_str());
    }
    void TearDown() override { SetCollocationTables(nullptr); }
    CUnit& Unit(const char* id) {
        CUnit* unit = lattice.GetLatticeUnit(id);
        EXPECT_NE(unit, nullptr) << id;
        return *unit;
    }
    std::vector<std::string> LatticeValues(const std::string& key) {
        std::vector<std::string> values;
        int n = 0;
        lattice.keyValues->GetKVs(key.c_str(), values, n);
        values.resize(static_cast<size_t>(n));
        return values;
    }

    TestTables tables;
    CLattice lattice;
};

TEST_F(Collocation, AnchorsRelateTheWordsOfTheirKindsTables) {
    tables.tables["V"] = {{Gbk("吃"), "Coll=OBJ"}, {"#Global", "Src=V"}};
    tables.tables[Gbk("OBJ_吃")] = {{Gbk("苹果"), "Kind=fruit"}, {Gbk("香蕉"), ""}, {Gbk("他"), ""}};
    ASSERT_TRUE(lattice.Collocation("V", "", "S"));

    CUnit& anchor = Unit("(1,1)");  // the character unit of the anchor, reused
    EXPECT_EQ(Values(anchor, "Src"), std::vector<std::string>{"V"});
    EXPECT_EQ(Values(anchor, "Coll-OBJ"), std::vector<std::string>{Gbk("OBJ_吃")});
    // Right side first, then the left side.
    EXPECT_EQ(Values(anchor, "USubS-OBJ"), (std::vector<std::string>{"(3,2)", "(6,2)", "(0,1)"}));
    EXPECT_EQ(Values(Unit("(3,2)"), "UHeadS-OBJ"), std::vector<std::string>{"(1,1)"});
    EXPECT_EQ(Unit("(3,2)").Word, Gbk("苹果"));
    // Only a match with attribute text gives the relation record its text.
    EXPECT_STREQ(lattice.GetRelationKVStr("(1,1)", "(3,2)", "OBJ"), "Kind=fruit");
    EXPECT_EQ(lattice.GetRelationKVStr("(1,1)", "(6,2)", "OBJ"), nullptr);
    EXPECT_EQ(LatticeValues("URoot"), std::vector<std::string>{"(1,1)"});
    EXPECT_EQ(LatticeValues("URootS"), std::vector<std::string>{"(1,1)"});
    EXPECT_EQ(LatticeValues("RRootS"), std::vector<std::string>{"OBJ"});

    // A second run reuses the units.
    const int units = lattice.columns[3].unitCount;
    ASSERT_TRUE(lattice.Collocation("V", "", "S"));
    EXPECT_EQ(lattice.columns[3].unitCount, units);
}

TEST_F(Collocation, KindsNamedByValuesAndSynonyms) {
    // "Coll=ARG" with ARG=OBJ: the kind OBJ is added and its tables are
    // resolved through the word's synonym.
    tables.tables["V"] = {{Gbk("吃"), "Coll=ARG ARG=OBJ Coll-OBJ=T Syn=EAT"}};
    tables.tables["T_EAT"] = {{Gbk("香蕉"), "Kind=fruit"}};
    ASSERT_TRUE(lattice.Collocation("V", "", "S"));
    CUnit& anchor = Unit("(1,1)");
    EXPECT_EQ(Values(anchor, "Coll"), (std::vector<std::string>{"ARG", "OBJ"}));
    EXPECT_EQ(Values(anchor, "Coll-OBJ"), (std::vector<std::string>{"T", "T_EAT"}));
    EXPECT_EQ(Values(anchor, "USubS-OBJ"), std::vector<std::string>{"(6,2)"});
}

TEST_F(Collocation, NothingWithoutAnchorsTablesOrPassingLimits) {
    tables.tables["V"] = {{Gbk("喝"), "Coll=OBJ"}};
    EXPECT_FALSE(lattice.Collocation("V", "", "S"));
    EXPECT_FALSE(lattice.Collocation("missing", "", "S"));
    EXPECT_EQ(lattice.columns[1].unitCount, 2);

    // The anchor's unit is made, but a limit it fails keeps everything else off it.
    tables.tables["V"] = {{Gbk("苹果"), "Coll=OBJ"}, {"#Global", "Limit=POS=v"}};
    tables.tables[Gbk("OBJ_苹果")] = {{Gbk("他"), ""}};
    ASSERT_TRUE(lattice.Collocation("V", "", "S"));
    CUnit& anchor = Unit("(3,2)");
    EXPECT_TRUE(Values(anchor, "Coll").empty());
    EXPECT_TRUE(Values(anchor, "USub").empty());
    EXPECT_TRUE(LatticeValues("RRoot").empty());

    SetCollocationTables(nullptr);
    EXPECT_FALSE(lattice.Collocation("V", "", "S"));
}

TEST(NewOperation2Table, KeysHoldArraysOfTheirValues) {
    lua_State* L = luaL_newstate();
    std::map<std::string, std::vector<std::string>> values = {{"old", {"x"}}};
    ASSERT_EQ(NewOperation2Table(L, "a=1 a=2 b", values), 1);
    EXPECT_EQ(values, (std::map<std::string, std::vector<std::string>>{{"a", {"1", "2"}}, {"Tag", {"b"}}}));
    ASSERT_TRUE(lua_istable(L, -1));
    lua_getfield(L, -1, "a");
    EXPECT_EQ(luaL_len(L, -1), 2);
    lua_rawgeti(L, -1, 2);
    EXPECT_STREQ(lua_tostring(L, -1), "2");
    lua_pop(L, 2);
    lua_getfield(L, -1, "Tag");
    lua_rawgeti(L, -1, 1);
    EXPECT_STREQ(lua_tostring(L, -1), "b");
    lua_close(L);
}

}  // namespace
}  // namespace zel
