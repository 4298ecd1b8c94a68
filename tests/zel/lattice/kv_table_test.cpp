#include "zel/lattice/kv_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zel {
namespace {

std::vector<std::string> Values(const CKVTable& table, const char* key) {
    std::vector<std::string> values;
    int n = -1;
    table.GetKVs(key, values, n);
    values.resize(static_cast<size_t>(n));
    return values;
}

TEST(KVTable, HashPlacesKeysAsSignedBytes) {
    EXPECT_EQ(KVHash("\xB0"), 0xFFFFFFB0u);
    EXPECT_EQ(KVHash("\xB0") % 2048u, 1968u);
    EXPECT_EQ(KVHash("Word") % 256u, 78u);
}

TEST(KVTable, ValuesAreDistinctInFirstAddedOrder) {
    CKVTable table;
    EXPECT_FALSE(table.find("K", "*"));
    table.Insert2KVEx("K", "a");
    table.Insert2KVEx("K", "b");
    table.Insert2KVEx("K", "a");
    EXPECT_EQ(Values(table, "K"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(table.BucketCount(), 256);
    EXPECT_TRUE(table.find("K", "*"));
    EXPECT_TRUE(table.find("K", "b"));
    EXPECT_FALSE(table.find("K", "c"));
    EXPECT_FALSE(table.find("L", "*"));

    // A repeated value keeps its first weight.
    table.Insert2KV("W", "x", 5);
    table.Insert2KV("W", "x", 9);
    std::vector<std::pair<std::string, int>> weighted;
    int n = 0;
    table.GetKVs("W", weighted, n);
    ASSERT_EQ(n, 1);
    EXPECT_EQ(weighted[0], (std::pair<std::string, int>{"x", 5}));
}

TEST(KVTable, ClearEmptiesAndReusesRecords) {
    CKVTable table;
    table.New_Table(2048);
    table.Insert2KVEx("K", "a");
    table.insert("I", 7);
    table.Insert_Table("R", "text");
    std::vector<std::string> buffer;
    int n = 0;
    table.GetKVs("K", buffer, n);
    ASSERT_EQ(n, 1);

    table.Clear();
    EXPECT_EQ(table.size(), 0);
    EXPECT_FALSE(table.find("K", "*"));
    EXPECT_FALSE(table.find("I"));
    CRelationItem* item = nullptr;
    EXPECT_FALSE(table.Lookup_Table("R", item));
    table.GetKVs("K", buffer, n);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(buffer[0], "a");  // stale entry left in place

    // Refilled: the spare record and value set come back, emptied.
    table.Insert2KVEx("Other", "z");
    EXPECT_EQ(Values(table, "Other"), (std::vector<std::string>{"z"}));
    EXPECT_FALSE(table.find("K", "*"));
    EXPECT_EQ(table.BucketCount(), 2048);
}

TEST(KVTable, StoresShareBucketsWithoutMixingUp) {
    CKVTable table;
    table.New_Table(1);  // every key in one chain
    table.Insert2KVEx("Key", "v");
    table.insert("Key", 3);
    table.Update_Table("Key", 1.5f, "A=1");
    int value = 0;
    EXPECT_TRUE(table.find("Key", value));
    EXPECT_EQ(value, 3);
    EXPECT_TRUE(table.find("Key", "v"));
    CRelationItem* item = nullptr;
    ASSERT_TRUE(table.Lookup_Table("Key", item));
    EXPECT_EQ(item->text, "A=1");
    EXPECT_FLOAT_EQ(item->score, 1.5f);
}

TEST(KVTable, RelationUpdateAddsScoreAndWholeNewItems) {
    CKVTable table;
    table.New_Table(2048);
    table.Update_Table("(3,1)(5,2)SBV", 2, "A=12");
    table.Update_Table("(3,1)(5,2)SBV", 3, "A=1");
    table.Update_Table("(3,1)(5,2)SBV", 0, "A=12");
    table.Update_Table("(3,1)(5,2)SBV", 0, "");
    CRelationItem* item = nullptr;
    ASSERT_TRUE(table.Lookup_Table("(3,1)(5,2)SBV", item));
    EXPECT_FLOAT_EQ(item->score, 5);
    EXPECT_EQ(item->text, "A=12 A=1");

    // The text stops growing at 51,199 bytes; the score still changes.
    table.Insert_Table("long", std::string(51190, 'x').c_str());
    table.Update_Table("long", 1, "B=123456789");
    ASSERT_TRUE(table.Lookup_Table("long", item));
    EXPECT_EQ(item->text.size(), 51190u);
    EXPECT_FLOAT_EQ(item->score, 1);
}

TEST(KVTable, LongKeysAreCutInACopy) {
    CKVTable table;
    const std::string key(20000, 'k');
    table.Insert2KVEx(key.c_str(), "v");
    EXPECT_EQ(key.size(), 20000u);
    EXPECT_TRUE(table.find(key.substr(0, 10239).c_str(), "v"));
    EXPECT_FALSE(table.find(key.c_str(), "v"));

    table.Update_Table(key.c_str(), 1, "t");
    CRelationItem* item = nullptr;
    EXPECT_TRUE(table.Lookup_Table(key.substr(0, 1023).c_str(), item));
}

TEST(KVTable, CopyIsIndependent) {
    auto source = std::make_unique<CKVTable>();
    source->Insert2KVEx("K", "a");
    source->insert("I", 4);
    CKVTable copy(*source);
    source.reset();
    EXPECT_EQ(Values(copy, "K"), (std::vector<std::string>{"a"}));
    copy.Insert2KVEx("K", "b");
    EXPECT_EQ(Values(copy, "K"), (std::vector<std::string>{"a", "b"}));
    int value = 0;
    EXPECT_TRUE(copy.find("I", value));
    EXPECT_EQ(value, 4);
}

}  // namespace
}  // namespace zel
