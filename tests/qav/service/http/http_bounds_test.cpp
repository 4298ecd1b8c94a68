// What a hostile client can send the HTTP service: programs that never end
// or grow without bound, pattern searches that backtrack for ever, and
// thousands of idle connections. The service answers each with an error in
// bounded time and keeps answering everyone else.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cJSON.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "qav/service/http_client.h"
#include "qav/service/http_server_fixture.h"
#include "qav/service/http/http_jobs.h"
#include "qav/service/lua/lua_pattern_guard.h"
#include "qav/service/service_fixture.h"

namespace qztest {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kTimeLimitMs = 2000;
constexpr int kMemoryLimitMB = 64;

// The one-line index with small bounds for query programs in its
// configuration.
std::string BoundedIndex(const TempDir& dir) {
    const std::string index = BuildOneLineIndex(dir, "index");
    std::string config = ReadFile(index + "/config.txt");
    const std::string section = "\"SizeInfo\":{";
    const size_t at = config.find(section);
    EXPECT_NE(std::string::npos, at) << config;
    config.insert(at + section.size(), "\"QueryTimeLimitMs\":" + std::to_string(kTimeLimitMs) +
                                           ",\"LuaMemoryLimitMB\":" + std::to_string(kMemoryLimitMB) + ",");
    WriteFile(index + "/config.txt", config);
    return index;
}

std::string ErrorOfResult(const HttpAnswer& answer) {
    std::unique_ptr<cJSON, decltype(&cJSON_Delete)> json(cJSON_Parse(answer.body.c_str()), cJSON_Delete);
    const cJSON* result = cJSON_GetObjectItemCaseSensitive(json.get(), "result");
    if (!cJSON_IsString(result)) return "<not wrapped: " + answer.body + ">";
    std::unique_ptr<cJSON, decltype(&cJSON_Delete)> inner(cJSON_Parse(result->valuestring), cJSON_Delete);
    const cJSON* error = cJSON_GetObjectItemCaseSensitive(inner.get(), "error");
    return cJSON_IsString(error) ? error->valuestring : std::string("<no error: ") + result->valuestring + ">";
}

std::string ResultOf(const HttpAnswer& answer) {
    std::unique_ptr<cJSON, decltype(&cJSON_Delete)> json(cJSON_Parse(answer.body.c_str()), cJSON_Delete);
    const cJSON* result = cJSON_GetObjectItemCaseSensitive(json.get(), "result");
    return cJSON_IsString(result) ? result->valuestring : "<not wrapped>";
}

class HttpBoundsTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        s_dir = new TempDir;
        s_index = BoundedIndex(*s_dir);
    }
    static void TearDownTestSuite() {
        delete s_dir;
        s_dir = nullptr;
    }
    void SetUp() override { server_ = std::make_unique<TestHttpServer>(s_index); }
    void TearDown() override {
        if (server_) {
            EXPECT_EQ(1, server_->Stop());
        }
    }

    int port() const { return server_->port(); }

    static TempDir* s_dir;
    static std::string s_index;
    ParserWorkingDir parserDir_{kEchoParser};
    std::unique_ptr<TestHttpServer> server_;
};

TempDir* HttpBoundsTest::s_dir = nullptr;
std::string HttpBoundsTest::s_index;

TEST_F(HttpBoundsTest, EndlessProgramsAndPatternBombsEndWithTheTimeLimit) {
    const std::string timeLimit = "time limit: the query ran longer than " + std::to_string(kTimeLimitMs) + " ms";
    const std::string refused = "time limit: a pattern search over 20000 bytes could run past the deadline";
    struct Case {
        const char* program;
        const std::string& error;
    };
    // Two of each endless form fill the eight workers; the pattern bombs
    // wait behind them and are refused at once.
    const Case cases[] = {
        {"while true do end\n", timeLimit},
        {"while true do pcall(function() while true do end end) end\n", timeLimit},
        {"local co = coroutine.wrap(function() while true do end end)\nco()\n", timeLimit},
        {"while true do coroutine.resume(coroutine.create(function() while true do end end)) end\n", timeLimit},
        {"return string.rep('a', 20000):find('.-.-.-b')\n", refused},
        {"return ('a'):rep(20000):match('(.-)(.-)(.-)b')\n", refused},
        {"return (string.gsub(string.rep('a', 20000), 'a*a*a*b', ''))\n", refused},
        {"for x in string.rep('a', 20000):gmatch('.-.-.-b') do end\n", refused},
    };
    const auto start = Clock::now();
    std::vector<std::unique_ptr<HttpCall>> calls;
    for (int round = 0; round < 2; ++round)
        for (const Case& c : cases) calls.push_back(std::make_unique<HttpCall>(port(), "POST", "/struct", c.program));
    // A cheap query sent meanwhile is answered as soon as a worker is free.
    EXPECT_EQ("{\"status\":1}\n", HttpGet(port(), "/isactive").body);
    EXPECT_EQ("ok", ResultOf(HttpPost(port(), "/struct", "return 'ok'\n")));
    for (size_t i = 0; i < calls.size(); ++i) {
        const Case& c = cases[i % std::size(cases)];
        SCOPED_TRACE(c.program);
        const std::string error = ErrorOfResult(calls[i]->Wait());
        EXPECT_EQ(c.error, error.substr(0, c.error.size()));
    }
    // Eight endless programs at a time, each stopped at the limit.
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(4 * kTimeLimitMs) + 10s);
    EXPECT_EQ("ok", ResultOf(HttpPost(port(), "/struct", "return 'ok'\n")));
}

TEST_F(HttpBoundsTest, AProgramPastTheMemoryCapAnswersTheMemoryError) {
    const std::string memory = "memory limit: the query needed more than " + std::to_string(kMemoryLimitMB) + " MB";
    const std::string timeLimit = "time limit: the query ran longer than " + std::to_string(kTimeLimitMs) + " ms";
    struct Case {
        const char* program;
        const std::string& error;
    };
    const Case cases[] = {
        // A gigabyte in strings of one megabyte, and in one string.
        {"local t = {} for i = 1, 1024 do t[i] = string.rep('x', 1 << 20) .. i end return #t\n", memory},
        {"return #string.rep('x', 1 << 30)\n", memory},
        // Catching the error lets it go on, but never grow past the cap.
        {"local t = {} while true do pcall(function() t[#t + 1] = string.rep('y', 1 << 20) .. #t end) end\n",
         timeLimit},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.program);
        EXPECT_EQ(c.error, ErrorOfResult(HttpPost(port(), "/struct", c.program)));
    }
    EXPECT_EQ("ok", ResultOf(HttpPost(port(), "/struct", "return 'ok'\n")));
}

TEST_F(HttpBoundsTest, AQueryWhoseClientLeftIsDroppedOrStopped) {
    std::vector<std::unique_ptr<HttpCall>> endless;
    for (int i = 0; i < 2 * qav::kHttpWorkers; ++i)
        endless.push_back(std::make_unique<HttpCall>(port(), "POST", "/struct", "while true do end\n"));
    std::this_thread::sleep_for(200ms);
    for (auto& call : endless) call->Abandon();
    // Queued jobs leave the queue and running ones stop well before their
    // time limit.
    const auto start = Clock::now();
    EXPECT_EQ("ok", ResultOf(HttpPost(port(), "/struct", "return 'ok'\n")));
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(kTimeLimitMs));
    EXPECT_EQ(0, qav::g_work_queue_size);
}

TEST_F(HttpBoundsTest, SigtermStopsEndlessProgramsAtOnce) {
    std::vector<std::unique_ptr<HttpCall>> endless;
    for (int i = 0; i < 2 * qav::kHttpWorkers; ++i)
        endless.push_back(std::make_unique<HttpCall>(port(), "POST", "/struct", "while true do end\n"));
    EXPECT_TRUE([] {
        for (auto deadline = Clock::now() + 10s; Clock::now() < deadline; std::this_thread::sleep_for(5ms))
            if (qav::g_work_queue_size == qav::kHttpWorkers) return true;
        return false;
    }());
    testing::internal::CaptureStdout();
    const auto start = Clock::now();
    EXPECT_EQ(1, server_->Stop());
    const auto took = Clock::now() - start;
    const std::string log = testing::internal::GetCapturedStdout();
    server_.reset();
    // Well before the time limit, and no worker was left behind.
    EXPECT_LT(took, std::chrono::milliseconds(kTimeLimitMs));
    EXPECT_EQ(std::string::npos, log.find("left behind")) << log;
    EXPECT_EQ(0, qav::g_live_workers);
}

// A socket from 127.0.0.2 to the service, connected without waiting.
int ConnectFromSecondAddress(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    if (fd < 0) return -1;
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(0x7F000002);
    sockaddr_in remote{};
    remote.sin_family = AF_INET;
    remote.sin_port = htons(static_cast<uint16_t>(port));
    remote.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        (connect(fd, reinterpret_cast<sockaddr*>(&remote), sizeof remote) != 0 && errno != EINPROGRESS)) {
        close(fd);
        return -1;
    }
    return fd;
}

// True when the server closed the connection within timeout.
bool ClosedByServer(int fd, std::chrono::milliseconds timeout) {
    for (const auto deadline = Clock::now() + timeout; Clock::now() < deadline;) {
        pollfd ready{fd, POLLIN, 0};
        if (poll(&ready, 1, 100) > 0) {
            char byte = 0;
            const ssize_t got = recv(fd, &byte, 1, MSG_DONTWAIT);
            if (got == 0 || (got < 0 && errno != EAGAIN)) return true;
        }
    }
    return false;
}

TEST_F(HttpBoundsTest, IdleConnectionsFromOneAddressLeaveTheServiceAnswering) {
    constexpr int kIdle = 2000;
    rlimit files{};
    ASSERT_EQ(0, getrlimit(RLIMIT_NOFILE, &files));
    if (files.rlim_cur < 3 * kIdle && files.rlim_max >= 3 * kIdle) {
        files.rlim_cur = 3 * kIdle;
        ASSERT_EQ(0, setrlimit(RLIMIT_NOFILE, &files));
    }
    if (files.rlim_cur < 3 * kIdle) GTEST_SKIP() << "too few file descriptors allowed";

    std::vector<int> idle;
    for (int i = 0; i < kIdle; ++i) {
        const int fd = ConnectFromSecondAddress(port());
        ASSERT_GE(fd, 0) << i;
        idle.push_back(fd);
    }
    // One of them stops in the middle of a request head.
    std::this_thread::sleep_for(200ms);
    const std::string partial = "GET /isactive HTTP/1.1\r\nHo";
    EXPECT_EQ(static_cast<ssize_t>(partial.size()), send(idle[0], partial.data(), partial.size(), MSG_NOSIGNAL));

    EXPECT_EQ("{\"status\":1}\n", HttpGet(port(), "/isactive").body);
    EXPECT_EQ("ok", ResultOf(HttpPost(port(), "/struct", "return 'ok'\n")));
    // Idle and partial connections are closed after a few seconds.
    EXPECT_TRUE(ClosedByServer(idle[0], 15s));
    EXPECT_TRUE(ClosedByServer(idle[1], 1s));
    for (const int fd : idle) close(fd);
    EXPECT_EQ("{\"status\":1}\n", HttpGet(port(), "/isactive").body);
}

TEST(PatternWorstCase, GrowsWithTheRepeatedItemsOfThePattern) {
    struct Case {
        const char* pattern;
        size_t subject;
        bool refused;
    };
    const Case cases[] = {
        {"abc", 100000000, false},         // no repetition: one pass per start
        {"%s+", 50000, false},             // one repetition over a modest text
        {"a*b", 1000000, true},            // quadratic over a megabyte
        {"^(%S+)%s", 1000000, false},      // anchored: no start positions
        {"^%s*(.-)%s*$", 1000, false},
        {"^%s*(.-)%s*$", 100000, true},
        {".-.-.-b", 20000, true},
        {"[%]]*x", 1000000, true},         // a set holding "]" is one item
        {"%b()%b()", 10000, true},
        {"(a)%1*", 1000000, true},
        {"%f[%w]%w", 10000000, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pattern);
        EXPECT_EQ(c.refused, qav::PatternWorstCaseSteps(c.pattern, c.subject) > qav::kMaxPatternSteps);
    }
}

}  // namespace
}  // namespace qztest
