// The embedded-server style handlers: the library's server functions report
// no request method, so every body is empty; the handlers still translate,
// run and log, and end the reply.
#include <gtest/gtest.h>

#include "qav/index/engine/qav_engine.h"
#include "qav/service/query/online_runner.h"
#include "qav/service/query/parser_script_call.h"
#include "qav/service/http/uri_handlers.h"
#include "qav/service/query/web_info.h"
#include "qav/service/service_fixture.h"
#include "qav/service/engines.h"

namespace qztest {
namespace {

class UriHandlersTest : public testing::Test {
protected:
    void SetUp() override {
        index_ = BuildOneLineIndex(dir_, "index");
        testing::internal::CaptureStdout();
        ASSERT_TRUE(qav::GlobalInit("config.txt", index_));
        testing::internal::GetCapturedStdout();
    }
    void TearDown() override {
        qav::GlobalExit();
        qav::SetTranslatorParserScript("");
    }

    TempDir dir_;
    std::string index_;
};

TEST_F(UriHandlersTest, StructuredRequestRunsTheParsersProgramAndLogsItsOutput) {
    qav::SetTranslatorParserScript(
        WriteAt(dir_, "p.lua", "function Parser(q) return \"error('boom:' .. #'\" .. q .. \"')\" end\n"));
    qav::shttpd_arg_t request;
    request.in = "ignored";
    testing::internal::CaptureStdout();
    qav::shttp_uri_struct_enc(&request);
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(std::string::npos, log.find("boom:0\n")) << log;
    EXPECT_NE(std::string::npos, log.find("ret  [string \"error('boom:' .. #'')\"]:1: boom:0")) << log;
    EXPECT_NE(std::string::npos, log.find("End of the online request: ")) << log;
    EXPECT_EQ(qav::kShttpdEndOfOutput, request.flags);
}

TEST_F(UriHandlersTest, FullTextRequestWithoutJsonRunsNothing) {
    qav::shttpd_arg_t request;
    testing::internal::CaptureStdout();
    qav::shttp_uri_bm_enc("utf8", &request);
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(std::string::npos, log.find("Error before: []")) << log;
    EXPECT_EQ(std::string::npos, log.find("End of the online request")) << log;
    EXPECT_EQ(qav::kShttpdEndOfOutput, request.flags);
}

TEST_F(UriHandlersTest, OnlineRunnerAppendsErrorsWithinTheOutputLimit) {
    struct Case {
        std::string program;
        std::string output;
    };
    const Case cases[] = {
        {"return 1", ""},
        {"error('x', 0)", "x"},
        {"return (", "[string \"return (\"]:1: unexpected symbol near <eof>"},
    };
    for (const Case& c : cases) {
        qav::CWebInfo info;
        info.m_text = c.program;
        testing::internal::CaptureStdout();
        qav::Online_AS_Thread(&info);
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(c.output, info.m_output) << c.program;
    }
    qav::CWebInfo full;
    full.m_output.assign(qav::kWebTextBytes - 1, 'o');
    full.m_text = "error('xyz', 0)";
    testing::internal::CaptureStdout();
    qav::Online_AS_Thread(&full);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(qav::kWebTextBytes, full.m_output.size());
    EXPECT_EQ('x', full.m_output.back());
}

}  // namespace
}  // namespace qztest
