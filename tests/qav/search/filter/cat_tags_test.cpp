#include "qav/search/filter/cat_tags.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "qav/index/base/cat_table.h"
#include "support/test_support.h"

namespace {

using qztest::Gbk;
using Words = std::vector<std::string>;

class CatTagsTest : public testing::Test {
protected:
    void SetUp() override { qav::g_mCatTable.Clear(); }
    void TearDown() override { qav::g_mCatTable.Clear(); }
};

TEST_F(CatTagsTest, AddTagSplitsAndMergesWordLists) {
    qav::AddTag("CITY", Gbk("北京 上海,广州").c_str());
    qav::AddTag("CITY", Gbk(";;上海;深圳  ").c_str());
    qav::AddTag("NUM", "");
    Words words = {"stale"};
    qav::GetTagVal("CITY", words);
    std::set<std::string> expected = {Gbk("北京"), Gbk("上海"), Gbk("广州"), Gbk("深圳")};
    EXPECT_EQ(words, Words(expected.begin(), expected.end()));

    Words names = {"stale"};
    qav::GetTags(names);
    EXPECT_EQ(names, (Words{"CITY", "NUM"}));
    qav::GetTagVal("NUM", words);
    EXPECT_TRUE(words.empty());
}

TEST_F(CatTagsTest, MissingCategoryGivesNoWords) {
    qav::AddTag("CITY", Gbk("北京").c_str());
    Words words = {"stale"};
    qav::GetTagVal("city", words);
    EXPECT_TRUE(words.empty());
    qav::GetTags(words);
    EXPECT_EQ(words, Words{"CITY"});
}

TEST_F(CatTagsTest, SetBITExExpandsCategoryNames) {
    qav::AddTag("CITY", Gbk("北京 上海").c_str());
    qav::AddTag("num", Gbk("一 二").c_str());
    struct Case {
        Words words;
        std::set<std::string> expanded;
    };
    const std::vector<Case> cases = {
        {{"CITY", Gbk("中国")}, {Gbk("北京"), Gbk("上海"), Gbk("中国")}},
        {{"CITY", "num", Gbk("北京")}, {Gbk("北京"), Gbk("上海"), Gbk("一"), Gbk("二")}},
        // An ASCII word that names no category vanishes; others stay as they are.
        {{"Nowhere", "City", Gbk("中国")}, {Gbk("中国")}},
        {{"3rd", "_x", Gbk("ＡＢ")}, {"3rd", "_x", Gbk("ＡＢ")}},
        {{}, {}},
    };
    for (const Case& c : cases) {
        std::set<std::string> out = {"stale"};
        qav::SetBITEx(c.words, out);
        EXPECT_EQ(out, c.expanded);
    }
}

}  // namespace
