// The table cluster: tables found by name, exact lookups with "#Global", the
// unit forms, the name hash, dumps, and nothing left after the cluster goes.
#include <gtest/gtest.h>

#include "table_support.h"
#include "zel/lattice/lattice.h"
#include "zel/rules/format/run_switches.h"

namespace zel {
namespace {

using qztest::Gbk;

class TableCluster : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(BuildTables(dir, ".T1\n"
                                     "中国 POS=n Freq=3\n"
                                     "abc POS=x\n"
                                     "#Global Dom=geo\n"
                                     "POS=v Role=pred\n"
                                     ".Place\n"
                                     "北京 Type=city\n"
                                     "大学\n"
                                     ".N_北京\n"
                                     "x\n"
                                     ".N_首都\n"
                                     "y\n"));
        ASSERT_TRUE(LoadTables(dir));
    }
    void TearDown() override { TableClusterExit(); }

    std::string Equal(const std::string& utf8Word, const char* table, bool expectFound = true) {
        std::string out = "stale";
        int unused = 0;
        EXPECT_EQ(TableClusterIsStrEqual(Gbk(utf8Word).c_str(), table, out, unused), expectFound) << utf8Word;
        return qztest::Utf8(out);
    }

    qztest::TempDir dir;
};

TEST_F(TableCluster, FindsEveryTableByName) {
    std::vector<std::string> names;
    ASSERT_TRUE(TableClusterGetTables(names));
    EXPECT_EQ(names, (std::vector<std::string>{"T1", "Place", Gbk("N_北京"), Gbk("N_首都")}));
    for (const std::string& name : names) {
        ASSERT_NE(Table(name.c_str()), nullptr) << name;
        EXPECT_EQ(Table(name.c_str())->GetKeyword(), name);
    }
    CTableKV* index = nullptr;
    EXPECT_TRUE(TableClusterGetTable("Place", index));
    EXPECT_EQ(Table("Nowhere"), nullptr);
    std::string keys;
    ASSERT_TRUE(g_pTableCluster->GetTable("Place", keys));
    EXPECT_EQ(qztest::Utf8(keys), "北京|大学|");
}

TEST_F(TableCluster, ExactLookupsAddTheGlobalAttributes) {
    EXPECT_EQ(Equal("中国", "T1"), "POS=n Freq=3 Dom=geo");
    EXPECT_EQ(Equal("abc", "T1"), "POS=x Dom=geo");
    // Not an item in its own right, but the key of an item-KV entry.
    EXPECT_EQ(Equal("POS=v", "T1"), "Role=pred Dom=geo");
    EXPECT_EQ(Equal("x", "T1", false), "");
    EXPECT_EQ(Equal("大学", "Place"), "");
    EXPECT_EQ(Equal("北京", "Nowhere", false), "");
}

TEST_F(TableCluster, UnitLookupsGatherWordHeadWordAndSatisfiedConditions) {
    CLattice lattice;
    ASSERT_TRUE(lattice.LatticeBuild(Gbk("在中国北京").c_str()));
    std::string id;
    ASSERT_TRUE(lattice.AddNewUnit(2, Gbk("在中国").c_str(), kUnitWord, id, -1, false, "POS=v"));
    CUnit* unit = lattice.GetLatticeUnit(id.c_str());
    ASSERT_NE(unit, nullptr);
    unit->SetHeadWord(Gbk("中国").c_str(), 0);
    std::string out;
    int unused = 0;
    ASSERT_TRUE(TableClusterIsStrEqualEx(unit, "T1", out, unused));
    EXPECT_EQ(qztest::Utf8(out), " POS=n Freq=3 Role=pred Dom=geo");
    std::string attributes = Gbk("POS=ns Syn=首都");
    ASSERT_TRUE(lattice.AddNewUnit(4, Gbk("北京").c_str(), kUnitWord, id, -1, false, attributes.c_str()));
    unit = lattice.GetLatticeUnit(id.c_str());
    EXPECT_FALSE(TableClusterIsStrEqualEx(unit, "T1", out, unused));
    EXPECT_EQ(out, "");

    // The table of a unit: prefix_word, else prefix_ and a "Syn" value.
    EXPECT_TRUE(GetTable(lattice, "N", unit, out));
    EXPECT_EQ(qztest::Utf8(out), "N_北京");
    unit->SetWord(Gbk("京").c_str());
    EXPECT_TRUE(GetTable(lattice, "N", unit, out));
    EXPECT_EQ(qztest::Utf8(out), "N_首都");
    EXPECT_FALSE(GetTable(lattice, "M", unit, out));
    EXPECT_EQ(qztest::Utf8(out), "M_首都");
}

// The character sets tell where a table word may begin.
TEST_F(TableCluster, CharacterSetsRuleOutImpossibleStarts) {
    struct Case {
        const char* text;
        bool possible;
    } cases[] = {
        {"北京", true}, {"北", true}, {"北海", false}, {"大学", true}, {"学", false}, {"在北京", true},
    };
    for (const Case& c : cases) {
        std::string text = Gbk(c.text);
        EXPECT_EQ(TableCheckIsPossible(text.c_str(), static_cast<int>(text.size()), "Place"), c.possible) << c.text;
    }
    EXPECT_FALSE(TableCheckIsPossible(Gbk("北京").c_str(), 0, "Place"));
}

TEST_F(TableCluster, NothingAnswersAfterTheClusterIsGone) {
    ASSERT_TRUE(TableClusterExit());
    EXPECT_EQ(g_pTableCluster, nullptr);
    Equal("中国", "T1", false);
    std::vector<std::string> names;
    EXPECT_FALSE(TableClusterGetTables(names));
    EXPECT_EQ(Table("T1"), nullptr);
    EXPECT_FALSE(LookupTable("T1"));
    std::string key, value;
    EXPECT_FALSE(TableClusterMaxSeg(Gbk("北京").c_str(), "Place", key, value));
    EXPECT_FALSE(TableClusterIdx(dir.file("src.txt").c_str()));
    EXPECT_FALSE(TableClusterDump2File("dump.txt"));
    EXPECT_FALSE(TableClusterInit(dir.file("Ttable.idx").c_str(), dir.file("Ttable.dat").c_str()));
}

TEST(HashTable, KeysOfOneBucketAreKeptInOrderAndReplaced) {
    _Hash_Table table;
    New_Table(table, 1);
    int a = 1, b = 2, c = 3;
    EXPECT_EQ(Update_Table(table, "b", &b), 0);
    EXPECT_EQ(Update_Table(table, "a", &a), 0);
    EXPECT_EQ(Update_Table(table, "c", &a), 0);
    EXPECT_EQ(Update_Table(table, "c", &c), 1);
    std::string chain;
    for (const _HashNode* node = &table.heads[0]; node; node = node->next.get()) chain += node->key + " ";
    EXPECT_EQ(chain, "HEAD_NODE a b c ");
    void* value = nullptr;
    ASSERT_TRUE(Lookup_Table(table, "c", value));
    EXPECT_EQ(value, &c);
    EXPECT_FALSE(Lookup_Table(table, "bb", value));
    Free_Table(table);
    EXPECT_FALSE(Lookup_Table(table, "a", value));
    testing::internal::CaptureStdout();
    EXPECT_EQ(Update_Table(table, "a", &a), -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Warning: invalid hash address.\na ignored\n");
}

TEST_F(TableCluster, DumpReadsBackAsASource) {
    std::string saved = g_szNetPath;
    g_szNetPath = dir.path();
    ASSERT_EQ(std::system(("mkdir -p " + dir.file("table")).c_str()), 0);
    ASSERT_TRUE(TableClusterDump2File("dump.txt"));
    g_szNetPath = saved;
    std::string dump = qztest::ReadFile(dir.file("table/dump.txt"));
    EXPECT_NE(qztest::Utf8(dump).find(".Place\n(\n[\n北京 Type=city\n大学 \n]\n)\n"), std::string::npos);

    qztest::TempDir again;
    qztest::WriteFile(again.file("dump.txt"), dump);
    TableClusterExit();
    std::string idx, dat;
    TableFilePaths(again.path(), "T", idx, dat);
    TableClusterPrepare();
    TableClusterInitEx(idx.c_str(), dat.c_str());
    ASSERT_TRUE(TableClusterIdx(again.file("dump.txt").c_str()));
    TableClusterExit();
    ASSERT_TRUE(LoadTables(again));
    EXPECT_EQ(qztest::Utf8(Equal("中国", "T1")), "POS=n Freq=3 Dom=geo");
    EXPECT_EQ(Table("Place")->items().size(), 2u);
}

}  // namespace
}  // namespace zel
