// The JSON answer over output rows made by hand, and saved result files.
#include <gtest/gtest.h>

#include <string>

#include "qav/index/engine/qav_engine.h"
#include "qav/search/qav_search.h"
#include "qav/search/saved_results.h"
#include "support/test_support.h"

namespace {

using qztest::Gbk;

class OutRetJSONTest : public testing::Test {
protected:
    void SetUp() override { search_.m_FinalRect.FinalRectInit(100); }

    void Rows(std::initializer_list<std::pair<std::string, int>> rows) {
        for (const auto& [text, count] : rows) search_.m_FinalRect.AddRow(text, count);
    }
    std::string Answer(int maxRows = 20000) {
        std::string out;
        EXPECT_TRUE(search_.OutRetJSON(maxRows, out));
        return out;
    }

    qav::CQAVSearch search_;
};

TEST_F(OutRetJSONTest, FrequencyAnswerIsTheFormattedText) {
    Rows({{Gbk("我"), 2}});
    EXPECT_EQ(Answer(), "{\n\t\"Type\":\t\"Freq\",\n\t\"Count\":\t1,\n\t\"Total\":\t0,\n\t\"Freq\":\t{\n\t\t\"我\":\t2\n\t}\n}");
}

TEST_F(OutRetJSONTest, SourcesFollowTheFrequenciesWhenTheFirstRowHasThem) {
    Rows({{Gbk("上海#@#新闻1:2 新闻2:1"), 3}, {"x", 1}, {"", 4}});
    search_.m_bApproximate = 1;
    EXPECT_EQ(Answer(),
              "{\n\t\"Type\":\t\"Freq\",\n\t\"Count\":\t3,\n\t\"Total\":\t0,\n\t\"Approximate\":\t\"1\",\n"
              "\t\"Freq\":\t{\n\t\t\"上海\":\t3,\n\t\t\"x\":\t1\n\t},\n"
              "\t\"Source\":\t{\n\t\t\"上海\":\t\"新闻1:2 新闻2:1\"\n\t}\n}");
}

TEST_F(OutRetJSONTest, AsciiTextsPassAsTheyAreAndNulReadsAsABlank) {
    const char withNul[] = "a\x01\tb#@#d1:2 d\0x:1";
    Rows({{std::string(withNul, sizeof withNul - 1), 3}, {"~z", 1}});
    EXPECT_EQ(Answer(),
              "{\n\t\"Type\":\t\"Freq\",\n\t\"Count\":\t2,\n\t\"Total\":\t0,\n"
              "\t\"Freq\":\t{\n\t\t\"a\\u0001\\tb\":\t3,\n\t\t\"~z\":\t1\n\t},\n"
              "\t\"Source\":\t{\n\t\t\"a\\u0001\\tb\":\t\"d1:2 d x:1\"\n\t}\n}");
}

TEST_F(OutRetJSONTest, CountAnswerListsCountsOnly) {
    Rows({{"a_2;b_1", 3}, {"", 0}});
    search_.m_bCountOut = 1;
    EXPECT_EQ(Answer(), "{\n\t\"Type\":\t\"Count\",\n\t\"Count\":\t2,\n\t\"Total\":\t0,\n\t\"Freq\":\t[3, 0]\n}");
}

TEST_F(OutRetJSONTest, ContextRowsWithAndWithoutSource) {
    const std::string id15(15, 'z');
    Rows({{Gbk("新闻1#@ID#FIJ#@#<Q>我爱</Q>"), -1},
          {Gbk("新闻1_p3#@#<Q>他</Q>"), -1},
          {Gbk("新闻2#@ID#") + std::string(16, 'a') + "#@#body", -1},
          {"doc#@ID#" + id15 + "#@#b", -1},
          {Gbk("<Q>我去</Q>"), -1}});
    search_.m_nOutType = 1;
    search_.m_FinalRect.m_nTotal = 7;
    EXPECT_EQ(Answer(),
              "{\n\t\"Type\":\t\"Context\",\n\t\"Count\":\t5,\n\t\"Total\":\t7,\n\t\"Context\":\t[{\n"
              "\t\t\t\"Source\":\t\"新闻1\",\n\t\t\t\"SourceID\":\t\"FIJ\",\n\t\t\t\"Context\":\t\"<Q>我爱</Q>\"\n"
              "\t\t}, {\n\t\t\t\"Source\":\t\"新闻1_p3\",\n\t\t\t\"Context\":\t\"<Q>他</Q>\"\n"
              "\t\t}, {\n\t\t\t\"Source\":\t\"新闻2\",\n\t\t\t\"Context\":\t\"body\"\n"
              "\t\t}, {\n\t\t\t\"Source\":\t\"doc\",\n\t\t\t\"SourceID\":\t\"" + id15 + "\",\n\t\t\t\"Context\":\t\"b\"\n"
              "\t\t}, \"<Q>我去</Q>\"]\n}");
}

TEST_F(OutRetJSONTest, PageSizeOfTheAnswer) {
    Rows({{"a", 5}, {"b", 4}, {"c", 3}, {"d", 2}, {"e", 1}});
    // A new object has no page size yet.
    EXPECT_EQ(Answer(-1), "{\n\t\"Type\":\t\"Freq\",\n\t\"Count\":\t5,\n\t\"Total\":\t0,\n\t\"Freq\":\t{\n\t}\n}");
    EXPECT_EQ(Answer(2),
              "{\n\t\"Type\":\t\"Freq\",\n\t\"Count\":\t5,\n\t\"Total\":\t0,\n\t\"Freq\":\t{\n\t\t\"a\":\t5,\n\t\t\"b\":\t4\n\t}\n}");
    EXPECT_EQ(Answer(-1), Answer(2));
}

TEST_F(OutRetJSONTest, EmptyRowsAfterContextStillAnswerWithFreq) {
    search_.m_nOutType = 1;
    EXPECT_EQ(Answer(), "{\n\t\"Type\":\t\"Context\",\n\t\"Count\":\t0,\n\t\"Total\":\t0,\n\t\"Freq\":\t{\n\t}\n}");
    search_.m_nOutType = 0;
    search_.m_bCountOut = 1;
    EXPECT_EQ(Answer(), "{\n\t\"Type\":\t\"Count\",\n\t\"Count\":\t0,\n\t\"Total\":\t0,\n\t\"Freq\":\t[]\n}");
}

TEST_F(OutRetJSONTest, PlainLinesForAWebResponseLeaveTheRowsAsTheyAre) {
    Rows({{"a", 3}, {"b", 1}});
    const std::string before = Answer(1);
    EXPECT_TRUE(search_.OutRetBuff(0, nullptr, 5));
    EXPECT_TRUE(search_.OutRetBuff(0, nullptr, -1));
    EXPECT_EQ(before, Answer(-1));
    EXPECT_EQ(2, search_.m_FinalRect.m_nCount);
}

TEST_F(OutRetJSONTest, LongAnswerIsWholeText) {
    const std::string body(20000, 'x');
    for (int i = 0; i < 100; ++i) search_.m_FinalRect.AddRow("<Q>" + body + "</Q>", -1);
    search_.m_nOutType = 1;
    const std::string answer = Answer();
    EXPECT_GT(answer.size(), 2000000u);
    EXPECT_EQ(answer.substr(answer.size() - 8), "</Q>\"]\n}");
}

class SaveRetBuffTest : public testing::Test {
protected:
    void SetUp() override {
        engine_.m_config.m_FileInfo.SavePath = dir_.path();
        qav::g_pCQAVEngine = &engine_;
        search_.m_FinalRect.FinalRectInit(10);
    }
    void TearDown() override { qav::g_pCQAVEngine = nullptr; }

    qztest::TempDir dir_;
    qav::CQAVEngine engine_;
    qav::CQAVSearch search_;
};

TEST_F(SaveRetBuffTest, TextsAreAppendedAsLines) {
    EXPECT_TRUE(search_.SaveRetBuff(std::string("one"), "s.txt"));
    EXPECT_TRUE(search_.SaveRetBuff(std::string("two"), "s.txt"));
    EXPECT_EQ(qztest::ReadFile(dir_.file("s.txt")), "one\ntwo\n");
}

TEST_F(SaveRetBuffTest, RowsAreSavedByKind) {
    search_.m_FinalRect.AddRow("a_2;b_1", 3);
    search_.m_FinalRect.AddRow("", 0);
    search_.m_FinalRect.AddRow("c", 1);
    EXPECT_TRUE(search_.SaveRetBuff(0, "count.txt", -1));
    EXPECT_EQ(qztest::ReadFile(dir_.file("count.txt")), "<Total>:3\na_2;b_1\t3\n0\nc\t1\n");

    search_.m_FinalRect.Clear();
    search_.m_FinalRect.AddRow("<Q>x</Q>", -1);
    search_.m_FinalRect.AddRow("", -1);
    search_.m_FinalRect.AddRow("<Q>y</Q>", -1);
    EXPECT_TRUE(search_.SaveRetBuff(0, "context.txt", 2));
    EXPECT_EQ(qztest::ReadFile(dir_.file("context.txt")), "<Total>:3\n<Q>x</Q>\n");
}

TEST_F(SaveRetBuffTest, NamesLeavingTheSaveFolderAreRefused) {
    for (const std::string name : {"../x", "a/b", "a\\b", "..", "", "x..y"}) {
        EXPECT_FALSE(qav::IsPlainFileName(name)) << name;
        EXPECT_FALSE(search_.SaveRetBuff(std::string("t"), name)) << name;
        EXPECT_FALSE(search_.SaveRetBuff(0, name, -1)) << name;
    }
    // 0x5C as the second byte of a two-byte character is no backslash.
    const std::string gbkName = Gbk("乗") + ".txt";
    ASSERT_EQ(gbkName[1], '\\');
    EXPECT_TRUE(search_.SaveRetBuff(std::string("t"), gbkName));
    EXPECT_EQ(qztest::ReadFile(dir_.file(gbkName)), "t\n");
}

TEST_F(SaveRetBuffTest, NoEngineOrNoFolderFails) {
    engine_.m_config.m_FileInfo.SavePath = dir_.file("missing");
    EXPECT_FALSE(search_.SaveRetBuff(std::string("t"), "s.txt"));
    qav::g_pCQAVEngine = nullptr;
    EXPECT_FALSE(search_.SaveRetBuff(std::string("t"), "s.txt"));
}

}  // namespace
