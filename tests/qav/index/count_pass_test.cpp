#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "build_fixture.h"
#include "qav/index/add_word.h"
#include "qav/index/qav_log.h"
#include "qav/index/word_list_build.h"
#include "qav/search/unit_type.h"

namespace {

using qztest::BuildFixture;
using qztest::Gbk;
using qztest::ReadFile;

// Every file starts and ends with the same sentences, so the only units that
// depend on where groups begin are those joining a file to the one before it.
std::vector<std::string> FileSentences(int k) {
    const std::string n = std::to_string(k);
    return {"我/r 爱/v 上海/ns", "词" + n + "/n 和/c 字" + n + "/n", "好/a 。/w"};
}

std::vector<std::string> AddFiles(BuildFixture& build, int count) {
    std::vector<std::string> paths;
    for (int k = 0; k < count; ++k) paths.push_back(build.AddFile(FileSentences(k), 3 * k));
    return paths;
}

std::string CountWithLog(BuildFixture& build) {
    testing::internal::CaptureStdout();
    EXPECT_TRUE(build.Count());
    return testing::internal::GetCapturedStdout();
}

TEST(CountUnitWord, OneGroupAndTwentyGroupsGiveTheSameWordList) {
    BuildFixture one;
    one.SetGroups({AddFiles(one, 20)});
    const std::string oneLog = CountWithLog(one);
    EXPECT_NE(oneLog.find("Using 1 worker threads for 1 file groups\n"), std::string::npos);

    BuildFixture twenty;
    std::vector<std::vector<std::string>> groups;
    for (const std::string& path : AddFiles(twenty, 20)) groups.push_back({path});
    twenty.SetGroups(groups);
    const std::string twentyLog = CountWithLog(twenty);
    EXPECT_NE(twentyLog.find("Unit Word Counting [0-19] of 20\n"), std::string::npos);
    EXPECT_NE(twentyLog.find("Using 8 worker threads for 20 file groups\n"), std::string::npos);

    // Words, their counts and their identifiers (the order the corpus first
    // meets them) do not depend on the grouping.
    const CWordList& a = one.idx.m_WordList_W;
    const CWordList& b = twenty.idx.m_WordList_W;
    ASSERT_EQ(a.length(), 4 + 3 + 20 * 2 + 1 + 2);  // separators, line 1, 词k and 字k, 和, line 3
    ASSERT_EQ(a.length(), b.length());
    for (size_t i = 0; i < a.words.size(); ++i) {
        EXPECT_EQ(std::tie(a.words[i].text, a.words[i].id, a.words[i].count),
                  std::tie(b.words[i].text, b.words[i].id, b.words[i].count));
        EXPECT_EQ(a.words_by_id[i].text, b.words_by_id[i].text);
    }
    EXPECT_EQ(a.words_by_id[4].text, Gbk("我"));
    EXPECT_EQ(a.words_by_id[a.Word2No(Gbk("|"))].count, 20);  // once per file, never met in a sentence
    EXPECT_EQ(a.words_by_id[a.Word2No(Gbk("上海"))].count, 20);

    // Units: equal except where a group starts with a blank previous word
    // instead of the last word of the file before.
    const std::map<std::pair<std::string, int>, std::pair<uint32_t, uint32_t>> boundary = {
        {{"|_我", UNIT_POS_R}, {1, 20}},
        {{" _r|", UNIT_POS_L}, {1, 20}},
        {{"|w_我", UNIT_POS_R}, {19, 0}},
        {{"。_r|", UNIT_POS_L}, {19, 0}},
    };
    for (const auto& [unit, counts] : boundary) {
        EXPECT_EQ(one.UnitCount(unit.first, unit.second), counts.first) << unit.first;
        EXPECT_EQ(twenty.UnitCount(unit.first, unit.second), counts.second) << unit.first;
    }
    for (const CWord& unit : one.idx.m_WordList_U.words) {
        std::string utf8 = qztest::Utf8(unit.text);
        if (boundary.count({utf8, unit.type})) continue;
        EXPECT_EQ(twenty.UnitCount(utf8, unit.type), static_cast<uint32_t>(unit.count)) << utf8;
    }
    EXPECT_EQ(one.UnitCount("|r_爱", UNIT_POS_R), 20u);
    EXPECT_EQ(one.UnitCount("爱_ns|", UNIT_POS_L), 20u);
}

TEST(CountUnitWord, UnitListIsOrderedByCountThenFirstMeeting) {
    BuildFixture build;
    build.SetGroups({{build.AddFile({"甲/a 乙/b", "甲/a 乙/b 丙/c"})}});
    ASSERT_TRUE(build.Count());
    const std::vector<CWord>& units = build.idx.m_WordList_U.words;
    ASSERT_FALSE(units.empty());
    for (size_t i = 1; i < units.size(); ++i) {
        EXPECT_GE(units[i - 1].count, units[i].count);
        if (units[i - 1].count == units[i].count) {
            EXPECT_LT(units[i - 1].id, units[i].id);
        }
    }
    EXPECT_EQ(units[0].text, Gbk("|a_乙"));
    EXPECT_EQ(units[0].count, 2);
}

TEST(CountUnitWord, RefusedLinesGoToTheWarningFileAndAGroupThatCannotBeOpenedFails) {
    BuildFixture build;
    const std::string longLine = std::string(102400 + 1, 'x');
    const std::string good = build.AddFile({"一/m 二/m", longLine, "三/m 四/m"});
    build.SetGroups({{good}, {build.dir.file("missing.txt")}});
    testing::internal::CaptureStdout();
    EXPECT_FALSE(build.Count());
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("Error open " + build.dir.file("missing.txt") + "\n"), std::string::npos);

    // The refused line is reported with the first 102,400 bytes the reader keeps.
    const std::string warnings = ReadFile(build.dir.file("Info/Data_0.txt"));
    EXPECT_EQ(warnings, "Warning:1\t" + longLine.substr(0, 102400 - 2) + "\n");
    EXPECT_EQ(build.idx.m_WordList_W.Word2No(Gbk("x")), -1);
    EXPECT_EQ(build.UnitCount("|m_三", UNIT_POS_R), 1u);
}

struct PruneCase {
    const char* name;
    int64_t limit;
    size_t units_kept;
    const char* log_line;
};

TEST(PruneWordList, CutsUnitsOnlyAndKeepsEveryWord) {
    const PruneCase cases[] = {
        {"no cut", 100, 0, "  No pruning needed.\n"},
        {"cut", 2, 2, "  WordList_U pruned: "},
    };
    for (const PruneCase& c : cases) {
        SCOPED_TRACE(c.name);
        BuildFixture build;
        build.SetGroups({{build.AddFile({"甲/a 乙/b 丙/c", "甲/a 乙/b 丁/d", "甲/a 乙/b"})}});
        build.idx.m_nMaxUnitListSize = c.limit;
        FILE* log = std::tmpfile();
        g_log_file = log;
        testing::internal::CaptureStdout();
        ASSERT_TRUE(build.Count());
        testing::internal::GetCapturedStdout();
        g_log_file = nullptr;
        std::rewind(log);
        std::string logText(1 << 16, '\0');
        logText.resize(std::fread(&logText[0], 1, logText.size(), log));
        std::fclose(log);

        const int64_t units = build.idx.m_WordList_U.length();
        const int64_t allUnits = static_cast<int64_t>(build.idx.m_UnitHash.node_count());
        EXPECT_EQ(units, c.units_kept ? static_cast<int64_t>(c.units_kept) : allUnits);
        EXPECT_NE(logText.find(c.log_line), std::string::npos) << logText;
        // Every identifier keeps its word.
        EXPECT_EQ(build.idx.m_WordList_W.length(), 4 + 4);
        for (size_t id = 0; id < build.idx.m_WordList_W.words_by_id.size(); ++id)
            EXPECT_EQ(build.idx.m_WordList_W.words_by_id[id].id, static_cast<int32_t>(id));
    }
}

TEST(PruneWordList, LogsTheThresholdOfTheLastUnitKept) {
    BuildFixture build;
    build.SetGroups({{build.AddFile({"甲/a 乙/b 丙/c", "甲/a 乙/b 丁/d", "甲/a 乙/b"})}});
    build.idx.m_nMaxUnitListSize = 2;
    testing::internal::CaptureStdout();
    ASSERT_TRUE(build.Count());
    const std::string log = testing::internal::GetCapturedStdout();
    // |a_乙 and 甲_b| were met three times; the rest fewer.
    const int64_t all = static_cast<int64_t>(build.idx.m_UnitHash.node_count());
    const std::string expected = "  WordList_U pruned: " + std::to_string(all) +
                                 " -> 2  (freq threshold >= 3, removed " + std::to_string(all - 2) + " entries)\n";
    EXPECT_NE(log.find(expected), std::string::npos) << log;
    EXPECT_NE(log.find("  WordList pruning done. U=2, W=8\n"), std::string::npos) << log;
}

TEST(AddWord, SameTextWithAnotherTypeIsAnotherEntry) {
    CWordList list;
    CHashTable table(7);
    AddWord(table, "x", 2, UNIT_POS_L);
    AddWord(table, "x", 1, UNIT_POS_R);
    AddWord(table, "x", 3, UNIT_POS_L);
    ToWordList(table, list, kUnitListMode);
    ASSERT_EQ(list.length(), 2);
    EXPECT_EQ(std::tie(list.words[0].type, list.words[0].count, list.words[0].id), std::make_tuple(3, 5, 0));
    EXPECT_EQ(std::tie(list.words[1].type, list.words[1].count, list.words[1].id), std::make_tuple(4, 1, 1));
}

}  // namespace
