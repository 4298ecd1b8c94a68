#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qav/index/engine/hash_table.h"
#include "qav/search/atom/atom_query.h"
#include "qav/index/format/record_compare.h"
#include "qav/search/atom/segment.h"
#include "qav/search/search_fixture.h"

using qztest::Gbk;
using searchtest::IdOf;
using searchtest::MakeWordList;

namespace {

class AtomQueryTest : public ::testing::Test {
protected:
    qav::CWordList chinese = MakeWordList({"的", "我", "爱", "上海", "上", "海", "中国", "国人", "中", "人", "a"});
    qav::CWordList english = MakeWordList({"the", "big", "dog"});
    qav::CHashTable units{101};
    qav::AtomQueryEnv env{&units, &chinese, qav::kLanguageChinese};
    qav::CAtomSearchQuery query;

    bool Set(const std::string& unit, const std::string& pattern, const std::string& w1 = "",
             const std::string& w2 = "", const std::string& w3 = "", const std::string& w4 = "") {
        return query.SetAtomSearchQuery(env, Gbk(unit), Gbk(pattern), w1, w2, w3, w4);
    }
};

TEST_F(AtomQueryTest, KindAndPatternOfAUnitForm) {
    ASSERT_TRUE(Set("的_n|", "的"));
    EXPECT_EQ(query.type, qav::UNIT_POS_L);
    EXPECT_EQ(query.ids, std::vector<uint32_t>{IdOf(chinese, "的")});

    ASSERT_TRUE(Set("<中", "中.国"));
    EXPECT_EQ(query.type, qav::UNIT_HZ_R);
    EXPECT_EQ(query.pattern, Gbk("中国"));
    EXPECT_EQ(query.pattern.size(), 4u);
    EXPECT_EQ(query.queryLength, 6);
}

TEST_F(AtomQueryTest, EmptyUnitTextFailsAndLeavesAnEmptyQuery) {
    ASSERT_TRUE(Set("的_n|", "的"));
    EXPECT_FALSE(Set("", "的"));
    EXPECT_EQ(query.type, qav::UNIT_NONE);
    EXPECT_TRUE(query.pattern.empty());
    EXPECT_TRUE(query.ids.empty());
}

TEST_F(AtomQueryTest, PlainTextPicksTheCandidateThatIsAnIndexUnit) {
    struct Case {
        std::vector<std::string> existing;
        std::string expected;
    } cases[] = {
        {{"<我", "爱>"}, "<我"},
        {{"<我"}, "<我"},
        {{"爱>"}, "爱>"},  // only the second exists: a search under "<我" would find nothing
        {{}, "<我"},
    };
    for (const Case& c : cases) {
        units.Clear();
        for (const std::string& name : c.existing) units.GetOrAdd(Gbk(name), qav::UnitTypeOfText(Gbk(name)));
        ASSERT_TRUE(Set("我爱", "ignored"));
        EXPECT_EQ(query.unit, Gbk(c.expected));
        EXPECT_EQ(query.type, qav::UnitTypeOfText(Gbk(c.expected)));
        EXPECT_EQ(query.pattern, Gbk("我爱"));  // the pattern argument is not used
    }
}

TEST_F(AtomQueryTest, PlainTextWithoutEngineFails) {
    qav::AtomQueryEnv none;
    EXPECT_FALSE(query.SetAtomSearchQuery(none, Gbk("我爱"), "", "", "", "", ""));
    EXPECT_EQ(query.type, qav::UNIT_NONE);
}

TEST_F(AtomQueryTest, MaximumMatchDirectionFollowsTheKind) {
    const uint32_t none = qav::kNotAWord;
    struct Case {
        std::string unit;
        std::string pattern;
        std::vector<std::string> words;  // "" stands for kNotAWord
    } cases[] = {
        {"<中", "中国人", {"中国", "人"}},    // left to right
        {"|n_中", "中国人", {"中国", "人"}},  // left to right
        {"人>", "中国人", {"中", "国人"}},    // right to left
        {"$NP_人", "中国人", {"中", "国人"}},
        {"的_n|", "我 爱", {"我", "爱"}},     // blanks between words are skipped
        {"<上", "上海a", {"上海", ""}},       // a one-byte rest never matches left to right
        {"海>", "上海a", {"上海", "a"}},      // but a one-byte word does right to left
        {"海>", "x上海", {"", "上海"}},
        {"<上", "x上海", {""}},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(Set(c.unit, c.pattern));
        std::vector<uint32_t> expected;
        for (const std::string& w : c.words) expected.push_back(w.empty() ? none : IdOf(chinese, w));
        EXPECT_EQ(query.ids, expected) << c.unit << " " << c.pattern;
    }
}

TEST_F(AtomQueryTest, EnglishDropsPiecesThatAreNoWords) {
    env = {&units, &english, qav::kLanguageEnglish};
    ASSERT_TRUE(Set("|DT", "the  cat\tdog"));
    EXPECT_EQ(query.ids, (std::vector<uint32_t>{IdOf(english, "the"), IdOf(english, "dog")}));
    env.language = 2;
    ASSERT_TRUE(Set("|DT", "the dog"));
    EXPECT_TRUE(query.ids.empty());
}

TEST_F(AtomQueryTest, TextsAndIdentifiersAreBounded) {
    std::string longPattern;
    for (int i = 0; i < 600; ++i) longPattern += "中";  // 1,200 bytes
    ASSERT_TRUE(Set("人>", longPattern));
    EXPECT_EQ(query.pattern.size(), 1022u);  // whole characters within 1,023 bytes
    EXPECT_EQ(query.ids.size(), qav::CAtomSearchQuery::kMaxIds);

    const std::string longUnit = "|" + std::string(2000, 'x');
    ASSERT_TRUE(Set(longUnit, ""));
    EXPECT_EQ(query.unit.size(), qav::CAtomSearchQuery::kMaxTextBytes);
}

TEST(WaveAndBrackets, CountsAndMarksOfAWaveString) {
    EXPECT_EQ(qav::GetWaveNum("~(~~"), 3u);
    std::vector<uint32_t> values;
    qav::GetBracketInfo("~(~~", true, values);
    EXPECT_EQ(values, std::vector<uint32_t>{1});
    qav::GetBracketInfo("~(~~)~", false, values);
    EXPECT_EQ(values, (std::vector<uint32_t>{3, 1}));  // tildes to the right, in left-to-right order
    // A trail byte 0x7E is part of its character, not a "~".
    EXPECT_EQ(qav::GetWaveNum("\x81\x7E~"), 1u);
    qav::GetBracketInfoEx("1 2;3,,x", values);
    EXPECT_EQ(values, (std::vector<uint32_t>{1, 2, 3, 0}));
}

TEST_F(AtomQueryTest, BracketMarksInKindOrder) {
    using Marks = std::vector<std::pair<uint32_t, uint32_t>>;
    auto marks = [&] {
        Marks out;
        for (const qav::CBracketInfo& b : query.brackets) out.emplace_back(b.value, b.kind);
        return out;
    };
    auto waves = [&] {
        Marks out;
        for (const qav::CBracketInfo& w : query.waves) out.emplace_back(w.value, w.kind);
        return out;
    };

    ASSERT_TRUE(Set("的_n|", "的", "~(~~", "(~", "(", "("));
    EXPECT_EQ(marks(), (Marks{{1, 0}, {1, 1}}));  // w3 and w4 count only for kind 5
    EXPECT_EQ(waves(), (Marks{{3, 0}, {1, 1}, {0, 2}, {0, 3}}));

    ASSERT_TRUE(Set("$NP_海", "海", "~(", "(~~", "~~(", "~("));
    EXPECT_EQ(marks(), (Marks{{1, 0}, {2, 2}, {1, 3}, {2, 1}}));

    ASSERT_TRUE(query.SetAtomSearchQueryEx(env, Gbk("$NP_海"), Gbk("海"), "", "", "", "", "4 5", "6", "7", "8;9"));
    EXPECT_EQ(marks(), (Marks{{4, 0}, {5, 0}, {6, 1}, {7, 2}, {8, 3}, {9, 3}}));

    // Without all four bracket strings the wave strings give the marks.
    ASSERT_TRUE(query.SetAtomSearchQueryEx(env, Gbk("的_n|"), Gbk("的"), "(~", "", "", "", "4", nullptr, "", ""));
    EXPECT_EQ(marks(), (Marks{{0, 0}}));
}

TEST_F(AtomQueryTest, ClearEmptiesEverything) {
    ASSERT_TRUE(Set("的_n|", "的", "~(~"));
    query.Clear();
    EXPECT_TRUE(query.unit.empty() && query.pattern.empty() && query.ids.empty());
    EXPECT_TRUE(query.brackets.empty() && query.waves.empty());
    EXPECT_EQ(query.type, qav::UNIT_NONE);
    EXPECT_EQ(query.queryLength, 0);
}

}  // namespace
