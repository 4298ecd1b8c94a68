// The table indexer: text sources with headers, items and "Item:" blocks,
// JSON sources with nested attributes and collocation lists.
#include <gtest/gtest.h>

#include "table_support.h"

namespace zel {
namespace {

using qztest::Gbk;
using qztest::Utf8;

using ItemList = std::vector<std::pair<std::string, std::string>>;

class TableIndexer : public ::testing::Test {
protected:
    void TearDown() override { TableClusterExit(); }

    std::vector<std::string> RecordNames() {
        std::vector<TableIndexRecord> records;
        EXPECT_TRUE(DecodeTableIndex(qztest::ReadFile(dir.file("Ttable.idx")), records));
        std::vector<std::string> names;
        for (const TableIndexRecord& record : records) names.push_back(Utf8(record.name));
        return names;
    }
    ItemList Items(const char* table) {
        ItemList items;
        for (const CTableItem& item : Table(table)->items()) items.emplace_back(Utf8(item.key), Utf8(item.value));
        return items;
    }

    qztest::TempDir dir;
};

TEST_F(TableIndexer, EveryHeaderOpensATableWithAnIndex) {
    ASSERT_TRUE(BuildTables(dir, ".T1\n甲 A=1\n乙 A=2\n.T2\n丙\n"));
    EXPECT_EQ(RecordNames(), (std::vector<std::string>{"T1", "KV-T1", "T2", "KV-T2"}));
    ASSERT_TRUE(LoadTables(dir));
    EXPECT_EQ(Items("T1"), (ItemList{{"甲", "A=1"}, {"乙", "A=2"}}));
    EXPECT_EQ(Items("T2"), (ItemList{{"丙", ""}}));
}

TEST_F(TableIndexer, LinesBeforeTheFirstHeaderFormATableOfTheSourceName) {
    ASSERT_TRUE(BuildTables(dir, "// a comment\n(\n甲 A=1\n\n  B=2\nTable of words W\n乙\n", "words.txt"));
    EXPECT_EQ(RecordNames(), (std::vector<std::string>{"words", "W", "KV-W"}));
    ASSERT_TRUE(LoadTables(dir));
    // A line that begins with a blank continues the item before it.
    EXPECT_EQ(Items("words"), (ItemList{{"甲", "A=1  B=2"}}));
    ASSERT_TRUE(BuildTables(dir, "甲 A=1 IdxKV=Yes\n", "more.txt"));
    EXPECT_EQ(RecordNames().back(), "KV-more");
}

TEST_F(TableIndexer, ItemBlocksGatherTheLinesThatFollow) {
    ASSERT_TRUE(BuildTables(dir, ".T\nItem:中 国\nPOS=n\n\nFreq=3\nItem:甲\n[\nA=1\nPOS=v&Len=2 Role=x\n"));
    ASSERT_TRUE(LoadTables(dir));
    // The key keeps its inner blank (in full width); an empty line adds a
    // blank; bracket lines are skipped even here.
    EXPECT_EQ(Items("T"), (ItemList{{"甲", "A=1 POS=v&Len=2 Role=x"}, {"中　国", "POS=n  Freq=3"}}));
}

TEST_F(TableIndexer, ConditionKeysBecomeItemKVEntries) {
    CTable built;
    bool hasColl = true;
    built.SetTableEx("T", {"abc", "POS=v&Len=2 Role=x"}, false, hasColl);
    EXPECT_TRUE(built.HasItemKV());
    EXPECT_FALSE(hasColl);
    ASSERT_TRUE(BuildTables(dir, ".T\nPOS=v&Len=2 Role=x\nabc\n#Global G=1\n"));
    ASSERT_TRUE(LoadTables(dir));
    EXPECT_EQ(Items("T"), (ItemList{{"#Global", "G=1"}, {"POS=v&Len=2", "Role=x"}, {"ａｂｃ", ""}}));
    ASSERT_EQ(Table("T")->itemKVs().size(), 1u);
    EXPECT_EQ(Table("T")->itemKVs()[0].key, "POS=v&Len=2");
    EXPECT_EQ(Table("T")->itemKVs()[0].value, "Role=x");
}

TEST_F(TableIndexer, JsonUnitsFlattenTheirAttributes) {
    ASSERT_TRUE(BuildTables(dir,
                            R"({"Table":"J","Units":[
                                {"Unit":"苹果","Att":{"POS":"n","Sem":{"Cat":"fruit"},"Coll":["吃","买"],"Freq":3}},
                                {"Unit":"香蕉","Att":{"POS":"n"}}]})",
                            "src.json"));
    EXPECT_EQ(g_vIdxTables, std::vector<std::string>{"J"});
    ASSERT_TRUE(LoadTables(dir));
    EXPECT_EQ(Items("J"), (ItemList{{"苹果", "POS=n  Sem_Cat=fruit  Coll=[ 吃 买]  Freq=3"}, {"香蕉", "POS=n"}}));
    CTableKV* index = nullptr;
    ASSERT_TRUE(TableClusterGetTable("J", index));
    for (const char* pair : {"Coll=吃", "Coll=买", "Sem_Cat=fruit", "Freq=3"}) {
        std::vector<int> items;
        int count = 0;
        index->GetKV(Gbk(pair).c_str(), items, count);
        EXPECT_EQ(count, 1) << pair;
    }
    std::vector<int> items;
    int count = 0;
    index->GetKV("POS=n", items, count);
    EXPECT_EQ(count, 2);

    // Units given as an object of named members; no "Coll", so no name.
    ASSERT_TRUE(BuildTables(dir, R"({"Table":"K","Units":{"a":{"Unit":"梨","Att":{"POS":"n"}}}})", "k.json"));
    EXPECT_TRUE(g_vIdxTables.empty());
}

TEST_F(TableIndexer, BadJsonIsRefused) {
    testing::internal::CaptureStdout();
    EXPECT_FALSE(BuildTables(dir, R"({"Table":"J","Units":[{"Unit":}]})", "bad.json"));
    std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(printed.rfind("Error before:[", 0), 0u) << printed;
    EXPECT_FALSE(BuildTables(dir, R"({"Table":"J"})", "nounits.json"));
    EXPECT_FALSE(BuildTables(dir, R"({"Table":3,"Units":[]})", "noname.json"));
    EXPECT_TRUE(qztest::ReadFile(dir.file("Ttable.idx")).empty());
}

TEST_F(TableIndexer, SourceFormIsToldByTheFirstDecidingLine) {
    struct Case {
        const char* text;
        bool json;
    } cases[] = {
        {"// note\n{\"Table\": \"J\", \"Units\": []}\n", true},
        {"Table T\n{\"Table\": \"J\"}\n", false},
        {".T\n甲\n", false},
        {"", false},
    };
    CTableCluster cluster;
    for (const Case& c : cases) {
        qztest::WriteFile(dir.file("s"), c.text);
        EXPECT_EQ(cluster.Idx_IsJSON(dir.file("s").c_str()), c.json) << c.text;
    }
}

// A line is read whole, however long: it is not cut into several items.
TEST_F(TableIndexer, LongLinesStayOneItem) {
    std::string longValue;
    for (int i = 0; longValue.size() < 60000; ++i) longValue += " K" + std::to_string(i) + "=v";
    ASSERT_TRUE(BuildTables(dir, ".T\n甲" + longValue + "\n乙 A=1\n"));
    ASSERT_TRUE(LoadTables(dir));
    ASSERT_EQ(Table("T")->items().size(), 2u);
    EXPECT_EQ(Table("T")->items()[0].value, longValue.substr(1));
}

TEST_F(TableIndexer, PathsAreUsedAsGiven) {
    ASSERT_TRUE(BuildTables(dir, ".T\n甲\n", "a^b.txt"));
    EXPECT_EQ(RecordNames(), (std::vector<std::string>{"T", "KV-T"}));
    CTableCluster cluster;
    EXPECT_FALSE(cluster.Idx_Batch(dir.file("missing.txt").c_str()));
    EXPECT_FALSE(cluster.Idx_BatchJSON(dir.file("missing.json").c_str()));
}

TEST_F(TableIndexer, AnUnwritablePairIsReported) {
    qztest::WriteFile(dir.file("src.txt"), Gbk(".T\n甲\n"));
    TableClusterPrepare();
    TableClusterInitEx(dir.file("no/such/Ttable.idx").c_str(), dir.file("no/such/Ttable.dat").c_str());
    testing::internal::CaptureStdout();
    EXPECT_TRUE(TableClusterIdx(dir.file("src.txt").c_str()));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Warning:No Write to file");
}

}  // namespace
}  // namespace zel
