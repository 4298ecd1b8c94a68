// Realistic data: a reduced form of python3-jieba's dictionary as a GBK
// table source (tools/zel/make_jieba_table.py), indexed, loaded and asked
// for every word in it.
#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "table_support.h"

namespace zel {
namespace {

TEST(JiebaTable, EveryWordIsFoundWithItsAttributes) {
    qztest::TempDir dir;
    const std::string source = qztest::ReadFile(qztest::DataDir() + "/tables/jieba_sample.txt");
    qztest::WriteFile(dir.file("jieba.txt"), source);
    std::string idx, dat;
    TableFilePaths(dir.path(), "T", idx, dat);
    TableClusterPrepare();
    TableClusterInitEx(idx.c_str(), dat.c_str());
    ASSERT_TRUE(TableClusterIdx(dir.file("jieba.txt").c_str()));
    TableClusterExit();
    ASSERT_TRUE(LoadTables(dir));
    CTable* table = Table("Jieba");
    ASSERT_NE(table, nullptr);
    CTableKV* index = nullptr;
    ASSERT_TRUE(TableClusterGetTable("Jieba", index));

    std::istringstream lines(source);
    std::string line;
    std::getline(lines, line);  // the header
    size_t words = 0;
    std::map<std::string, int> perPOS;
    while (std::getline(lines, line)) {
        size_t blank = line.find(' ');
        std::string word = line.substr(0, blank), value = line.substr(blank + 1);
        CTableItem* item = nullptr;
        ASSERT_TRUE(table->Lookup(word.c_str(), item)) << qztest::Utf8(word);
        EXPECT_EQ(item->value, value);
        // Matchers cut texts at two-byte steps: a word of an odd byte count
        // (a single ASCII letter among Chinese characters) is never a cut.
        if (word.size() % 2 == 0) {
            std::vector<CTableItemEx> out;
            ASSERT_TRUE(g_pTableCluster->IsStrBegin(word.c_str(), table, 1, out)) << qztest::Utf8(word);
            EXPECT_EQ(out[0].word, item->key);
        }
        ++perPOS[value.substr(0, value.find(' '))];
        ++words;
    }
    EXPECT_GT(words, 3000u);
    EXPECT_EQ(table->items().size(), words);
    for (const auto& [pos, count] : perPOS) {
        std::vector<int> items;
        int found = 0;
        index->GetKV(pos.c_str(), items, found);
        EXPECT_EQ(found, count) << pos;
    }
    TableClusterExit();
}

}  // namespace
}  // namespace zel
