// The query road below the exported functions: the time-limit prefix, the
// thread's parser state, the converters of the parser state, failures of the
// parser script, and the bound of an answer.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <climits>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "qav/index/engine/qav_engine.h"
#include "qav/search/filter/query_time.h"
#include "qav/service/query/query2lua.h"
#include "qav/service/query/query_runner.h"
#include "qav/service/service_fixture.h"
#include "qav/service/engines.h"

namespace {

using qztest::BuildOneLineIndex;
using qztest::TempDir;
using qztest::WriteAt;

TEST(QueryPrefix, LimitsAreReadOnlyFromAWholePrefix) {
    struct Case {
        const char* text;
        int approx;
        int timeout;
        const char* query;
    };
    const Case cases[] = {
        {"~100,5000:cat", 100, 5000, "cat"},
        {"~,3000:cat", 0, 3000, "cat"},
        {"~0,0:cat", 0, 0, "cat"},
        {"~-5,-7:cat", 0, 0, "cat"},
        {"~7:a:b", 7, 0, "a:b"},
        {"~x,y:cat", 0, 0, "cat"},
        {"~99999999999,1:cat", INT_MAX, 1, "cat"},
        {"~:cat", 0, 0, "~:cat"},
        {"~cat", 0, 0, "~cat"},
        {"cat~1,2:x", 0, 0, "cat~1,2:x"},
        {"", 0, 0, ""},
    };
    for (const Case& c : cases) {
        const qav::QueryPrefix prefix = qav::ParseQueryPrefix(c.text);
        EXPECT_EQ(c.approx, prefix.approxLimit) << c.text;
        EXPECT_EQ(c.timeout, prefix.timeoutMs) << c.text;
        EXPECT_EQ(c.query, prefix.query) << c.text;
    }
}

class QueryRunner : public testing::Test {
protected:
    void SetUp() override {
        const std::string index = BuildOneLineIndex(tmp_, "index");
        testing::internal::CaptureStdout();
        ASSERT_TRUE(qav::GlobalInit("config.txt", index));
        testing::internal::GetCapturedStdout();
    }
    void TearDown() override {
        qav::QavAbandonParserState();
        qav::GlobalExit();
        qztest::CloseOpenBuildLog();
    }

    std::string Parser(const std::string& name, const std::string& body) {
        return WriteAt(tmp_, name, "function Parser(q, lang, version) " + body + " end\n");
    }

    // RunQueryText with the query given in UTF-8; the log lands in log_.
    std::string Run(const std::string& parser, const std::string& query) {
        std::string answer;
        testing::internal::CaptureStdout();
        qav::RunQueryText(qztest::Gbk(query), parser, answer);
        log_ = testing::internal::GetCapturedStdout();
        return answer;
    }

    TempDir tmp_;
    std::string log_;
};

TEST_F(QueryRunner, RunQAVSetsTheThreadsLimitsAndUsesTheWorkingDirectorysParser) {
    WriteAt(tmp_, "utils/Parser.lua", "function Parser(q) return '--Lua' .. q end\n");
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(tmp_.path());
    std::string answer;
    const auto start = std::chrono::steady_clock::now();

    EXPECT_EQ(8, qav::RunQAV("~100,5000:cat", answer));
    EXPECT_EQ("--Luacat", answer);
    EXPECT_EQ(100, qav::g_nApproxLimit);
    EXPECT_EQ(5000, qav::g_nQueryTimeoutMs);
    EXPECT_GE(qav::g_queryStartTime, start);

    qav::RunQAV("~,3000:return 7\n", answer);
    EXPECT_EQ("7", answer);
    EXPECT_EQ(0, qav::g_nApproxLimit);
    EXPECT_EQ(3000, qav::g_nQueryTimeoutMs);

    qav::RunQAV("~:cat", answer);
    EXPECT_EQ("--Lua~:cat", answer);
    EXPECT_EQ(0, qav::g_nQueryTimeoutMs);

    qav::_SEARCH_PARAM param{"~0,0:dog", ""};
    qav::qav_query_struct(param);
    EXPECT_EQ("--Luadog", param.result);

    std::filesystem::current_path(before);
}

TEST_F(QueryRunner, TheParserGetsTheQueryInGbkTheLanguageAndThree) {
    const std::string parser =
        Parser("args.lua", "return '--Lua' .. q .. math.type(lang) .. lang .. math.type(version) .. version");
    EXPECT_EQ("--Lua上海float1.0float3.0", Run(parser, "上海"));
}

TEST_F(QueryRunner, AScriptIsLoadedOncePerThreadAndPath) {
    const std::string body = "calls = (calls or 0) + 1 return '--Lua' .. calls";
    const std::string first = Parser("first.lua", body);
    const std::string second = Parser("second.lua", body);
    EXPECT_EQ("--Lua1", Run(first, "a"));
    EXPECT_EQ("--Lua2", Run(first, "a"));
    EXPECT_EQ("--Lua1", Run(second, "a"));
    EXPECT_EQ("--Lua1", Run(first, "a"));

    // Another thread has a parser state of its own.
    std::string other;
    std::thread([&] { other = Run(first, "a"); }).join();
    EXPECT_EQ("--Lua1", other);

    // An abandoned state is replaced by a fresh one.
    EXPECT_EQ("--Lua2", Run(first, "a"));
    qav::QavAbandonParserState();
    EXPECT_EQ("--Lua1", Run(first, "a"));
}

TEST_F(QueryRunner, ThreadsRunQueriesAtOnce) {
    const std::string parser = Parser("count.lua", "calls = (calls or 0) + 1 return '--Lua' .. calls");
    std::vector<std::string> answers(4);
    std::vector<std::thread> threads;
    for (size_t t = 0; t < answers.size(); ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 3; ++i) {
                std::string translated;
                std::string program;
                qav::RunQueryText(qztest::Gbk("猫"), parser, translated);
                qav::RunQueryText("return " + std::to_string(t) + " * 10 + " + std::to_string(i) + "\n", "", program);
                answers[t] += translated + "," + program + ";";
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (size_t t = 0; t < answers.size(); ++t) {
        std::string expected;
        for (size_t i = 0; i < 3; ++i) expected += "--Lua" + std::to_string(i + 1) + "," + std::to_string(t * 10 + i) + ";";
        EXPECT_EQ(expected, answers[t]);
    }
}

TEST_F(QueryRunner, ConvertersTakeOneStringArgument) {
    const std::string parser = Parser(
        "convert.lua",
        "return '--Lua' .. (UTF82GB(GB2UTF8(q)) == q and 'same' or 'changed') .. '[' .. UTF82GB() .. GB2UTF8(1, 2) .. ']'");
    EXPECT_EQ("--Luasame[]", Run(parser, "上海 a"));
    EXPECT_NE(std::string::npos, log_.find("UTF82GB Param Error!\n")) << log_;
    EXPECT_NE(std::string::npos, log_.find("GB2UTF8 Param Error!\n")) << log_;
}

TEST_F(QueryRunner, ParserFailuresAreLoggedAndAnswerNothing) {
    struct Case {
        std::string name;
        std::string script;
        std::string logged;
    };
    const Case cases[] = {
        {"missing.lua", "", "cannot run configuration file: "},
        {"broken.lua", "function Parser(q", "cannot run configuration file: "},
        {"raises.lua", "function Parser(q) error('no') end", "error running function 'Parser': "},
        {"table.lua", "function Parser(q) return {} end", "function 'Parser' must return a string"},
    };
    for (const Case& c : cases) {
        const std::string path = c.script.empty() ? tmp_.file(c.name) : WriteAt(tmp_, c.name, c.script);
        EXPECT_EQ("", Run(path, "cat")) << c.name;
        EXPECT_NE(std::string::npos, log_.find(c.logged)) << c.name << ": " << log_;
    }
    // A script that did not load is not tried again on the same path: each
    // query fails in Parser.
    Run(tmp_.file("missing.lua"), "cat");
    Run(tmp_.file("missing.lua"), "cat");
    EXPECT_EQ(std::string::npos, log_.find("cannot run configuration file")) << log_;
    EXPECT_NE(std::string::npos, log_.find("error running function 'Parser': ")) << log_;
}

TEST_F(QueryRunner, AnAnswerOverTheLimitIsReplacedByAMessage) {
    const std::string fits = "return string.rep('a', " + std::to_string(qav::kMaxAnswerBytes) + ")\n";
    const std::string over = "return string.rep('a', " + std::to_string(qav::kMaxAnswerBytes + 1) + ")\n";
    EXPECT_EQ(qav::kMaxAnswerBytes, Run("", fits).size());
    EXPECT_EQ(0u, Run("", over).find("error: the answer of the query is longer than 10485759 bytes"));
}

TEST_F(QueryRunner, NoEngineMeansAnEmptyAnswer) {
    qav::GlobalExit();
    EXPECT_EQ("", Run("", "return 1\n"));
}

}  // namespace
