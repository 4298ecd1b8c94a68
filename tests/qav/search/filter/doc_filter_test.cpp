// Document filters and checks against sentence and document information.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qav/search/filter/condition.h"
#include "qav/search/filter/range_match.h"
#include "qav/search/sent_info_fixture.h"
#include "support/test_support.h"

namespace {

using qztest::Gbk;
using qztest::SentKey;

TEST(RangeMatchTest, DatesCompareAtThePrecisionOfTheBound) {
    struct Case {
        const char* value;
        const char* range;
        bool in;
    };
    const std::string longBound(100, '1');
    const Case cases[] = {
        {"20200315", "2019-2021", true}, {"20180101", "2019-2021", false},
        {"20200315", "2020", true},      {"20200315", "2021", false},
        {"2019", "2000-", true},         {"1999", "2000-", false},
        {"20200315", "-2019", false},    {"20190315", "-2019", true},
        {"2019", "", false},
    };
    for (const Case& c : cases) EXPECT_EQ(qav::IsTimeIn(c.value, c.range), c.in) << c.value << " " << c.range;
    EXPECT_FALSE(qav::IsTimeIn("1", "-" + longBound));
}

TEST(RangeMatchTest, NumbersCompareWhole) {
    struct Case {
        const char* value;
        const char* range;
        bool in;
    };
    const Case cases[] = {
        {"15", "10-20", true}, {"150", "10-20", false}, {"10", "10-20", true}, {"20", "10-20", true},
        {"150", "15", true},   {"9", "-10", true},      {"11", "-10", false}, {"20", "20-", true},
        {"19", "20-", false},
    };
    for (const Case& c : cases) EXPECT_EQ(qav::IsValIn(c.value, c.range), c.in) << c.value << " " << c.range;
}

// Sentences: 0:512 in document 0 tagged NN, 0:600 in document 1 tagged VP,
// 1:512 in document 2 (no information) tagged NN; 2:512 is unknown.
class DocFilterTest : public testing::Test {
protected:
    void SetUp() override {
        qztest::LoadSentInfo(info_, dir_, {"NN", "VP"},
                             {{0, 512, 0, 0}, {0, 600, 1, 1}, {1, 512, 2, 0}},
                             {{Gbk("Cat=体育_足球"), "time_year=2019", "num_page=15"},
                              {Gbk("Cat=新闻_体育"), "time_year=1999", "num_page=150"},
                              {}});
    }

    // Filter result for each sentence, in the order above.
    std::vector<bool> Filter(const std::string& text, int mode) {
        qav::CConditionEx cond;
        cond.SetFilter(Gbk(text).c_str(), mode);
        std::vector<bool> out;
        for (int64_t key : keys_) out.push_back(cond.IsInFilter(key, info_));
        return out;
    }

    std::vector<bool> Check(const std::string& condition) {
        qav::CConditionEx cond;
        cond.SetCondition(Gbk(condition).c_str());
        std::vector<bool> out;
        for (int64_t key : keys_) out.push_back(cond.IsOK(key, info_));
        return out;
    }

    qztest::TempDir dir_;
    qav::CHashTableInfo info_;
    const std::vector<int64_t> keys_ = {SentKey(0, 512), SentKey(0, 600), SentKey(1, 512),
                                        SentKey(2, 512)};
};

TEST_F(DocFilterTest, FilterEntriesByName) {
    struct Case {
        const char* filter;
        std::vector<bool> passes;
    };
    const Case cases[] = {
        {"num_page=10-20", {true, false, false, false}},
        {"time_year=2000-", {true, false, false, false}},
        {"time_year=-2000", {false, true, false, false}},
        {"Cat=[足球]", {true, false, false, false}},
        {"Cat=[体育]", {true, true, false, false}},
        {"Cat=[足球 新闻]", {true, true, false, false}},  // each value finds its own document
        {"Cat=[育 球]", {false, false, false, false}},
        {"cat=[A 新闻]", {false, false, false, false}},  // the information is looked up by the name as written
        {"Cat=体育_足球", {true, false, false, false}},
        {"POS=[NN]", {true, false, true, false}},
        {"pos=[VP,XX]", {true, true, true, false}},       // an unknown tag passes every known sentence
        {"Cat=[]", {false, false, false, false}},         // no values pass nothing
        {"num_page=15", {true, true, false, false}},      // a single number matches by its beginning
        {"time_year=2019", {true, false, false, false}},
        {"other=x", {false, false, false, false}},
    };
    for (const Case& c : cases) EXPECT_EQ(Filter(c.filter, 1), c.passes) << c.filter;
}

TEST_F(DocFilterTest, ModesCombineTheEntries) {
    struct Case {
        const char* filter;
        int mode;
        std::vector<bool> passes;
    };
    const Case cases[] = {
        {"num_page=10-20;time_year=-2000", 1, {false, false, false, false}},
        {"num_page=10-20;time_year=-2000", 0, {true, true, false, false}},
        {"num_page=10-20;time_year=-2000", -1, {false, false, true, true}},
        {"num_page=10-20;POS=[NN]", 7, {true, false, false, false}},
        {"", 0, {true, true, true, true}},  // an empty text keeps mode "all" and no entries
        {"junk", 0, {false, false, false, false}},  // mode "any" with no entries
        {"junk", -1, {true, true, true, true}},
    };
    for (const Case& c : cases) EXPECT_EQ(Filter(c.filter, c.mode), c.passes) << c.filter << " " << c.mode;
}

TEST_F(DocFilterTest, FilterTextGivesOneEntryPerName) {
    qav::CConditionEx cond;
    cond.SetFilter("A=x;B=[y z];A=w", 1);
    EXPECT_EQ(cond.m_filters, (std::unordered_map<std::string, std::set<std::string>>{
                                  {"A", {"w"}}, {"B", {"y", "z"}}}));
    cond.SetFilter("C=1;stop;D=2", 1);
    EXPECT_EQ(cond.m_filters.count("C"), 1u);
    EXPECT_EQ(cond.m_filters.count("D"), 0u);
    cond.ClearFilter();
    EXPECT_TRUE(cond.m_filters.empty());
    EXPECT_EQ(cond.m_nFilterMode, qav::CConditionEx::kFilterAll);
}

TEST_F(DocFilterTest, DocumentChecks) {
    struct Case {
        const char* condition;
        std::vector<bool> passes;
    };
    const Case cases[] = {
        {"Cat=体育_足球", {true, false, false, false}},
        {"Cat=[体育_足球]", {false, false, false, false}},  // a bracketed value compares as written
        {"num_page=15;time_year=2019", {true, false, false, false}},
        {"pos=[NN VP]", {true, true, true, false}},
        {"POS=[VP]", {false, true, false, false}},
        {"Pos=VP", {false, true, false, false}},
        {"pos=[XX]", {false, false, false, false}},
        {"pos=[]", {false, false, false, false}},
        {"print($1)", {true, true, true, true}},
        {"$WordsNum=2", {true, true, true, true}},
    };
    for (const Case& c : cases) EXPECT_EQ(Check(c.condition), c.passes) << c.condition;
}

TEST(DocFilterTagTest, TagIdentifiersCompareWhole) {
    // 301 tags: identifier 300 would alias 44 if cut to 8 bits.
    std::vector<std::string> tags;
    for (int i = 0; i <= 300; ++i) tags.push_back("T" + std::to_string(i));
    qztest::TempDir dir;
    qav::CHashTableInfo info;
    qztest::LoadSentInfo(info, dir, tags, {{0, 512, 0, 300}}, {{}});
    qav::CConditionEx cond;
    cond.SetFilter("POS=[T44]", 1);
    EXPECT_FALSE(cond.IsInFilter(SentKey(0, 512), info));
    cond.SetFilter("POS=[T300]", 1);
    EXPECT_TRUE(cond.IsInFilter(SentKey(0, 512), info));
    cond.SetCondition("pos=[T44]");
    EXPECT_FALSE(cond.IsOK(SentKey(0, 512), info));
}

}  // namespace
