// The exported life cycle: lazy start by the first query, a started engine
// that stays on its directory, builds that restart the engine, and answers
// of programs, translations and failures as the host sees them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "include/qavlib.h"
#include "qav/index/engine/qav_engine.h"
#include "qav/search/filter/query_time.h"
#include "qav/service/qav_api.h"
#include "service_fixture.h"

namespace {

using qztest::BuildOneLineIndex;
using qztest::TempDir;
using qztest::WriteAt;

class QavApi : public testing::Test {
protected:
    void SetUp() override {
        index_ = BuildOneLineIndex(tmp_, "index");
        echo_ = WriteAt(tmp_, "echo.lua", "function Parser(q) return '--Lua\\n' .. q end\n");
    }
    void TearDown() override {
        QAV_Exit();
        qztest::CloseOpenBuildLog();
    }

    // QAV_RunQAV with a buffer of the documented size; checks the length.
    std::string Run(const std::string& parser, const std::string& dir, const std::string& query) {
        std::vector<char> buffer(QAV_MAX_ANSWER_BYTES, 'z');
        testing::internal::CaptureStdout();
        const long length = QAV_RunQAV(parser.c_str(), dir.c_str(), query.c_str(), buffer.data());
        log_ = testing::internal::GetCapturedStdout();
        const std::string answer(buffer.data());
        EXPECT_EQ(static_cast<long>(answer.size()), length);
        return answer;
    }

    static std::string EngineDir() { return qav::g_pCQAVEngine ? qav::g_pCQAVEngine->m_config.m_IndexDir : "(none)"; }

    TempDir tmp_;
    std::string index_;
    std::string echo_;
    std::string log_;
};

TEST_F(QavApi, FirstQueryStartsTheEngineOnItsDirectory) {
    ASSERT_EQ(0, qav::g_bIsInit);
    EXPECT_EQ("2", Run(echo_, index_, "return 1+1\n"));
    EXPECT_EQ(1, qav::g_bIsInit);
    EXPECT_EQ(index_, EngineDir());
}

TEST_F(QavApi, ProgramsAnswerWithTheirLastResultOrTheirError) {
    struct Case {
        const char* program;
        std::string answer;  // expected whole answer, or a part of it when partly
        bool partly;
    };
    const Case cases[] = {
        {"return 1+1\n", "2", false},
        {"return 0.5\n", "0.5", false},
        {"local x = 1\n", "", false},
        // A program's own literals are GBK, like the program: they come back
        // in UTF-8, as every answer (the JSON of Output is UTF-8 already).
        {"return 'a', '上海'\n", "上海", false},
        {"return '围城'\n", "围城", false},
        {"return {}\n", "", false},
        {"error('x')\n", ":1: x", true},
        {"error('上海')\n", ":1: 上海", true},
        {"return 1 +\n", "unexpected symbol", true},
        {"error({})\n", "error object is not a string", true},
    };
    for (const Case& c : cases) {
        const std::string answer = Run(echo_, index_, c.program);
        if (c.partly) {
            EXPECT_NE(std::string::npos, answer.find(c.answer)) << c.program << " gave " << answer;
        } else {
            EXPECT_EQ(c.answer, answer) << c.program;
        }
    }
}

TEST_F(QavApi, QueriesGoToTheParserUnchangedAndAnEchoIsTheAnswer) {
    ASSERT_EQ(1, QAV_Init(index_.c_str()));
    qav::g_nQueryTimeoutMs = 0;
    EXPECT_EQ("--Lua\n上海", Run(echo_, index_, "上海"));
    // No prefix is read here: the query reaches the parser as it is.
    EXPECT_EQ("--Lua\n~100,5000:cat", Run(echo_, index_, "~100,5000:cat"));
    EXPECT_EQ(0, qav::g_nQueryTimeoutMs);
}

TEST_F(QavApi, TheProjectParserEchoesItsProgram) {
    const std::string parser = qztest::DataDir() + "/../../utils/Parser.lua";
    const std::string answer = Run(parser, index_, "上海 --Lua");
    EXPECT_EQ(0u, answer.find("--Lua\n")) << answer;
    EXPECT_NE(std::string::npos, answer.find("GetAS(")) << answer;
}

TEST_F(QavApi, ProgramsOverTheLimitAreRefusedNotCut) {
    const std::string parser =
        WriteAt(tmp_, "long.lua", "function Parser(q) return '--Lua' .. string.rep('x', tonumber(q) - 5) end\n");
    EXPECT_EQ(std::string(10239, 'x').replace(0, 5, "--Lua"), Run(parser, index_, "10239"));
    const std::string refused = Run(parser, index_, "10240");
    EXPECT_EQ(0u, refused.find("error: the program of the query is 10240 bytes long")) << refused;
    EXPECT_NE(std::string::npos, log_.find("10240 bytes long")) << log_;
}

TEST_F(QavApi, LongQueriesAreRefusedNotCut) {
    const std::string parser = WriteAt(tmp_, "length.lua", "function Parser(q) return '--Lua' .. #q end\n");
    std::string query;
    for (int i = 0; i < 5119; ++i) query += "海";  // 10,238 bytes in GBK
    EXPECT_EQ("--Lua10239", Run(parser, index_, "a" + query));
    const std::string refusal = "{\"error\":\"the query is 10240 bytes long in GBK, more than 10239; it is not run\"}";
    EXPECT_EQ(refusal, Run(parser, index_, query + "海"));
    // A program (a text with a line break) is refused the same way.
    EXPECT_EQ(refusal, Run(parser, index_, "\n" + std::string(10239, ' ')));
}

TEST_F(QavApi, ProgramsStopAtTheThreadsTimeLimit) {
    // This road reads no prefix: the limit is the one the thread last set.
    qav::g_nQueryTimeoutMs = 300;
    EXPECT_EQ("{\"error\":\"time limit: the query ran longer than 300 ms\"}", Run(echo_, index_, "while true do end\n"));
    EXPECT_EQ("1", Run(echo_, index_, "return 1\n"));
    qav::g_nQueryTimeoutMs = 0;
}

TEST_F(QavApi, ASecondInitKeepsTheFirstDirectory) {
    EXPECT_EQ(1, QAV_Init(index_.c_str()));
    EXPECT_EQ(1, QAV_Init(tmp_.file("missing").c_str()));
    EXPECT_EQ(index_, EngineDir());
    EXPECT_EQ("1", Run(echo_, tmp_.file("missing"), "return 1\n"));
}

TEST_F(QavApi, AFailedStartAnswersWithAnErrorText) {
    const std::string missing = tmp_.file("missing");
    testing::internal::CaptureStdout();
    EXPECT_EQ(0, QAV_Init(missing.c_str()));
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(0, qav::g_bIsInit);
    const std::string answer = Run(echo_, missing, "return 1\n");
    EXPECT_EQ("error: cannot start the engine on the index directory \"" + missing + "\"", answer);
    EXPECT_EQ(0, qav::g_bIsInit);
}

TEST_F(QavApi, ExitTwiceReturnsOneAndTheEngineCanStartAgain) {
    ASSERT_EQ(1, QAV_Init(index_.c_str()));
    EXPECT_EQ(1, QAV_Exit());
    EXPECT_EQ(nullptr, qav::g_pCQAVEngine);
    EXPECT_EQ(0, qav::g_bIsInit);
    EXPECT_EQ(1, QAV_Exit());
    EXPECT_EQ(1, QAV_Init(index_.c_str()));
    EXPECT_EQ("3", Run(echo_, index_, "return 1+2\n"));
}

TEST_F(QavApi, IndexBuildsRestartTheEngineOnTheNewDirectoryWhateverTheirOutcome) {
    const std::string config = tmp_.file("config.json");
    const std::string good = tmp_.file("corpus.lst");
    const std::string bad = WriteAt(tmp_, "bad.lst", tmp_.file("no_such_corpus.txt") + "\n");
    const std::string second = tmp_.file("second");

    ASSERT_EQ(1, QAV_Init(index_.c_str()));
    testing::internal::CaptureStdout();
    EXPECT_EQ(1, QAV_IndexQAV(config.c_str(), good.c_str(), second.c_str()));
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(1, qav::g_bIsInit);
    EXPECT_EQ(second, EngineDir());

    // A failed build into the first directory keeps its index, and the engine
    // moves there.
    testing::internal::CaptureStdout();
    EXPECT_EQ(0, QAV_IndexQAV(config.c_str(), bad.c_str(), index_.c_str()));
    testing::internal::GetCapturedStdout();
    qztest::CloseOpenBuildLog();
    EXPECT_EQ(1, qav::g_bIsInit);
    EXPECT_EQ(index_, EngineDir());
    EXPECT_EQ("2", Run(echo_, index_, "return 2\n"));
}

}  // namespace
