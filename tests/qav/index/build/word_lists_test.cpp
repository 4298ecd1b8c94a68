#include "qav/index/build/word_lists.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qav/index/build/add_word.h"
#include "qav/index/base/config.h"
#include "qav/index/format/unit_type.h"

namespace {

std::vector<std::string> Texts(const std::vector<qav::CWord>& words) {
    std::vector<std::string> texts;
    for (const qav::CWord& w : words) texts.push_back(w.text);
    return texts;
}

TEST(WordLists, AddWordKeepsTypesApart) {
    qav::CHashTable table(101);
    qav::AddWord(table, "x", 1, qav::UNIT_POS_L);
    qav::AddWord(table, "x", 2, qav::UNIT_POS_R);
    qav::CHashNode* again = qav::AddWord(table, "x", 3, qav::UNIT_POS_L);
    EXPECT_EQ(table.node_count(), 2u);
    EXPECT_EQ(again->count, 4u);
    EXPECT_EQ(again->id, 0);
    EXPECT_EQ(table.GetHashNode("x", qav::UNIT_POS_R)->id, 1);
}

TEST(WordLists, UnitListByCountWordListByTextAndIdentifier) {
    qav::CHashTable units(7), words(7);
    for (auto [text, count] : {std::pair{"a_n|", 2}, {"|n_b", 5}, {"$NP_c", 1}})
        qav::AddWord(units, text, count, qav::UNIT_POS_R);
    for (const char* w : {"|", "zebra", "apple", "mango"}) qav::AddWord(words, w, 1, qav::UNIT_WORD);

    qav::CWordList unit_list, word_list;
    qav::ToWordList(units, unit_list, 0);
    qav::ToWordList(words, word_list, 1);
    EXPECT_EQ(Texts(unit_list.words), (std::vector<std::string>{"|n_b", "a_n|", "$NP_c"}));
    EXPECT_TRUE(unit_list.words_by_id.empty());
    EXPECT_EQ(Texts(word_list.words), (std::vector<std::string>{"apple", "mango", "zebra", "|"}));
    EXPECT_EQ(Texts(word_list.words_by_id), (std::vector<std::string>{"|", "zebra", "apple", "mango"}));
    for (size_t i = 0; i < word_list.words_by_id.size(); ++i) EXPECT_EQ(word_list.words_by_id[i].id, int(i));
    EXPECT_EQ(word_list.words[0].type, qav::UNIT_WORD);
}

TEST(WordLists, MergeAddsCountsInGroupOrder) {
    qav::CountTable a(5), b(5);
    qav::CHashTable merged(5);
    a.Add("x", qav::UNIT_WORD, 2);
    b.Add("y", qav::UNIT_WORD, 1);
    b.Add("x", qav::UNIT_WORD, 3);
    b.Add("x", qav::UNIT_ML, 1);  // a known text in another type is an entry of its own
    const std::vector<std::vector<int32_t>> ids = qav::MergeHash(merged, {&a, &b});
    EXPECT_EQ(merged.GetHashNode("x", qav::UNIT_WORD)->count, 5u);
    // Each group entry, by the place it was added at, leads to its merged identifier.
    const auto id = [&](const char* text, int32_t type) { return merged.GetHashNode(text, type)->id; };
    const std::vector<std::vector<int32_t>> expected = {
        {id("x", qav::UNIT_WORD)}, {id("y", qav::UNIT_WORD), id("x", qav::UNIT_WORD), id("x", qav::UNIT_ML)}};
    EXPECT_EQ(ids, expected);
    EXPECT_NE(id("x", qav::UNIT_WORD), id("x", qav::UNIT_ML));
}

TEST(WordLists, PruningCutsUnitsOnly) {
    qav::CWordList units, words;
    for (int count : {9, 7, 3, 3, 1}) {
        qav::CWord w;
        w.text = "u" + std::to_string(count);
        w.count = count;
        units.words.push_back(w);
    }
    words.words = words.words_by_id = units.words;

    testing::internal::CaptureStdout();
    EXPECT_TRUE(qav::PruneWordList(units, words, 3));
    std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(log,
              "WordList size: U=5, W=5\n"
              "  WordList_U pruned: 5 -> 3  (freq threshold >= 3, removed 2 entries)\n"
              "  WordList pruning done. U=3, W=5\n");
    EXPECT_EQ(Texts(units.words), (std::vector<std::string>{"u9", "u7", "u3"}));
    EXPECT_EQ(words.length(), 5);

    testing::internal::CaptureStdout();
    EXPECT_TRUE(qav::PruneWordList(units, words, 3));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "WordList size: U=3, W=5\n");
}

TEST(WordLists, HashSizesFromTheConfiguration) {
    qav::CConfig config;
    config.m_SizeInfo.HashSize_IdxUnit = 0;
    config.m_SizeInfo.HashSize_WordList = 300000;
    qav::CountTables tables;
    tables.InitHash(config, 4);
    EXPECT_EQ(tables.units.bucket_count(), 1048576u);
    EXPECT_EQ(tables.words.bucket_count(), 300000u);
    ASSERT_EQ(tables.group_words.size(), 4u);
    EXPECT_EQ(tables.group_words[0]->bucket_count(), 102400u);  // 75,000 raised to the floor
    EXPECT_EQ(tables.group_units[3]->bucket_count(), 1048576u);
    tables.InitHash(config, 1);
    EXPECT_EQ(tables.group_words[0]->bucket_count(), 300000u);
}

}  // namespace
