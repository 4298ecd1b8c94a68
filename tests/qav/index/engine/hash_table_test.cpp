#include "qav/index/engine/hash_table.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

TEST(HashTable, HashIsTimes64PlusByteWrapping) {
    EXPECT_EQ(qav::CHashTable::HashText(""), 0u);
    EXPECT_EQ(qav::CHashTable::HashText("a"), 97u);
    EXPECT_EQ(qav::CHashTable::HashText("ab"), 97u * 64 + 98);
    // Bytes count unsigned; six bytes already wrap past 2^32.
    EXPECT_EQ(qav::CHashTable::HashText("\xFF"), 255u);
    uint32_t h = 0;
    for (unsigned char b : std::string("\xD6\xD0\xB9\xFA\xC8\xCB")) h = h * 64 + b;
    EXPECT_EQ(qav::CHashTable::HashText("\xD6\xD0\xB9\xFA\xC8\xCB"), h);

    qav::CHashTable table(7);
    EXPECT_EQ(table.HashVal("ab"), (97u * 64 + 98) % 7);
}

TEST(HashTable, SameNameWithTwoTypesMakesTwoNodes) {
    qav::CHashTable table(101);
    bool created = false;
    qav::CHashNode* tagRight = table.GetOrAdd("v|", 3, &created);
    EXPECT_TRUE(created);
    qav::CHashNode* tagLeft = table.GetOrAdd("v|", 4, &created);
    EXPECT_TRUE(created);
    EXPECT_NE(tagRight, tagLeft);
    EXPECT_EQ(table.GetOrAdd("v|", 3, &created), tagRight);
    EXPECT_FALSE(created);

    EXPECT_EQ(table.GetHashNode("v|", 3), tagRight);
    EXPECT_EQ(table.GetHashNode("v|", 4), tagLeft);
    EXPECT_EQ(table.GetHashNode("v|", 5), nullptr);
    // By name alone: the first node of the chain.
    EXPECT_EQ(table.GetHashNode("v|"), tagRight);
    EXPECT_EQ(table.GetHashNode("v"), nullptr);
    EXPECT_TRUE(table.IsInHash("v|"));
    EXPECT_FALSE(table.IsInHash("v"));
    EXPECT_EQ(table.node_count(), 2u);

    EXPECT_EQ(tagRight->id, -1);
    EXPECT_EQ(table.GetID("v|"), -1);
    tagLeft->id = 9;
    tagRight->id = 4;
    EXPECT_EQ(table.GetID("v|"), 4);  // the first node of the chain
    EXPECT_EQ(table.GetID("v"), -1);
    tagRight->id = -1;
    EXPECT_EQ(tagRight->count, 0u);
    EXPECT_EQ(tagRight->records(), nullptr);
    EXPECT_EQ(tagRight->use_count.load(), 0);
}

TEST(HashTable, ChainsGrowAtTheirEndAndWalkInBucketOrder) {
    qav::CHashTable table(2);  // "a" (97) and "c" (99) share bucket 1, "b" is in bucket 0
    for (const char* name : {"c", "b", "a"}) table.GetOrAdd(name, 7)->count = 1;
    std::vector<std::string> walked;
    table.ForEachNode([&](const qav::CHashNode& node) { walked.push_back(node.name); });
    EXPECT_EQ(walked, (std::vector<std::string>{"b", "c", "a"}));
    EXPECT_EQ(table.bucket(1)->name, "c");
    EXPECT_EQ(table.bucket(1)->next->name, "a");
}

TEST(HashTable, NodesAddedAfterAWalkJoinTheirChainsAtTheEnd) {
    qav::CHashTable table(2);  // odd bytes in bucket 1, even ones in bucket 0
    for (const char* name : {"c", "b"}) table.GetOrAdd(name, 7);
    auto walk = [&table] {
        std::vector<std::string> walked;
        table.ForEachNode([&](const qav::CHashNode& node) { walked.push_back(node.name); });
        return walked;
    };
    EXPECT_EQ(walk(), (std::vector<std::string>{"b", "c"}));
    EXPECT_EQ(table.bucket(1)->next, nullptr);
    for (const char* name : {"a", "d"}) table.GetOrAdd(name, 7);
    EXPECT_EQ(walk(), (std::vector<std::string>{"b", "d", "c", "a"}));
    ASSERT_NE(table.bucket(1)->next, nullptr);
    EXPECT_EQ(table.bucket(1)->next->name, "a");
    EXPECT_EQ(table.bucket(1)->next->next, nullptr);
    EXPECT_EQ(table.bucket(0)->next->name, "d");

    // Readers that walk at once link the chains once, alike for all.
    table.GetOrAdd("e", 7);
    std::vector<std::vector<std::string>> seen(4);
    std::vector<std::thread> readers;
    for (auto& walked : seen) readers.emplace_back([&] { walked = walk(); });
    for (std::thread& reader : readers) reader.join();
    for (const auto& walked : seen) EXPECT_EQ(walked, (std::vector<std::string>{"b", "d", "c", "a", "e"}));

    table.Clear();
    EXPECT_TRUE(walk().empty());
    EXPECT_EQ(table.bucket(0), nullptr);
}

TEST(HashTable, ManyNodesInOneChainAreFoundAndWalkInTheOrderAdded) {
    qav::CHashTable table(1);  // every name in bucket 0
    std::vector<std::string> added;
    for (int i = 0; i < 2000; ++i) {
        added.push_back("w" + std::to_string(i));
        table.GetOrAdd(added.back(), 7)->count = static_cast<uint32_t>(i);
        if (i % 3 == 0) table.GetOrAdd(added.back(), 3)->count = static_cast<uint32_t>(i) + 1;
    }
    std::vector<std::string> walked;
    table.ForEachNode([&](const qav::CHashNode& node) {
        if (node.type == 7) walked.push_back(node.name);
    });
    EXPECT_EQ(walked, added);
    for (int i = 0; i < 2000; ++i) {
        const std::string& name = added[static_cast<size_t>(i)];
        ASSERT_NE(table.GetHashNode(name, 7), nullptr) << name;
        EXPECT_EQ(table.GetHashNode(name, 7)->count, static_cast<uint32_t>(i));
        EXPECT_EQ(table.GetHashNode(name), table.GetHashNode(name, 7));
        EXPECT_EQ(table.GetHashNode(name, 3) != nullptr, i % 3 == 0) << name;
    }
    EXPECT_EQ(table.GetHashNode("w2000"), nullptr);
    EXPECT_EQ(table.bucket(1), nullptr);
}

TEST(HashTable, TableWithoutBucketsFindsNothingAndGrowsOnInsert) {
    qav::CHashTable table;
    EXPECT_EQ(table.bucket_count(), 0u);
    EXPECT_EQ(table.GetHashNode("x"), nullptr);
    EXPECT_EQ(table.HashVal("x"), 0u);
    table.GetOrAdd("x", 7);
    EXPECT_EQ(table.bucket_count(), qav::CHashTable::kDefaultBucketCount);
    EXPECT_NE(table.GetHashNode("x", 7), nullptr);
}

TEST(HashTable, ResetDropsNodesRecordsAndUnitList) {
    qav::CHashTable table(0);
    EXPECT_EQ(table.bucket_count(), qav::CHashTable::kDefaultBucketCount);
    qav::CHashNode* unit = table.GetOrAdd("|v_x", 4);
    qav::CHashNode* complex = table.GetOrAdd("|v", 0);
    complex->children = {unit, nullptr};
    unit->SetRecords(std::make_unique<unsigned char[]>(16));
    unit->SetRecords(std::make_unique<unsigned char[]>(8));  // frees the first buffer
    ASSERT_NE(unit->records(), nullptr);
    table.unit_list = {unit};
    table.next_id = 5;

    table.Reset(3);
    EXPECT_EQ(table.bucket_count(), 3u);
    EXPECT_EQ(table.node_count(), 0u);
    EXPECT_TRUE(table.unit_list.empty());
    EXPECT_EQ(table.next_id, 0);
    EXPECT_EQ(table.GetHashNode("|v_x"), nullptr);
}

TEST(HashTable, LookUpsWithTheCallersHashFindWhatPlainOnesFind) {
    qav::CHashTable table(101);
    // Asking ahead in a table without nodes reads nothing.
    table.PrefetchSlot(qav::CHashTable::NameHash("a"));
    table.PrefetchNode(qav::CHashTable::NameHash("a"));
    EXPECT_EQ(table.GetHashNode("a", 7, qav::CHashTable::NameHash("a")), nullptr);

    // Enough names that the name index grows between the adds.
    std::vector<qav::CHashNode*> added;
    for (int i = 0; i < 200; ++i) {
        const std::string name = "w" + std::to_string(i);
        const uint64_t hash = qav::CHashTable::NameHash(name);
        table.PrefetchSlot(hash);
        table.PrefetchNode(hash);
        bool created = false;
        added.push_back(table.GetOrAdd(name, i % 2 ? 3 : 7, hash, &created));
        EXPECT_TRUE(created);
        EXPECT_EQ(table.GetOrAdd(name, i % 2 ? 3 : 7, hash, &created), added.back());
        EXPECT_FALSE(created);
    }
    for (int i = 0; i < 200; ++i) {
        const std::string name = "w" + std::to_string(i);
        const uint64_t hash = qav::CHashTable::NameHash(name);
        EXPECT_EQ(table.GetHashNode(name, i % 2 ? 3 : 7, hash), added[i]);
        EXPECT_EQ(table.GetHashNode(name, i % 2 ? 3 : 7), added[i]);
        EXPECT_EQ(table.GetHashNode(name, i % 2 ? 7 : 3, hash), nullptr);  // the other type
    }
    EXPECT_EQ(table.GetHashNode("w200", 7, qav::CHashTable::NameHash("w200")), nullptr);
}

}  // namespace
