// Query programs over a small built index: atom searches, joins and merges,
// rows and the JSON answer, as a query program strings them together.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <cjson/cJSON.h>
#include <lua.hpp>

#include "include/qavlib.h"
#include "qav/index/engine/qav_engine.h"
#include "qav/index/base/qav_log.h"
#include "qav/service/lua/query_fixture.h"
#include "qav/service/query/query_runner.h"
#include "support/test_support.h"
#include "qav/service/engines.h"

namespace {

using qztest::Gbk;

// Three sentences in two documents.
const char* const kCorpus[] = {
    "Doc 新闻A",
    "我/r 爱/v 上海/ns 。/w",
    "上海/ns 是/v 城市/n 。/w",
    "Doc 新闻B",
    "他/r 爱/v 北京/ns 。/w",
};

class QueryPrograms : public qztest::QueryTest {
protected:
    static void SetUpTestSuite() {
        dir_ = new qztest::TempDir();
        std::string corpus;
        for (const char* line : kCorpus) corpus += Gbk(line) + "\n";
        qztest::WriteFile(dir_->file("news.txt"), corpus);
        qztest::WriteFile(dir_->file("corpus.lst"), dir_->file("news.txt") + "\n");
        std::filesystem::create_directories(dir_->file("save"));
        qztest::WriteFile(
            dir_->file("config.json"),
            "{\"FileInfo\":{\"Data\":\"Data\",\"Offset\":\"Offset\",\"WordList\":\"WordList.dat\","
            "\"Unit\":\"Unit.dat\",\"OrgDat\":\"Org.dat\",\"SentInfo\":\"SentInfo.dat\",\"DocInfo\":\"DocInfo.txt\","
            "\"CatTable\":\"CatTable.txt\",\"SavePath\":\"" +
                dir_->file("save") +
                "\"},\"SizeInfo\":{\"HashSize_IdxUnit\":4099,\"HashSize_WordList\":4099,"
                "\"HashSize_SentInfo\":\"4099\"},\"Clause Seperator\":[\"" +
                Gbk("，") + "\",\"" + Gbk("。") + "\"]}");
        testing::internal::CaptureStdout();
        built_ = IdxMainAllInOne(dir_->file("config.json").c_str(), dir_->file("corpus.lst").c_str(),
                                 dir_->file("index").c_str()) == 1 &&
                 qav::GlobalInit("config.txt", dir_->file("index"));
        testing::internal::GetCapturedStdout();
        if (qav::g_log_file) qav::QavLogClose();
    }
    static void TearDownTestSuite() {
        qav::GlobalExit();
        delete dir_;
        dir_ = nullptr;
    }

    void SetUp() override {
        ASSERT_TRUE(built_);
        QueryTest::SetUp();
    }

    // Runs a program whose GBK texts are given in UTF-8.
    std::string RunText(const std::string& utf8) { return Run(Gbk(utf8)); }

    // The JSON answer a program returns, parsed.
    std::unique_ptr<cJSON, void (*)(cJSON*)> Answer(const std::string& utf8Program) {
        const std::string text = RunText(utf8Program);
        std::unique_ptr<cJSON, void (*)(cJSON*)> json(cJSON_Parse(text.c_str()), cJSON_Delete);
        EXPECT_TRUE(json) << utf8Program << " gave " << text;
        return json;
    }

    static std::string Type(const cJSON* answer) {
        return cJSON_GetStringValue(cJSON_GetObjectItem(answer, "Type"));
    }
    static int Number(const cJSON* object, const char* name) {
        const cJSON* item = cJSON_GetObjectItem(object, name);
        return item ? item->valueint : -1;
    }

    static qztest::TempDir* dir_;
    static bool built_;
};

qztest::TempDir* QueryPrograms::dir_ = nullptr;
bool QueryPrograms::built_ = false;

TEST_F(QueryPrograms, AtomSearchesTakeTheTwoAtomSlots) {
    EXPECT_EQ(std::to_string(A1()) + "," + std::to_string(A2()) + ",0",
              RunText("return GetAS('上海'), GetAS('爱'), GetAS('我')"));
}

TEST_F(QueryPrograms, GetASFormsWithWavesAndBrackets) {
    // Waves and bracket lists are optional; other argument counts search
    // with empty texts and still take a slot.
    const char* const programs[] = {
        "return GetAS('上海', '', '', '', '', '')",
        "return GetAS('上海', '', '~', '', '', '', '1', '', '', '')",
        "return GetAS('上海', '', '', '', '', '', '')",
        "return GetAS()",
    };
    for (const char* program : programs) {
        search_.QAVSearchInit(false);
        EXPECT_EQ(std::to_string(A1()), RunText(program)) << program;
    }
}

TEST_F(QueryPrograms, GetASReadsItsTextsWithoutATypeTest) {
    EXPECT_NE(std::string::npos, RunText("return GetAS({})").find("string expected"));
    EXPECT_EQ(std::to_string(A1()), RunText("return GetAS(5)"));  // a number is read as its text
}

TEST_F(QueryPrograms, FreqThenOutputGivesTheFrequencyList) {
    const auto answer = Answer("local h = GetAS('爱') assert(Freq(h) == 1) return Output(h)");
    ASSERT_TRUE(answer);
    EXPECT_EQ("Freq", Type(answer.get()));
    EXPECT_EQ(2, Number(cJSON_GetObjectItem(answer.get(), "Freq"), "爱"));
    // The atom slot was released: two more searches fit.
    EXPECT_TRUE(search_.m_AtomRet[0].IsFree());
}

TEST_F(QueryPrograms, ContextThenOutputGivesTheContextLines) {
    const auto answer = Answer("local h = GetAS('上海') assert(Context(h, 5) == 0) return Output(h)");
    ASSERT_TRUE(answer);
    EXPECT_EQ("Context", Type(answer.get()));
    EXPECT_EQ(2, Number(answer.get(), "Count"));
    const cJSON* lines = cJSON_GetObjectItem(answer.get(), "Context");
    ASSERT_EQ(2, cJSON_GetArraySize(lines));
    const cJSON* first = cJSON_GetArrayItem(lines, 0);
    ASSERT_TRUE(cJSON_IsString(first));
    EXPECT_NE(std::string::npos, std::string(cJSON_GetStringValue(first)).find("上海"));
    EXPECT_TRUE(search_.m_AtomRet[0].IsFree());

    // At most n rows; the rows stay for a second answer.
    const auto one = Answer("return Output(0, 1)");
    ASSERT_TRUE(one);
    EXPECT_EQ(1, cJSON_GetArraySize(cJSON_GetObjectItem(one.get(), "Context")));
    // Pages of one row each.
    EXPECT_EQ("1", RunText("Context(GetAS('上海'), 5, 1, 1) return GetRetNum()"));
}

TEST_F(QueryPrograms, LimitsNarrowLaterOutputsUntilCleared) {
    EXPECT_EQ("0", RunText("AddLimit(0, 1) Context(GetAS('上海')) return GetRetNum()"));
    EXPECT_EQ("2", RunText("ClearLimit() Context(GetAS('上海')) return GetRetNum()"));
    // Keys above 32 bits name other data files: none here.
    EXPECT_EQ("0", RunText("AddLimit(1 << 32, (1 << 32) + 100000) Context(GetAS('上海')) return GetRetNum()"));
}

TEST_F(QueryPrograms, OriOnGivesContextLinesTheirSource) {
    const auto answer = Answer("OriOn() local h = GetAS('上海') Context(h, 5) return Output(h)");
    ASSERT_TRUE(answer);
    const cJSON* first = cJSON_GetArrayItem(cJSON_GetObjectItem(answer.get(), "Context"), 0);
    ASSERT_TRUE(cJSON_IsObject(first));
    EXPECT_STREQ("新闻A", cJSON_GetStringValue(cJSON_GetObjectItem(first, "Source")));
}

TEST_F(QueryPrograms, FreqAfterContextOfAnotherHandleIsAFrequencyList) {
    const auto answer = Answer("local a, b = GetAS('上海'), GetAS('爱') Context(a) Freq(b) return Output(b)");
    ASSERT_TRUE(answer);
    EXPECT_EQ("Freq", Type(answer.get()));
}

TEST_F(QueryPrograms, ContextOfAMergedResultFreesItsSlot) {
    const auto answer =
        Answer("local m = AND(GetAS('爱'), GetAS('上海'), 1) assert(m ~= 0) Context(m, -1) return Output(m)");
    ASSERT_TRUE(answer);
    EXPECT_EQ("Context", Type(answer.get()));
    EXPECT_EQ(1, Number(answer.get(), "Count"));  // one row per sentence
    EXPECT_TRUE(search_.m_QAVRet[0].IsFree());
}

TEST_F(QueryPrograms, FreqOfAMergedResultFreesItsSlot) {
    EXPECT_EQ(std::string("0,") + std::to_string(M1()),
              RunText("local m = OR(GetAS('爱'), GetAS('上海'), 1) return Freq(m), m"));
    EXPECT_TRUE(search_.m_QAVRet[0].IsFree());
    // The freed slot takes the filtered copy of the next result.
    EXPECT_EQ(std::to_string(M1()), RunText("return Filter(GetAS('爱'), '', 0)"));
}

TEST_F(QueryPrograms, TagOutputsNeedTheWebOutputHandle) {
    EXPECT_EQ("0,0,0", RunText("local h = GetAS('爱') return SortBy(h, 'a', 1), GroupBy(h, 'a'), CountBy(h, 'a')"));
    EXPECT_FALSE(search_.m_AtomRet[0].IsFree());

    int web = 0;
    lua_setwebbuff(search_.LuaState(), &web);
    EXPECT_EQ("0,0,0", RunText("return SortBy(12345, 'a', 1), GroupBy(1, 2), CountBy(12345)"));
    EXPECT_EQ("1", RunText("return CountBy(GetAS('上海'), 'a')"));
    lua_setwebbuff(search_.LuaState(), nullptr);
}

TEST_F(QueryPrograms, JoinsAndMergesFeedCounts) {
    struct Case {
        const char* program;
        int hits;
    };
    const Case cases[] = {
        {"local m = JoinAS(GetAS('爱'), GetAS('上海'), 'SameSent')", 1},
        {"local m = JoinAS(GetAS('爱'), GetAS('上海'), 'bogus')", 0},
        // AND keeps the hits of both sides in the sentence they share.
        {"local m = AND(GetAS('爱'), GetAS('上海'), 1)", 2},
        {"local m = OR(GetAS('爱'), GetAS('上海'), 1)", 4},
        {"local m = NOT(GetAS('爱'), GetAS('上海'), 1)", 1},
        // Filter mode 0 without entries passes every hit of the atom result.
        {"local m = Filter(GetAS('爱'), '', 0)", 2},
    };
    for (const Case& c : cases) {
        search_.QAVSearchInit(false);
        const auto answer =
            Answer(std::string(c.program) + " assert(m ~= 0) assert(Count(m) == 0) return Output(m)");
        ASSERT_TRUE(answer) << c.program;
        EXPECT_EQ("Count", Type(answer.get())) << c.program;
        const cJSON* counts = cJSON_GetObjectItem(answer.get(), "Freq");
        ASSERT_EQ(1, cJSON_GetArraySize(counts)) << c.program;
        EXPECT_EQ(c.hits, cJSON_GetArrayItem(counts, 0)->valueint) << c.program;
        // Count frees the merged slot.
        EXPECT_TRUE(search_.m_QAVRet[0].IsFree()) << c.program;
    }
}

TEST_F(QueryPrograms, MergeLevelFollowsTheThirdArgument) {
    const std::pair<const char*, int> cases[] = {{"AND(GetAS('爱'), GetAS('上海'), 0)", 1},
                                                 {"AND(GetAS('爱'), GetAS('上海'), 1)", 0},
                                                 {"NOT(GetAS('爱'), GetAS('上海'), 0)", 1},
                                                 {"OR(GetAS('爱'), GetAS('上海'), -3)", 0}};
    for (const auto& [program, docLevel] : cases) {
        search_.QAVSearchInit(false);
        RunText(program);
        EXPECT_EQ(docLevel, search_.m_ForMerge.m_bDocLevel) << program;
    }
}

TEST_F(QueryPrograms, MalformedJoinsAndMergesGiveZeroWithoutError) {
    EXPECT_EQ("0,0,0,0", RunText("local a, b = GetAS('爱'), GetAS('上海') "
                                 "return JoinAS(a, b, 5), JoinAS(a, b), AND(a, b, 'x'), OR(a, b)"));
    // The inputs were not consumed.
    EXPECT_FALSE(search_.m_AtomRet[0].IsFree());
    EXPECT_FALSE(search_.m_AtomRet[1].IsFree());
}

TEST_F(QueryPrograms, FreqAndCountOfAHandleOfNoSlotHandItBack) {
    EXPECT_EQ("12345,12345,0", RunText("return Freq(12345), Count(12345), Freq()"));
    EXPECT_NE(std::string::npos, RunText("return Count()").find("number expected"));
    EXPECT_NE(std::string::npos, RunText("return Output('x')").find("number expected"));
}

TEST_F(QueryPrograms, SaveAppendsRowsAndLinesUnderPlainNamesOnly) {
    const std::string file = dir_->file("save/out.txt");
    std::filesystem::remove(file);
    EXPECT_EQ("1,1", RunText("local h = GetAS('爱') Freq(h) return Save(h, 'out.txt'), LocalSave('end', 'out.txt')"));
    const std::string saved = qztest::ReadFile(file);
    EXPECT_EQ(0u, saved.find("<Total>:1"));
    EXPECT_NE(std::string::npos, saved.find("end\n"));

    EXPECT_EQ("0,0,0,0,0,0,0", RunText("return Save(0, '../out.txt'), Save(0, 'a/b'), Save('x', 'a\\\\b'), "
                                       "Save(0, '..'), Save(0, 'out.txt', 'x'), Save({}, 'out.txt'), Save(0)"));
    EXPECT_FALSE(std::filesystem::exists(dir_->file("out.txt")));
}

TEST_F(QueryPrograms, OfflineRunnerAnswersWithTheJsonOfAProgram) {
    std::string answer;
    qav::Offline_AS_Thread(Gbk("local h = GetAS('上海') Context(h, 5) return Output(h)"), answer);
    std::unique_ptr<cJSON, void (*)(cJSON*)> json(cJSON_Parse(answer.c_str()), cJSON_Delete);
    ASSERT_TRUE(json) << answer;
    EXPECT_EQ("Context", Type(json.get()));
    EXPECT_EQ(2, cJSON_GetArraySize(cJSON_GetObjectItem(json.get(), "Context")));
}

TEST_F(QueryPrograms, IndexTestsAndDocuments) {
    EXPECT_EQ("1,0", RunText("return IsWord('上海'), IsWord('广州')"));
    EXPECT_EQ(Gbk("新闻A"), RunText("return GetOrg('0')"));
}

}  // namespace
