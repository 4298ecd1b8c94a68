// Query programs on the full-text engine: the runner gives each program a
// full-text search object, and the query functions reach its searches,
// merges, conditions and outputs.
#include <cjson/cJSON.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

#include "../build/build_fixture.h"
#include "qav/fulltext/search/bm_search.h"
#include "qav/service/query/online_runner.h"
#include "qav/service/query/parser_script_call.h"
#include "qav/service/query/query_runner.h"
#include "qav/service/query/request_translate.h"
#include "qav/service/query/web_info.h"

namespace {

class FullTextQueryRoad : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(build_.Run(qav_bm_test::TestConfig({"title"}, {"id", "year"}, 2,
                                                     ",\"DocInfo_Type_Number\":[\"year\"]"),
                             {"#Global id=D1;year=2012\n#Group name=title\nItem:common alpha alpha\nTable\n"
                              "#Global id=D2;year=2020\n#Group name=title\nItem:common beta\nTable\n",
                              "#Global id=D3;year=2016\n#Group name=title\nItem:common beta\nTable\n"
                              "#Global id=E4;year=2013\n#Group name=title\nItem:common\nTable\n"}),
                  1)
            << build_.log;
        ASSERT_TRUE(qav_bm_test::LoadFullTextEngine(engine_, build_.index()));
        engine_.m_Config.m_SizeInfo.RetBuffSize = 30;
        engine_.m_Config.m_FileInfo.SavePath = saveDir_.path();
        qav::g_pBMEngine = &engine_;
    }
    void TearDown() override {
        qav::g_pBMEngine = nullptr;
        qav::g_nEngineType = qav::kEngineStructured;
    }
    // The answer of a query program.
    std::string Run(const std::string& program) {
        std::string answer;
        testing::internal::CaptureStdout();
        qav::RunQAV((program + "\n").c_str(), answer);
        testing::internal::GetCapturedStdout();
        return answer;
    }

    qav_bm_test::TestBuild build_;
    qztest::TempDir saveDir_;
    qav::CBMEngine engine_;
};

TEST_F(FullTextQueryRoad, SearchesAndMergesAnswerThroughHandles) {
    const struct {
        const char* program;
        const char* answer;
    } cases[] = {
        {"return tostring(GetRetNum(Term2Doc('common')))", "4"},
        {"return tostring(GetRetNum(AND(Term2Doc('common'), Term2Doc('beta'))))", "2"},
        {"return tostring(GetRetNum(Term2Doc('alpha', Term2Doc('common'))))", "1"},
        {"return tostring(GetRetNum(OR(Term2Doc('alpha'), Term2Doc('beta'))))", "3"},
        {"return tostring(GetRetNum(NOT(Term2Doc('common'), Term2Doc('beta'))))", "2"},
        {"return tostring(Term2Doc('nosuchterm', 0))", "0"},
        {"return tostring(GetRetNum(Should('alpha beta', 10)))", "3"},
        {"return tostring(GetRetNum(Must('common beta', 10)))", "2"},
        {"return tostring(GetRetNum(BM25Doc('common beta', -1, 1)))", "1"},
        {"return tostring(GetRetNum(BM25Doc('alpha', 0, 'beta', 0, 10)))", "0"},
        {"return tostring(GetRetNum(Condition(Term2Doc('common'), 'year=[2010-2015]', 1)))", "2"},
        {"return tostring(GetRetNum(Condition(Term2Doc('common'), 'year=[2010-2015]', -1)))", "2"},
        {"SetBase(Term2Doc('beta'), 0) return tostring(GetRetNum(Term2Doc('common')))", "2"},
        {"SetBase(Term2Doc('beta'), 1) return tostring(GetRetNum(Term2Doc('common')))", "2"},
        {"local h = Term2Doc('alpha') return Output(h)", "<Total>:1\nid=D1;year=2012;\n"},
        {"local s, n = GetRet(Term2Doc('alpha'), 0) return s .. n", "id=D1;year=2012;0"},
        {"return tostring(io)", "nil"},
    };
    for (const auto& c : cases) EXPECT_EQ(Run(c.program), c.answer) << c.program;

    // The scored terms of a text: the rarer term first.
    const std::string terms = Run("local t = BM25Term('common alpha', 10) return t[1] .. '|' .. t[2]");
    double rare = 0, frequent = 0;
    char separator = 0;
    ASSERT_EQ(std::sscanf(terms.c_str(), "alpha\t%lf%ccommon\t%lf", &rare, &separator, &frequent), 3) << terms;
    EXPECT_EQ(separator, '|');
    EXPECT_GT(rare, frequent);
    EXPECT_EQ(terms.find('.') + 5, terms.find('|'));  // four decimals
    // A wrong argument type ends the program with its error.
    EXPECT_NE(Run("return Should({}, 1)").find("bad argument"), std::string::npos);
}

TEST_F(FullTextQueryRoad, OutputsComeBeforeTheResult) {
    auto json = [](const std::string& text) {
        return std::unique_ptr<cJSON, decltype(&cJSON_Delete)>(cJSON_Parse(text.c_str()), cJSON_Delete);
    };
    const std::string org = Run("GetOrg(Term2Doc('beta'), 10, 0, 'id') return ''");
    auto page = json(org);
    ASSERT_NE(page, nullptr) << org;
    EXPECT_EQ(cJSON_GetObjectItem(page.get(), "total")->valueint, 2);
    EXPECT_EQ(cJSON_GetArraySize(cJSON_GetObjectItem(page.get(), "res")), 2);

    EXPECT_EQ(Run("GetID(Term2Doc('alpha'), 10, 0) return 'x'"), "{\"type\":\"ID\",\"total\":1,\"res\":[\"D1\"]}x");
    EXPECT_EQ(Run("return tostring(CountBy(Term2Doc('beta'), 'year'))"),
              "{\n\"statistics\":[\"year\"],\n\"axis1\":[\"2016\",\"2020\"],\n\"axis2\":[],\n\"data\":[[0,1],[1,1]]\n}\n1");
    const std::string sorted = Run("return tostring(SortBy(Term2Doc('beta'), 'year', -1, 'id'))");
    EXPECT_LT(sorted.find("D3"), sorted.find("D2")) << sorted;

    // Names as prefixes through the transducer; each call lists its own names.
    const std::string names = Run("GetDocInfo('D', 'id') GetDocInfo('E4', 'id', 10, 0) return ''");
    const size_t split = names.find("}{\"type\"");
    ASSERT_NE(split, std::string::npos) << names;
    auto first = json(names.substr(0, split + 1));
    auto second = json(names.substr(split + 1));
    ASSERT_TRUE(first && second) << names;
    EXPECT_EQ(cJSON_GetObjectItem(first.get(), "total")->valueint, 3);
    EXPECT_EQ(cJSON_GetObjectItem(second.get(), "total")->valueint, 1);
}

TEST_F(FullTextQueryRoad, FilesStayInTheSaveFolder) {
    qztest::WriteFile(saveDir_.file("query.txt"), "alpha beta");
    EXPECT_EQ(Run("return tostring(GetRetNum(Should('query.txt', 10)))"), "3");
    EXPECT_EQ(Run("return tostring(Save(Term2Doc('alpha'), 'out.txt')) .. tostring(Save(Term2Doc('alpha'), '../out.txt'))"),
              "10");
    EXPECT_EQ(qztest::ReadFile(saveDir_.file("out.txt")), "<Total>:1\nid=D1;year=2012;\n");
    // A path is a query text, never a file to read.
    EXPECT_EQ(Run("return tostring(Should('" + saveDir_.file("query.txt") + "', 10))"), "0");
}

TEST_F(FullTextQueryRoad, WithoutAnEngineNothingRuns) {
    qav::g_pBMEngine = nullptr;
    EXPECT_EQ(Run("return 'ran'"), "");
}

// Full-text requests as the HTTP service gets them: translated by the parser
// script, then run by the online runner.
TEST_F(FullTextQueryRoad, RequestsTranslateIntoPagesOfDocuments) {
    qav::SetTranslatorParserScript(qztest::DataDir() + "/../../utils/Parser.lua");
    auto answer = [](const std::string& request) {
        qav::CWebInfo info;
        info.m_text = request;
        testing::internal::CaptureStdout();
        const bool translated = qav::BMQAVText2Json(&info);
        if (translated) qav::Online_AS_Thread(&info);
        testing::internal::GetCapturedStdout();
        return translated ? info.m_output : "not translated";
    };
    auto ids = [](const std::string& page) {
        std::unique_ptr<cJSON, decltype(&cJSON_Delete)> json(cJSON_Parse(page.c_str()), cJSON_Delete);
        std::string list;
        const cJSON* doc = nullptr;
        const cJSON* res = json ? cJSON_GetObjectItem(json.get(), "res") : nullptr;
        cJSON_ArrayForEach(doc, res) {
            const cJSON* id = cJSON_IsString(doc) ? doc : cJSON_GetObjectItem(doc, "id");
            list += std::string(cJSON_IsString(id) ? id->valuestring : "?") + " ";
        }
        // D2 and D3 hold the same words: their order is the ranking's choice.
        const size_t tie = list.find("D3 D2 ");
        if (tie != std::string::npos) list.replace(tie, 6, "D2 D3 ");
        return list;
    };
    const struct {
        const char* request;
        const char* ids;  // in page order, documents of equal score sorted
    } cases[] = {
        // D1 holds alpha twice; E4, the shortest, holds common alone.
        {R"({"Func":"Query","Query":"alpha common","Type":0,"PageNum":10,"PageNo":0})", "D1 E4 D2 D3 "},
        {R"({"Func":"Query","Query":"alpha common","Type":0,"PageNum":2,"PageNo":1})", "D2 D3 "},
        {R"({"Func":"Query","Query":"common beta","Type":1,"PageNum":10,"PageNo":0})", "D2 D3 "},
        {R"({"Func":"query","Query":"common :: year=[2012-2016]","Type":0,"PageNum":10,"PageNo":0})", "E4 D3 D1 "},
        {R"({"Func":"Query","Query":"beta \\ \"x","Type":50,"PageNum":10,"PageNo":0})", "D2 D3 "},
        {R"({"Func":"id","Query":"id","ID":["E4","D1"],"PageNum":10,"PageNo":0})", "E4 D1 "},
    };
    for (const auto& c : cases) {
        const std::string page = answer(c.request);
        EXPECT_EQ(ids(page), c.ids) << c.request << "\n" << page;
    }
    EXPECT_NE(answer(R"({"Func":"Query","Query":" :: year=2012","Type":0,"PageNum":10,"PageNo":0})").find("no words"),
              std::string::npos);
    qav::SetTranslatorParserScript("");
}

TEST_F(FullTextQueryRoad, ProgramsOnSeveralThreadsShareTheEngine) {
    const std::string program = "return Output(OR(Should('alpha beta', 10), Term2Doc('common')))\n";
    std::string expected;
    testing::internal::CaptureStdout();
    qav::RunQAV(program.c_str(), expected);
    std::vector<std::string> answers(4);
    std::vector<std::thread> threads;
    for (std::string& answer : answers)
        threads.emplace_back([&program, &answer] {
            for (int i = 0; i < 20; ++i) {
                std::string one;
                qav::RunQAV(program.c_str(), one);
                if (one != answer && i > 0) return;  // keeps the first difference
                answer = one;
            }
        });
    for (std::thread& thread : threads) thread.join();
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(expected.rfind("<Total>:", 0), 0u) << expected;
    for (const std::string& answer : answers) EXPECT_EQ(answer, expected);
}

}  // namespace
