// The condition language: parsing of condition texts and the hit test over
// the text parts of a hit.
#include "qav/search/filter/condition.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qav/index/base/cat_table.h"
#include "qav/search/sent_info_fixture.h"
#include "support/test_support.h"

namespace {

using qztest::Gbk;
using Words = std::vector<std::string>;

// Texts of one hit, written in UTF-8.
struct Hit {
    std::string g1, g2, before, end, match;
};

bool Passes(qav::CConditionEx& cond, const Hit& hit, const Words& words = {}) {
    return cond.IsOK(Gbk(hit.g1), Gbk(hit.g2), Gbk(hit.before), Gbk(hit.end), Gbk(hit.match), words);
}

class ConditionTest : public testing::Test {
protected:
    void SetUp() override { qav::g_mCatTable.Clear(); }
    void TearDown() override { qav::g_mCatTable.Clear(); }
};

TEST_F(ConditionTest, KeysTestTheirPartOfTheHit) {
    struct Case {
        const char* condition;
        Hit hit;
        bool passes;
    };
    const Case cases[] = {
        {"mid($1)=[上海]", {"去上海了", "", "", "", ""}, true},
        {"mid($2)=[上海]", {"去上海了", "", "", "", ""}, false},
        {"mid($B)!=[上海]", {"", "", "去北京", "", ""}, true},
        {"beg($E)=[北京 上海]", {"", "", "", "上海人", ""}, true},
        {"beg($E)=[北京 上海]", {"", "", "", "在上海", ""}, false},
        {"end($Q)=[人]", {"", "", "", "", "上海人"}, true},
        {"end($Q)!=[人]", {"", "", "", "", "上海人"}, false},
        {"equ($1)=[上海]", {"上海", "", "", "", ""}, true},
        {"equ($1)=[上海]", {"上海人", "", "", "", ""}, false},
        {"$2=[北京]", {"", "北京", "", "", ""}, true},
        {"$2!=[北京]", {"", "北京", "", "", ""}, false},
        {"len($Q)=2", {"", "", "", "", "上海"}, true},
        {"len($Q)!=2", {"", "", "", "", "上海"}, false},
        {"len($B)>1", {"", "", "上海", "", ""}, true},
        {"len($B)>2", {"", "", "上海", "", ""}, false},
        {"len($2)<3", {"", "上海", "", "", ""}, true},
        {"len($2)<3", {"", "上海人", "", "", ""}, false},
        {"$1=$2", {"上海", "上海", "", "", ""}, true},
        {"$2!=$1", {"上海", "上海", "", "", ""}, false},
        {"len($1)=len($2)", {"上海", "北京", "", "", ""}, true},
        {"len($1)!=len($2)", {"上海", "北京", "", "", ""}, false},
        {"len($1)>len($2)", {"上海人", "北京", "", "", ""}, true},
        {"len($1)<len($2)", {"上海人", "北京", "", "", ""}, false},
        // The reversed forms compare strictly: equal lengths fail.
        {"len($2)>len($1)", {"上海", "北京", "", "", ""}, false},
        {"len($2)>len($1)", {"上海", "北京人", "", "", ""}, true},
        {"len($2)<len($1)", {"上海", "北京", "", "", ""}, false},
        {"len($2)<len($1)", {"上海人", "北京", "", "", ""}, true},
        // Items are joined: every one must hold.
        {"mid($1)=[上海];len($1)<3", {"上海人", "", "", "", ""}, false},
        {"mid($1)=[上海],len($1)<4", {"上海人", "", "", "", ""}, true},
        {"mid($1)=[上海]`$2=[北京]", {"上海", "天津", "", "", ""}, false},
    };
    for (const Case& c : cases) {
        qav::CConditionEx cond;
        cond.SetCondition(Gbk(c.condition).c_str());
        EXPECT_EQ(Passes(cond, c.hit), c.passes) << c.condition;
    }
}

TEST_F(ConditionTest, CategoryNamesExpandToTheirWords) {
    qztest::TempDir dir;
    qztest::WriteFile(dir.file("cat.txt"), Gbk("#CATA\n上海\n北京\n#CATB\n广州\n"));
    ASSERT_TRUE(qav::CatTableInit(dir.file("cat.txt")));
    qav::CConditionEx cond;
    cond.SetCondition(Gbk("mid($1)=[CATA CATB 深圳 NOPE]").c_str());
    for (const char* text : {"在北京", "在上海", "在广州", "在深圳"})
        EXPECT_TRUE(Passes(cond, {text, "", "", "", ""})) << text;
    EXPECT_FALSE(Passes(cond, {"在天津", "", "", "", ""}));
    // An ASCII word that names no category stands for nothing.
    EXPECT_FALSE(Passes(cond, {"NOPE", "", "", "", ""}));
}

TEST_F(ConditionTest, ListEndingInACharacterWithABracketByteKeepsIt) {
    // 0xB0 0x5D is one GBK character; its second byte is not a closing bracket.
    const std::string character = "\xB0\x5D";
    for (const std::string& item : {"mid($1)=[" + character, "mid($1)=[" + character + "]"}) {
        qav::CConditionEx cond;
        cond.SetCondition(item.c_str());
        EXPECT_TRUE(cond.IsOK(Gbk("在") + character, "", "", "", "", {})) << item.size();
    }
}

TEST_F(ConditionTest, ItemsThatAreNoKeyBecomeDocumentChecks) {
    qav::CConditionEx cond;
    // After "; " the key begins with a blank, so it is no key of the language.
    cond.SetCondition(Gbk("len($1)<9; mid($1)=[上海];POS=[NN];Cat=体育").c_str());
    EXPECT_EQ(cond.Checks(), (std::set<std::string>{" mid($1)=", "Cat=" + Gbk("体育"), "POS=[NN]",
                                                    "len($1)<"}));
    EXPECT_TRUE(Passes(cond, {"北京", "", "", "", ""}));

    qztest::TempDir dir;
    qav::CHashTableInfo info;
    qztest::LoadSentInfo(info, dir, {"NN"}, {{0, 512, 0, 0}}, {{Gbk("Cat=体育")}});
    EXPECT_FALSE(cond.IsOK(qztest::SentKey(0, 512), info));
    cond.SetCondition(Gbk("POS=[NN];Cat=体育").c_str());
    EXPECT_TRUE(cond.IsOK(qztest::SentKey(0, 512), info));
}

TEST_F(ConditionTest, NoChecksOrOnlyDocumentChecksPassEveryHit) {
    qav::CConditionEx cond;
    EXPECT_TRUE(Passes(cond, {"a", "b", "", "", ""}));
    cond.SetCondition("Cat=x;print($1)");
    EXPECT_TRUE(Passes(cond, {"a", "b", "", "", ""}));
    cond.SetCondition("");
    EXPECT_TRUE(cond.Checks().empty());
}

TEST_F(ConditionTest, PrintItemsSetTheirFlags) {
    qav::CConditionEx cond;
    cond.SetCondition(" print($1)\t; print($2$3),print($E)");
    std::array<bool, qav::kPrintFlagCount> expected{};
    expected[qav::kPrint1] = expected[qav::kPrint23] = expected[qav::kPrintE] = true;
    EXPECT_EQ(cond.m_bPrint, expected);
    cond.SetCondition("len($1)<3");
    EXPECT_EQ(cond.m_bPrint, (std::array<bool, qav::kPrintFlagCount>{}));
}

TEST_F(ConditionTest, WordRatioBoundsTheWordsOutsideTheList) {
    const Words hitWords = {Gbk("我"), Gbk("爱"), Gbk("上海"), Gbk("的"), Gbk("夜")};
    struct Case {
        const char* ratio;
        const char* list;
        bool passes;
    };
    const Case cases[] = {
        {"3", "上海 我", true},           // 3 words outside
        {"2", "上海 我", false},
        {"2", "上海 我 的", true},
        {"0.5", "上海 我 的", true},      // 2 of 5 outside
        {"0.5", "上海 我", false},        // 3 of 5
        {"-1", "上海", true},             // no bound
        {"9", "北京", false},             // no word of the list in the line
    };
    for (const Case& c : cases) {
        qav::CConditionEx cond;
        cond.SetCondition(Gbk(std::string("$Words=[") + c.list + "];$WordsNum=" + c.ratio).c_str());
        EXPECT_EQ(Passes(cond, {"", "", "我爱", "的夜", "上海"}, hitWords), c.passes)
            << c.ratio << " " << c.list;
    }
}

TEST_F(ConditionTest, WordRatioIsNoDocumentCheckAndOutlivesTheCondition) {
    qztest::TempDir dir;
    qav::CHashTableInfo info;
    qztest::LoadSentInfo(info, dir, {"NN"}, {{0, 512, 0, 0}}, {{"a=b"}});
    qav::CConditionEx cond;
    cond.SetCondition(Gbk("$Words=[上海];$WordsNum=2").c_str());
    EXPECT_TRUE(cond.IsOK(qztest::SentKey(0, 512), info));
    EXPECT_FLOAT_EQ(cond.WordRatio(), 0.99f);
    EXPECT_TRUE(Passes(cond, {"", "", "", "", "上海"}, {Gbk("上海")}));
    EXPECT_FLOAT_EQ(cond.WordRatio(), 2.0f);
    cond.SetCondition("len($1)<3");
    EXPECT_TRUE(Passes(cond, {"", "", "", "", ""}));
    EXPECT_FLOAT_EQ(cond.WordRatio(), 2.0f);
}

TEST_F(ConditionTest, LengthNumberKeepsTheLastValueOfAKey) {
    qav::CConditionEx cond;
    cond.SetCondition("len($1)<2;len($1)<4");
    EXPECT_TRUE(Passes(cond, {"上海人", "", "", "", ""}));
}

TEST_F(ConditionTest, OverlongItemIsIgnored) {
    qav::CConditionEx cond;
    const std::string list(1100, 'a');
    cond.SetCondition(("mid($1)=[" + list + "];len($1)<3").c_str());
    EXPECT_EQ(cond.Checks(), (std::set<std::string>{"len($1)<"}));
}

TEST_F(ConditionTest, ClearKeepsFilterModeAndDropsFilters) {
    qav::CConditionEx cond;
    cond.SetFilter("a=1", -1);
    cond.SetCondition("len($1)<3");
    EXPECT_TRUE(cond.m_filters.empty());
    EXPECT_EQ(cond.m_nFilterMode, qav::CConditionEx::kFilterNone);
}

}  // namespace
