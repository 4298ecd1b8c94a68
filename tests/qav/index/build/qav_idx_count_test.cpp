#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "build_fixture.h"
#include "qav/index/format/unit_type.h"

namespace {

using qztest::BuildFixture;
using qztest::Gbk;

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

TEST(CountUnitWord, OneThreadAndEightThreadsCountTheSame) {
    BuildFixture one;
    one.SetGroups({AddFiles(one, 20)});
    EXPECT_NE(CountWithLog(one).find("Using 1 worker threads for 1 file groups\n"), std::string::npos);

    BuildFixture twenty;
    std::vector<std::vector<std::string>> groups;
    for (const std::string& path : AddFiles(twenty, 20)) groups.push_back({path});
    twenty.SetGroups(groups);
    EXPECT_NE(CountWithLog(twenty).find("Using 8 worker threads for 20 file groups\n"), std::string::npos);

    const qav::CWordList& a = one.idx.m_WordList_W;
    const qav::CWordList& b = twenty.idx.m_WordList_W;
    ASSERT_EQ(a.length(), 4 + 3 + 20 * 2 + 1 + 2);  // separators, 我 爱 上海, 词k and 字k, 和, 好 。
    ASSERT_EQ(a.length(), b.length());
    for (size_t i = 0; i < a.words.size(); ++i)
        EXPECT_EQ(std::tie(a.words[i].text, a.words[i].count), std::tie(b.words[i].text, b.words[i].count));
    EXPECT_EQ(a.words_by_id[a.Word2No("|")].count, 20);  // once per file, never met in a sentence

    // Units: equal except where a group starts with a blank previous word
    // instead of the last word of the file before.
    const std::map<std::pair<std::string, int>, std::pair<uint32_t, uint32_t>> boundary = {
        {{"|_我", qav::UNIT_POS_R}, {1, 20}},
        {{" _r|", qav::UNIT_POS_L}, {1, 20}},
        {{"|w_我", qav::UNIT_POS_R}, {19, 0}},
        {{"。_r|", qav::UNIT_POS_L}, {19, 0}},
    };
    for (const auto& [unit, counts] : boundary) {
        EXPECT_EQ(one.UnitCount(unit.first, unit.second), counts.first) << unit.first;
        EXPECT_EQ(twenty.UnitCount(unit.first, unit.second), counts.second) << unit.first;
    }
    for (const qav::CWord& unit : one.idx.m_WordList_U.words) {
        const std::string utf8 = qztest::Utf8(unit.text);
        if (boundary.count({utf8, unit.type})) continue;
        EXPECT_EQ(twenty.UnitCount(utf8, unit.type), static_cast<uint32_t>(unit.count)) << utf8;
    }
    EXPECT_EQ(one.UnitCount("爱_ns|", qav::UNIT_POS_L), 20u);
}

TEST(CountUnitWord, AGroupThatCannotBeReadFailsTheStage) {
    BuildFixture build;
    build.SetGroups({{build.AddFile({"一/m 二/m"})}, {build.dir.file("missing.txt")}});
    testing::internal::CaptureStdout();
    EXPECT_FALSE(build.Count());
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(build.UnitCount("|m_二", qav::UNIT_POS_R), 1u);  // the other group is counted
}

}  // namespace
