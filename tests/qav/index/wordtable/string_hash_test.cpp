#include "qav/index/wordtable/string_hash.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qav/index/engine/hash_values.h"

namespace {

std::vector<std::string> ChainKeys(const qav::_HashNode& sentinel) {
    std::vector<std::string> keys;
    for (const qav::_HashNode* node = sentinel.next; node; node = node->next) keys.push_back(node->key);
    return keys;
}

TEST(StringHashChain, KeepsKeysSortedAndReplacesDataOfAnExistingKey) {
    qav::_HashNode sentinel;
    sentinel.key = qav::kHashHeadKey;
    int one = 1, two = 2, three = 3;
    EXPECT_EQ(qav::Update_Chain(&sentinel, "m", &one), 0);
    EXPECT_EQ(qav::Update_Chain(&sentinel, "z", &two), 0);
    EXPECT_EQ(qav::Update_Chain(&sentinel, "a", &three), 0);
    // Bytes 0x80 and above sort after ASCII, as with strcmp.
    EXPECT_EQ(qav::Update_Chain(&sentinel, "\xB0\xA1", &three), 0);
    EXPECT_EQ(ChainKeys(sentinel), (std::vector<std::string>{"a", "m", "z", "\xB0\xA1"}));

    EXPECT_EQ(qav::Update_Chain(&sentinel, "m", &two), 1);
    void* data = nullptr;
    ASSERT_TRUE(qav::Lookup_Chain(&sentinel, "m", &data));
    EXPECT_EQ(data, &two);
    EXPECT_FALSE(qav::Lookup_Chain(&sentinel, "b", &data));
    EXPECT_FALSE(qav::Lookup_Chain(&sentinel, "zz", &data));
    EXPECT_EQ(ChainKeys(sentinel).size(), 4u);

    for (qav::_HashNode* node = sentinel.next; node;) {
        qav::_HashNode* next = node->next;
        delete node;
        node = next;
    }
}

TEST(StringHashTable, FilesManyKeysAndFindsEachOne) {
    qav::_Hash_Table table;
    qav::New_Table(&table, 7);
    ASSERT_EQ(table.buckets.size(), 7u);
    for (const qav::_HashNode& sentinel : table.buckets) EXPECT_EQ(sentinel.key, "HEAD_NODE");

    std::vector<std::string> keys;
    for (int i = 0; i < 100; ++i) keys.push_back("key" + std::to_string(i));
    for (std::string& key : keys) EXPECT_TRUE(qav::Update_Table(&table, key.c_str(), &key));
    for (std::string& key : keys) {
        void* data = nullptr;
        ASSERT_TRUE(qav::Lookup_Table(&table, key.c_str(), &data)) << key;
        EXPECT_EQ(data, &key);
    }
    EXPECT_FALSE(qav::Lookup_Table(&table, "key100", nullptr));

    qav::Free_Table(&table);
    EXPECT_TRUE(table.buckets.empty());
    EXPECT_FALSE(qav::Lookup_Table(&table, "key1", nullptr));
}

TEST(StringHashTable, TableWithoutBucketsRefusesKeysWithAWarning) {
    qav::_Hash_Table table;
    int value = 0;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(qav::Update_Table(&table, "lost", &value));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Warning: invalid hash address.\nlost ignored\n");
    EXPECT_FALSE(qav::Lookup_Table(&table, "lost", nullptr));
}

TEST(HashValue, FoldsSignedBytesModuloTheSize) {
    struct Case {
        const char* key;
        int64_t size;
        int64_t bucket;
    };
    const Case cases[] = {
        {"", 1024, 0},
        {"a", 1024, 97},
        {"ab", 1000, 306},             // 97 * 64 + 98 = 6306
        {"\x80", 1024, 896},           // -128 wraps to 2^32 - 128
        {"\xFF\xFF", 1000003, 82248},
        {"x", 0, -1},
    };
    for (const Case& c : cases) EXPECT_EQ(qav::HashValue(c.key, c.size), c.bucket) << c.key << " " << c.size;
}

TEST(HashNearestPrimeRule, MakesOddAndSkipsComposites) {
    const std::pair<int64_t, int64_t> cases[] = {
        {9, 11}, {10, 11}, {25, 29}, {6, 7}, {4, 5}, {7, 7}, {8, 11}, {1021, 1021}, {1024, 1031},
    };
    for (auto [n, expected] : cases) EXPECT_EQ(qav::Hash_Nearest_Prime_Rule(n), expected) << n;
}

TEST(HashVal64, MixesTheKeyAndStaysInsideTheTable) {
    // Reference values from an independent implementation of the mix.
    const std::pair<int64_t, int64_t> cases[] = {
        {0, 0}, {1, 653389}, {-1, 652114}, {123456789, 569412}, {(int64_t{1} << 40) + 7, 940239},
        {-(int64_t{1} << 50), 606082},
    };
    for (auto [key, expected] : cases) EXPECT_EQ(qav::HashVal64(key, 1000003), expected) << key;
    for (int64_t key = -1000; key < 1000; ++key) {
        int64_t bucket = qav::HashVal64(key * 7919, 97);
        EXPECT_GE(bucket, 0);
        EXPECT_LT(bucket, 97);
    }
}

}  // namespace
