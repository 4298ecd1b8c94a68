// Frequency forms and keys, the frequency map with its bounds, row texts of
// frequencies and counts.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "qav/search/rows/count_maps.h"
#include "qav/search/rows/final_rect.h"
#include "qav/search/rows/freq_form.h"
#include "qav/search/rows/freq_key_hits.h"
#include "qav/search/rows/freq_map.h"
#include "qav/search/filter/splited_ret.h"
#include "support/test_support.h"

namespace {

using qztest::Gbk;

qav::CSplitedRet Parts() {
    qav::CSplitedRet parts;
    parts.m_Match = Gbk("我爱上海");
    parts.m_Group1 = Gbk("我");
    parts.m_Group2 = Gbk("上海");
    parts.m_Group3 = "g3";
    parts.m_Left = "left";
    parts.m_Right = "right";
    return parts;
}

std::string Key(const std::string& form) {
    qav::CFreqForm parsed;
    qav::ParseObj(form, parsed);
    return qav::BuildFreqKey(parsed, Parts());
}

TEST(FreqForm, KeysFollowTheForm) {
    struct Case {
        std::string form, key;
    } cases[] = {
        {"$1*$2", Gbk("我*上海")},
        {"", Gbk("我爱上海")},
        {"$Q", Gbk("我爱上海")},
        {Gbk("【$3】"), Gbk("【g3】")},
        // No part named: the match.
        {"plain", Gbk("我爱上海")},
        // Four part names: the empty key.
        {"$1$2$3$Q", ""},
        // "%" and unknown names stay literal text.
        {"%s$1%d%n", Gbk("%s我%d%n")},
        {"$x$1$", Gbk("$x我$")},
        {"$$1", Gbk("$我")},
    };
    for (const Case& c : cases) EXPECT_EQ(Key(c.form), c.key) << qztest::Utf8(c.form);
}

TEST(FreqForm, LongFormsAndKeysAreCutAtCharacterEdges) {
    qav::CFreqForm parsed;
    qav::ParseObj(std::string(1022, 'a') + Gbk("中") + "$1", parsed);
    EXPECT_EQ(parsed.literals[0], std::string(1022, 'a'));
    EXPECT_TRUE(parsed.letters.empty());

    qav::CSplitedRet parts;
    parts.m_Group1 = "a" + std::string(20000, '\xD6');  // "a" then pairs of 0xD6 0xD6
    qav::ParseObj("$1$1", parsed);
    const std::string key = qav::BuildFreqKey(parsed, parts);
    EXPECT_EQ(key.size(), qav::kFreqKeyBytes - 1);
    EXPECT_EQ(key[0], 'a');
}

TEST(FreqMap, KeysBeyondTheBoundAreNeverCounted) {
    qav::CFreqMap map;
    for (size_t i = 0; i < qav::kMaxFreqKeys; ++i) qav::CountFreqKey(map, "k" + std::to_string(i), "");
    for (int i = 0; i < 5; ++i) qav::CountFreqKey(map, "late", "");
    qav::CountFreqKey(map, "k0", "");
    EXPECT_EQ(map.size(), qav::kMaxFreqKeys);
    EXPECT_EQ(map.count("late"), 0u);
    EXPECT_EQ(map["k0"].count, 2u);
}

TEST(FreqMap, SourcesAreBoundedPerKey) {
    qav::CFreqMap map;
    for (size_t i = 0; i <= qav::kMaxFreqSources; ++i) qav::CountFreqKey(map, "k", "doc" + std::to_string(i));
    qav::CountFreqKey(map, "k", "doc0");
    const qav::CFreqEntry& entry = map["k"];
    EXPECT_EQ(entry.count, qav::kMaxFreqSources + 2);
    EXPECT_EQ(entry.sources.size(), qav::kMaxFreqSources);
    EXPECT_EQ(entry.sources.at("doc0"), 2u);
}

// The row texts and counts of a map's entries in its order of iteration.
std::vector<std::pair<std::string, std::string>> Rows(const qav::CFreqMap& map) {
    std::vector<std::pair<std::string, std::string>> rows;
    for (const auto& [key, entry] : map) rows.emplace_back(qav::FreqRowText(key, entry), std::to_string(entry.count));
    return rows;
}

TEST(FreqKeyHits, WorkersCountAsASingleWalk) {
    // More keys than the map keeps, met first late in the hits; one key in
    // more documents than it keeps, its late documents met again; hits
    // without a document.
    std::vector<std::pair<std::string, std::string>> hits;
    for (int i = 0; i < 6000; ++i) {
        const int key = (i * 7919) % 2300;
        hits.emplace_back("k" + std::to_string(key), i % 5 == 0 ? "" : "d" + std::to_string(i % 13));
        if (i % 2 == 0) hits.emplace_back("many", "doc" + std::to_string((i / 2 * 31) % 250));
    }
    qav::CFreqMap expected;
    for (const auto& [key, source] : hits) qav::CountFreqKey(expected, key, source);
    ASSERT_EQ(expected.size(), qav::kMaxFreqKeys);
    ASSERT_EQ(expected["many"].sources.size(), qav::kMaxFreqSources);

    struct Case {
        int threads;
        std::vector<size_t> cuts;  // where the runs of hits end, the last at the end
    } cases[] = {
        {1, {hits.size()}},
        {4, {hits.size()}},
        {4, {0, 1, 2500, 2500, hits.size()}},
        {3, {100, 7000, hits.size()}},
        {7, {4000, hits.size()}},
    };
    // Documents numbered in the order of their names.
    std::map<std::string, int32_t> numbers;
    for (const auto& hit : hits)
        if (!hit.second.empty()) numbers.emplace(hit.second, 0);
    std::vector<std::string> names;
    for (auto& [name, number] : numbers) {
        number = static_cast<int32_t>(names.size());
        names.push_back(name);
    }
    for (const Case& c : cases) {
        std::vector<qav::FreqKeyRun> runs;
        size_t from = 0;
        for (size_t cut : c.cuts) {
            runs.emplace_back();
            for (; from < cut; ++from)
                runs.back().Add(hits[from].first, hits[from].second.empty() ? -1 : numbers[hits[from].second]);
        }
        std::vector<qav::FreqKeyRow> rows;
        ASSERT_TRUE(qav::CountFreqKeyRuns(runs, names, c.threads, rows));
        std::vector<std::pair<std::string, std::string>> entries;
        for (const qav::FreqKeyRow& row : rows) entries.emplace_back(row.text, std::to_string(row.count));
        EXPECT_EQ(entries, Rows(expected)) << c.threads << " threads, " << c.cuts.size() << " runs";
    }
}

TEST(Freq, OnePairReplacedWhole) {
    qav::CFreq freq;
    freq.AddRect("stale", 9);
    freq.FreqInit();
    EXPECT_EQ(std::make_pair(std::string(), 0), std::make_pair(freq.m_text, freq.m_nCount));
    std::string text = qztest::Gbk("发布");
    freq.AddRect(text, 2);
    text[0] = 'x';  // a copy: the caller's text may change
    EXPECT_EQ(std::make_pair(qztest::Gbk("发布"), 2), std::make_pair(freq.m_text, freq.m_nCount));
    freq.AddRect("a", -1);
    EXPECT_EQ(std::make_pair(std::string("a"), -1), std::make_pair(freq.m_text, freq.m_nCount));
    freq.FreqExit();
    EXPECT_TRUE(freq.m_text.empty());
}

TEST(FreqRows, RowTextListsSourcesOnlyFromTwoOn) {
    qav::CFreqMap map;
    qav::CountFreqKey(map, "k", "B");
    qav::CountFreqKey(map, "k", "A");
    qav::CountFreqKey(map, "k", "B");
    qav::CountFreqKey(map, "one", "A");
    qav::CountFreqKey(map, "none", "");
    qav::CFinalRect rows;
    rows.FinalRectInit(2);
    EXPECT_TRUE(rows.AddRectEx("k", map["k"]));
    EXPECT_TRUE(rows.AddRectEx("one", map["one"]));
    EXPECT_FALSE(rows.AddRectEx("none", map["none"]));
    ASSERT_EQ(rows.m_nCount, 2);
    EXPECT_EQ(rows.m_Rows[0].text, "k#@#A:1 B:2");
    EXPECT_EQ(rows.m_Rows[0].count, 3);
    EXPECT_EQ(rows.m_Rows[1].text, "one");
}

TEST(FreqRows, SourceListStopsOnceLongerThanItsBound) {
    qav::CFreqEntry entry;
    for (int i = 0; i < 50; ++i) entry.sources[std::string(100, static_cast<char>('A' + i % 26)) + std::to_string(i)] = 1;
    entry.count = 50;
    const std::string text = qav::FreqRowText("k", entry);
    const std::string list = text.substr(4);
    EXPECT_GT(list.size(), 1024u);
    EXPECT_LT(list.size(), 1024u + 110u);
    EXPECT_NE(list.back(), ' ');
}

TEST(FreqRows, LongSourceItemsAreCutAtCharacterEdges) {
    // "a" and 600 two-byte characters, ":1 ": cut to 1023 bytes, the cut
    // falling inside the last character taken.
    qav::CFreqEntry entry;
    std::string wide;
    for (int i = 0; i < 600; ++i) wide += Gbk("中");
    entry.sources["a" + wide] = 1;
    entry.sources["b"] = 2;
    entry.count = 3;
    EXPECT_EQ(qav::FreqRowText("k", entry), "k#@#a" + wide.substr(0, 1022) + "b:2");
}

TEST(FreqRows, SortPutsLargestCountsFirst) {
    qav::CFinalRect rows;
    rows.FinalRectInit(10);
    for (int count : {2, 7, 1, 7, 3}) rows.AddRow("r" + std::to_string(count), count);
    rows.SortRet();
    std::vector<int> counts;
    for (int i = 0; i < rows.m_nCount; ++i) counts.push_back(rows.m_Rows[static_cast<size_t>(i)].count);
    EXPECT_EQ(counts, (std::vector<int>{7, 7, 3, 2, 1}));
}

TEST(CountForms, TextsOfTheForms) {
    const qav::CSplitedRet parts = Parts();
    struct Case {
        std::string form, text;
    } cases[] = {
        {"", Gbk("我爱上海")},    {"$Q", Gbk("我爱上海")},   {"$1", Gbk("我")},
        {"$2", Gbk("上海")},      {"$B", "left"},              {"$E", "right"},
        {"$1*$2", Gbk("我*上海")}, {"$12", Gbk("我*上海")},    {"$1$2", Gbk("我*上海")},
        {"$1 $2", Gbk("我*上海")}, {"$3", ""},                  {"%s", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(qav::CountFormText(c.form, parts), c.text) << c.form;
}

TEST(CountRows, TopEntriesJoinedWithTheirCounts) {
    qav::CCountMap map{{"a", 5}, {"b", 9}, {"c", 1}};
    std::string text;
    EXPECT_EQ(qav::Add2RetBuff(map, 2, text), 14);
    EXPECT_EQ(text, "b_9;a_5");
    EXPECT_EQ(qav::Add2RetBuff(map, 100, text), 15);
    EXPECT_EQ(text, "b_9;a_5;c_1");
    EXPECT_EQ(qav::Add2RetBuff(map, 0, text), 0);
    EXPECT_EQ(text, "");
}

TEST(CountRows, RowTextStaysWithinItsBound) {
    qav::CCountMap map;
    for (int i = 0; i < 30; ++i) map[std::string(20000, static_cast<char>('a' + i % 26)) + std::to_string(i)] = 30 - i;
    std::string text;
    EXPECT_EQ(qav::Add2RetBuff(map, 30, text), 465);
    EXPECT_LE(text.size(), qav::kCountRowBytes);
    // Whole items, each cut at its own bound.
    EXPECT_EQ(text.size(), 9 * (qav::kCountItemBytes + 1) - 1);
}

TEST(CountRows, OneRowPerMapInOrderWhileThereIsRoom) {
    std::vector<qav::CCountMap> maps;
    qav::InitFreq(maps, 0);
    EXPECT_EQ(maps.size(), 1u);
    qav::InitFreq(maps, 3);
    ASSERT_EQ(maps.size(), 3u);
    maps[0]["x"] = 2;
    maps[2]["y"] = 4;
    qav::CFinalRect rows;
    rows.FinalRectInit(2);
    qav::AddvmFreq2RetBuff(maps, 100, rows);
    ASSERT_EQ(rows.m_nCount, 2);
    EXPECT_EQ(rows.m_Rows[0].text, "x_2");
    EXPECT_EQ(rows.m_Rows[0].count, 2);
    EXPECT_EQ(rows.m_Rows[1].text, "");
    EXPECT_EQ(rows.m_Rows[1].count, 0);
}

}  // namespace
