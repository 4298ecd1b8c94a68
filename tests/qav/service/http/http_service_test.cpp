// The HTTP service end to end: a real server on 127.0.0.1, an echo parser
// script, and a query runner that tests can make block, crash or throw.
#include <gtest/gtest.h>

#include <cJSON.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <functional>
#include <iterator>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <vector>

#include "qav/service/http_client.h"
#include "qav/service/http_server_fixture.h"
#include "include/qavlib.h"
#include "qav/index/engine/qav_engine.h"
#include "qav/search/rows/source_id.h"
#include "qav/service/http/http_jobs.h"
#include "qav/service/http/http_worker.h"
#include "qav/service/engines.h"
#include "qav/service/http_service.h"
#include "qav/service/qav_api.h"
#include "qav/service/query/query_runner.h"
#include "qav/service/service_fixture.h"

namespace qztest {
namespace {

using namespace std::chrono_literals;

// A document of 1,100 five-character words n0000 ... n1099 (one sentence),
// then a short one.
std::string TestCorpus() {
    std::string text = "Doc 长文\n";
    char token[16];
    for (int i = 0; i < 1100; ++i) {
        std::snprintf(token, sizeof token, "n%04d/n ", i);
        text += token;
    }
    return text + "\nDoc 新闻B\n他/r 来/v\n";
}

std::string BuildIndex(const TempDir& dir) {
    const std::string config = WriteAt(dir, "config.json", ServiceConfig());
    const std::string text = WriteAt(dir, "corpus.txt", Gbk(TestCorpus()));
    const std::string list = WriteAt(dir, "corpus.lst", text + "\n");
    const std::string index = dir.file("index");
    testing::internal::CaptureStdout();
    const int built = IdxMainAllInOne(config.c_str(), list.c_str(), index.c_str());
    const std::string output = testing::internal::GetCapturedStdout();
    EXPECT_EQ(1, built) << output;
    return index;
}

// Waits until check holds; false after 20 s.
bool WaitFor(const std::function<bool()>& check) {
    for (auto deadline = std::chrono::steady_clock::now() + 20s; std::chrono::steady_clock::now() < deadline;) {
        if (check()) return true;
        std::this_thread::sleep_for(5ms);
    }
    return check();
}

// The query runner of these tests: "block" waits for the gate to open,
// "segv", "fpe", "abort" and "overflow" crash, "throw" throws, "exit" ends
// the worker thread; anything else goes through the real query road.
std::mutex g_gateMutex;
std::condition_variable g_gateCv;
bool g_gateOpen = true;
std::atomic<int> g_blocked{0};

void SetGate(bool open) {
    std::lock_guard<std::mutex> lock(g_gateMutex);
    g_gateOpen = open;
    g_gateCv.notify_all();
}

__attribute__((noinline)) int Recurse(volatile char* previous, int depth) {
    volatile char frame[4096];
    frame[0] = static_cast<char>(previous[0] + 1);
    if (depth == -1) return frame[0];
    return Recurse(frame, depth + 1) + frame[0];
}

long TestRunner(const char* query, std::string& answer) {
    const std::string text = query;
    if (text == "block") {
        ++g_blocked;
        std::unique_lock<std::mutex> lock(g_gateMutex);
        g_gateCv.wait(lock, [] { return g_gateOpen; });
        --g_blocked;
        answer = "released";
    } else if (text == "segv") {
        raise(SIGSEGV);
    } else if (text == "fpe") {
        raise(SIGFPE);
    } else if (text == "abort") {
        raise(SIGABRT);
    } else if (text == "overflow") {
        volatile char start[1] = {0};
        Recurse(start, 0);
    } else if (text == "throw") {
        throw std::runtime_error("bad \"x\"");
    } else if (text == "exit") {
        pthread_exit(nullptr);
    } else {
        return qav::RunQAV(query, answer);
    }
    return static_cast<long>(answer.size());
}

// The string under "result" of a wrapped answer; "<not wrapped>" otherwise.
std::string Result(const HttpAnswer& answer) {
    std::unique_ptr<cJSON, decltype(&cJSON_Delete)> json(cJSON_Parse(answer.body.c_str()), cJSON_Delete);
    const cJSON* result = cJSON_GetObjectItemCaseSensitive(json.get(), "result");
    return cJSON_IsString(result) ? result->valuestring : "<not wrapped>";
}

// The "error" text of a JSON object text; "<no error>" otherwise.
std::string ErrorOf(const std::string& text) {
    std::unique_ptr<cJSON, decltype(&cJSON_Delete)> json(cJSON_Parse(text.c_str()), cJSON_Delete);
    const cJSON* error = cJSON_GetObjectItemCaseSensitive(json.get(), "error");
    return cJSON_IsString(error) ? error->valuestring : "<no error>";
}

bool IsJson(const HttpAnswer& answer) {
    return answer.headers.find("Content-Type: application/json") != std::string::npos;
}

class HttpServiceTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        s_dir = new TempDir;
        s_index = BuildIndex(*s_dir);
    }
    static void TearDownTestSuite() {
        delete s_dir;
        s_dir = nullptr;
    }

    void SetUp() override {
        SetGate(true);
        qav::SetHttpQueryRunner(TestRunner);
        server_ = std::make_unique<TestHttpServer>(s_index);
    }
    void TearDown() override {
        SetGate(true);
        if (server_) {
            EXPECT_EQ(1, server_->Stop());
        }
        server_.reset();
        qav::SetHttpQueryRunner(nullptr);
    }

    int port() const { return server_->port(); }

    // Blocks n workers and waits until they are blocked.
    std::vector<std::unique_ptr<HttpCall>> BlockWorkers(int n) {
        SetGate(false);
        std::vector<std::unique_ptr<HttpCall>> calls;
        for (int i = 0; i < n; ++i) calls.push_back(std::make_unique<HttpCall>(port(), "POST", "/struct", "block"));
        EXPECT_TRUE(WaitFor([n] { return g_blocked == n; }));
        return calls;
    }

    static TempDir* s_dir;
    static std::string s_index;
    ParserWorkingDir parserDir_{kEchoParser};
    std::unique_ptr<TestHttpServer> server_;
};

TempDir* HttpServiceTest::s_dir = nullptr;
std::string HttpServiceTest::s_index;

TEST_F(HttpServiceTest, LightRoutesAnswerAtOnceAndOtherRequestsAreRefusedWithTheirStatus) {
    struct Case {
        const char* method;
        const char* target;
        int status;
        const char* body;
        const char* allow;  // the "Allow" header expected, if any
    };
    const Case cases[] = {
        {"GET", "/isactive", 200, "{\"status\":1}\n", nullptr},
        {"POST", "/isactive", 200, "{\"status\":1}\n", nullptr},
        {"GET", "/version", 200, "{\"ver\":\"4.0.260328.0600\"}\n", nullptr},
        {"GET", "/unknown", 404, "{\"error\":\"not found\"}\n", nullptr},
        {"GET", "/isactive/", 404, "{\"error\":\"not found\"}\n", nullptr},
        {"POST", "/", 404, "{\"error\":\"not found\"}\n", nullptr},
        {"GET", "/struct", 405, "{\"error\":\"method not allowed\"}\n", "Allow: POST"},
        {"PUT", "/qav", 405, "{\"error\":\"method not allowed\"}\n", "Allow: POST"},
        {"POST", "/showsource", 405, "{\"error\":\"method not allowed\"}\n", "Allow: GET, HEAD"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.method) + " " + c.target);
        const HttpAnswer answer = HttpCall(port(), c.method, c.target, "x").Wait();
        ASSERT_TRUE(answer.replied);
        EXPECT_EQ(c.status, answer.status);
        EXPECT_EQ(c.body, answer.body);
        EXPECT_EQ(c.status != 200, IsJson(answer));
        if (c.allow) {
            EXPECT_NE(std::string::npos, answer.headers.find(c.allow)) << answer.headers;
        }
    }
}

TEST_F(HttpServiceTest, BadRequestsGetTheirStatusAndTheNextQueryAnswers) {
    const std::string head = "POST /struct HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n";
    const auto post = [&head](const std::string& body) {
        return head + "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    };
    const auto postQav = [](const std::string& body) {
        return "POST /qav HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\nContent-Length: " +
               std::to_string(body.size()) + "\r\n\r\n" + body;
    };
    // A chunked body of 4 MB: its length shows only as it arrives.
    std::string chunked = head + "Transfer-Encoding: chunked\r\n\r\n";
    const std::string chunk(1 << 20, 'x');
    for (int i = 0; i < 4; ++i) chunked += "100000\r\n" + chunk + "\r\n";
    chunked += "0\r\n\r\n";
    struct Case {
        const char* name;
        std::string request;
        int status;
    };
    const Case cases[] = {
        {"Content-Length past the limit", head + "Content-Length: 4194304\r\n\r\n", 413},
        {"chunked body past the limit", chunked, 413},
        {"two Content-Length headers", head + "Content-Length: 2\r\nContent-Length: 2\r\n\r\nab", 400},
        {"NUL in the query", post(std::string("a\0b", 3)), 400},
        {"overlong UTF-8 slash", post("a\xC0\xAF" "b"), 400},
        {"lone continuation byte", post("a\x80"), 400},
        {"surrogate in UTF-8", post("\xED\xA0\x80"), 400},
        {"escaped NUL in a /qav string", postQav("{\"query\":\"a\\u0000b\"}"), 400},
        {"invalid UTF-8 in a /qav string", postQav("{\"query\":\"a\xC0\xAF\"}"), 400},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const HttpAnswer answer = HttpCall(port(), RawRequest{c.request}).Wait();
        ASSERT_TRUE(answer.replied);
        EXPECT_EQ(c.status, answer.status) << answer.body;
        EXPECT_NE("<no error>", ErrorOf(answer.body));
        EXPECT_EQ("--Lua上海", Result(HttpPost(port(), "/struct", "上海")));
    }
}

TEST_F(HttpServiceTest, TooLongQueriesAreRefusedAndProgramResultsComeBackInUtf8) {
    struct Case {
        std::string query;
        std::string result;
    };
    const std::string tooLong = "{\"error\":\"the query is 10311 bytes long in GBK, more than 10239; it is not run\"}";
    const Case cases[] = {
        {"人" + std::string(10300, ' ') + " => count", tooLong},
        {"return '" + std::string(10300, ' ') + "'\n", tooLong.substr(0, 20)},
        {"return '围城'\n", "围城"},
        {"return 'a', '上海'\n", "上海"},
        {"人" + std::string(10200, ' '), "--Lua人" + std::string(10200, ' ')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.query.substr(0, 20));
        const HttpAnswer answer = HttpPost(port(), "/struct", c.query);
        EXPECT_EQ(200, answer.status);
        const std::string result = Result(answer);
        EXPECT_EQ(c.result, result.substr(0, c.result.size()));
    }
}

TEST_F(HttpServiceTest, StructAnswersComeBackAsJsonStrings) {
    // A program: run on the engine; its answer holds quotes, a reverse
    // solidus and control characters.
    const HttpAnswer program =
        HttpPost(port(), "/struct", "return 'say \"hi\" \\\\ tab:\tend' .. string.char(1, 10)\n");
    EXPECT_EQ(200, program.status);
    EXPECT_TRUE(IsJson(program));
    EXPECT_EQ("{\"result\":\"say \\\"hi\\\" \\\\ tab:\\tend\\u0001\\n\"}\n", program.body);
    EXPECT_EQ("say \"hi\" \\ tab:\tend\x01\n", Result(program));

    // A sentence: through the parser script, in GBK and back.
    EXPECT_EQ("--Lua上海 好", Result(HttpPost(port(), "/struct", "上海 好")));
}

TEST_F(HttpServiceTest, QavBodiesBecomeQueryConditionAndLimits) {
    struct Case {
        const char* body;
        const char* query;  // what the parser receives
    };
    const Case cases[] = {
        {R"j({"query":"a","condition":["x","y"],"limit":[[1,5],[7,9]]})j", "a{ x y}[(1,5);(7,9);]"},
        // Sentence keys of later data files pass 32 bits.
        {R"j({"query":"b","limit":[[4294967808,1099511627775]]})j", "b{}[(4294967808,1099511627775);]"},
        {R"j({"query":"c","condition":"k=v","limit":"(1,2)"})j", "c{k=v}{(1,2)}"},
        {R"j({"condition":[1,"z"],"limit":[[1],[2,3,4],[5,6],7]})j", "{ z}[(5,6);]"},
        {R"j({"query":5,"condition":{},"limit":3})j", "{}"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        const HttpAnswer answer = HttpPost(port(), "/qav", c.body);
        EXPECT_EQ(200, answer.status);
        EXPECT_EQ(std::string("--Lua") + c.query, Result(answer));
    }
    for (const char* body : {"", "query", "{\"query\":\"a\""}) {
        SCOPED_TRACE(body);
        const HttpAnswer answer = HttpPost(port(), "/qav", body);
        EXPECT_EQ(400, answer.status);
        EXPECT_EQ("{\"error\":\"invalid json\"}\n", answer.body);
        EXPECT_TRUE(IsJson(answer));
    }
}

// Position of the first occurrence of a word in data file 0 of the running
// service's engine.
uint32_t PositionOf(const std::string& word) {
    const qav::CQAVEngine& engine = *qav::g_pCQAVEngine;
    const int32_t id = engine.m_pWordList->Word2No(Gbk(word));
    for (uint32_t p = 0; p < engine.m_corpusLength[0]; ++p)
        if (engine.m_corpus[0][p] == static_cast<uint32_t>(id)) return p;
    ADD_FAILURE() << "no word " << word;
    return 0;
}

// The words n(from) ... n(to) written together.
std::string Words(int from, int to) {
    std::string text;
    char token[8];
    for (int i = from; i <= to; ++i) {
        std::snprintf(token, sizeof token, "n%04d", i);
        text += token;
    }
    return text;
}

TEST_F(HttpServiceTest, ShowSourceGivesTheTextAroundASourceId) {
    const std::string id = qav::EncodeSourceId(0, PositionOf("n0550"));
    struct Case {
        const char* w;  // the query-string part
        int width;
    };
    const Case cases[] = {
        {"", 200}, {"&w=5", 10}, {"&w=10", 10}, {"&w=11", 11}, {"&w=900", 500},
        {"&w=", 200}, {"&w=x", 10}, {"&w=1234567890123456", 200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.w);
        const HttpAnswer answer = HttpGet(port(), "/showsource?id=" + id + c.w);
        ASSERT_EQ(200, answer.status);
        EXPECT_TRUE(IsJson(answer));
        const std::string expected = "{\"Source\":\"长文\",\"Text\":\"" + Words(550 - c.width, 550 + c.width) +
                                     "\",\"Offset\":" + std::to_string(5 * c.width) + "}";
        EXPECT_EQ(expected, answer.body);
    }
    // Words before the document's start are left out together, and the text
    // ends where the data ends.
    const HttpAnswer second = HttpGet(port(), "/showsource?w=10&id=" + qav::EncodeSourceId(0, PositionOf("来")));
    EXPECT_EQ("{\"Source\":\"新闻B\",\"Text\":\"来|\",\"Offset\":0}", second.body);
}

TEST_F(HttpServiceTest, ShowSourceRefusesBadIds) {
    const uint32_t length = qav::g_pCQAVEngine->m_corpusLength[0];
    struct Case {
        std::string query;
        const char* error;
    };
    const Case cases[] = {
        {"", "invalid id"},
        {"id=", "invalid id"},
        {"id=abcdefghi", "invalid id"},
        {"id=ab-c", "invalid id"},
        {"id=" + std::string(40, 'a'), "invalid id"},
        {"id=" + qav::EncodeSourceId(1, 600), "out of range"},
        {"id=" + qav::EncodeSourceId(0, length), "out of range"},
        {"id=C2", "out of range"},  // file 255
        {"id=" + qav::EncodeSourceId(0, length) + "0", "out of range"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.query);
        const HttpAnswer answer = HttpGet(port(), "/showsource?" + c.query);
        EXPECT_EQ(400, answer.status);
        EXPECT_EQ(std::string("{\"error\":\"") + c.error + "\"}\n", answer.body);
        EXPECT_TRUE(IsJson(answer));
    }
    EXPECT_EQ(200, HttpGet(port(), "/showsource?id=" + qav::EncodeSourceId(0, length - 1)).status);
    // An id with most significant zero digits, which the encoder never
    // writes, names the same sentence.
    const std::string id = qav::EncodeSourceId(0, length - 1);
    const std::string answer = HttpGet(port(), "/showsource?id=" + id).body;
    for (const std::string& padded : {id + "0", id + "00"}) {
        if (padded.size() > qav::kMaxSourceIdDigits) continue;
        const HttpAnswer again = HttpGet(port(), "/showsource?id=" + padded);
        EXPECT_EQ(200, again.status) << padded;
        EXPECT_EQ(answer, again.body) << padded;
    }
}

TEST_F(HttpServiceTest, BusyWhile64JobsWaitAndEveryQueuedJobIsAnsweredAfterwards) {
    auto blocked = BlockWorkers(qav::kHttpWorkers);
    std::vector<std::unique_ptr<HttpCall>> queued;
    for (int i = 0; i < qav::kMaxWaitingJobs; ++i)
        queued.push_back(std::make_unique<HttpCall>(port(), "POST", "/struct", "q" + std::to_string(i)));
    ASSERT_TRUE(WaitFor([] { return qav::g_work_queue_size == qav::kMaxWaitingJobs; }));

    for (const char* route : {"/struct", "/qav"}) {
        const HttpAnswer busy = HttpPost(port(), route, "{\"query\":\"late\"}");
        EXPECT_EQ(503, busy.status);
        EXPECT_EQ("{\"error\":\"BUSY\"}\n", busy.body);
    }
    // A client that leaves before its answer: the answer is dropped.
    queued[0]->Abandon();

    SetGate(true);
    for (auto& call : blocked) EXPECT_EQ("released", Result(call->Wait()));
    for (int i = 1; i < qav::kMaxWaitingJobs; ++i) EXPECT_EQ("--Luaq" + std::to_string(i), Result(queued[i]->Wait()));
    EXPECT_EQ("--Luanext", Result(HttpPost(port(), "/struct", "next")));
}

// How often the echo parser was loaded.
size_t ParserLoads() { return ReadFile("loads.txt").size(); }

TEST_F(HttpServiceTest, CrashOrExceptionInAQueryIsAnsweredAndTheWorkerGoesOn) {
    // One worker free, so that the query after each crash runs on the
    // worker that crashed.
    auto blocked = BlockWorkers(qav::kHttpWorkers - 1);
    EXPECT_EQ("--Luafirst", Result(HttpPost(port(), "/struct", "first")));
    struct Case {
        const char* query;
        const char* error;
        size_t newParserStates;  // a crash leaves the parser state behind
    };
    const Case cases[] = {
        {"segv", "internal: caught signal SIGSEGV", 1},
        {"fpe", "internal: caught signal SIGFPE", 1},
        {"abort", "internal: caught signal SIGABRT", 1},
        {"overflow", "internal: caught signal SIGSEGV", 1},
        {"throw", "internal: bad \"x\"", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.query);
        const size_t loads = ParserLoads();
        const HttpAnswer answer = HttpPost(port(), "/struct", c.query);
        EXPECT_EQ(200, answer.status);
        EXPECT_EQ(c.error, ErrorOf(Result(answer)));
        EXPECT_EQ("--Luaafter", Result(HttpPost(port(), "/struct", "after")));
        EXPECT_EQ(loads + c.newParserStates, ParserLoads());
    }
    EXPECT_EQ(qav::kHttpWorkers, qav::g_live_workers);
}

TEST_F(HttpServiceTest, QueriesRunSideBySideOnTheWorkers) {
    // Context programs over the shared engine, and programs that change the
    // process-wide category table, all at once.
    const std::string context = "local h = GetAS(\"<n\",\"n0550\")\nContext(h,3,0,20)\nreturn Output(h)\n";
    const std::string tags =
        "for i = 1, 50 do AddTag('T' .. i, 'w' .. i) ClearTag('T' .. (i - 1)) end\n"
        "return type(GetTags()) == 'table' and 'ok' or 'no'\n";
    const std::string expected = Result(HttpPost(port(), "/struct", context));
    ASSERT_NE(std::string::npos, expected.find("n0550")) << expected;

    std::vector<std::unique_ptr<HttpCall>> calls;
    for (int i = 0; i < 48; ++i)
        calls.push_back(std::make_unique<HttpCall>(port(), "POST", "/struct", i % 2 ? tags : context));
    for (int i = 0; i < 48; ++i) EXPECT_EQ(i % 2 ? "ok" : expected, Result(calls[i]->Wait())) << i;
}

TEST_F(HttpServiceTest, DeadWorkersAreReplacedAndWaitingRequestsClosedAtStop) {
    std::vector<std::unique_ptr<HttpCall>> lost;
    testing::internal::CaptureStdout();
    for (int i = 0; i < qav::kHttpWorkers; ++i) lost.push_back(std::make_unique<HttpCall>(port(), "POST", "/struct", "exit"));
    const bool allDied = WaitFor([] { return qav::g_live_workers == 0; });
    const std::string again = Result(HttpPost(port(), "/struct", "again"));
    const std::string log = testing::internal::GetCapturedStdout();
    ASSERT_TRUE(allDied);
    EXPECT_EQ("--Luaagain", again);
    EXPECT_EQ(qav::kHttpWorkers, qav::g_live_workers);
    // One line per restart pass; the workers may die across two passes.
    int restarted = 0;
    const std::string warning = "[MainLoop] WARNING: ";
    for (size_t at = log.find(warning); at != std::string::npos; at = log.find(warning, at + 1)) {
        int died = 0, started = 0;
        ASSERT_EQ(2, std::sscanf(log.c_str() + at + warning.size(), "%d worker(s) died, restarting %d\n", &died,
                                 &started)) << log;
        EXPECT_EQ(died, started);
        restarted += started;
    }
    EXPECT_EQ(qav::kHttpWorkers, restarted) << log;

    // The requests whose workers died wait until the service stops; then
    // their connections are closed without a reply.
    EXPECT_EQ(1, server_->Stop());
    server_.reset();
    for (auto& call : lost) EXPECT_FALSE(call->Wait(5000).replied);
}

TEST_F(HttpServiceTest, SigtermReturnsSoonWhileWorkersAreStuck) {
    auto blocked = BlockWorkers(qav::kHttpWorkers);
    testing::internal::CaptureStdout();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(1, server_->Stop());
    const auto took = std::chrono::steady_clock::now() - start;
    const std::string log = testing::internal::GetCapturedStdout();
    server_.reset();
    EXPECT_LT(took, 5s);
    EXPECT_NE(std::string::npos, log.find("8 worker(s) still running a query at shutdown")) << log;
    // The workers left behind end once their queries return; the engine
    // they might still have read is freed after them.
    SetGate(true);
    EXPECT_TRUE(WaitFor([] { return qav::g_live_workers == 0; }));
    qav::GlobalExit();
}

TEST(HttpServiceLife, SigtermOrSigintEndsTheServiceWhichCanRunAgain) {
    TempDir dir;
    const std::string index = BuildOneLineIndex(dir, "index");
    ParserWorkingDir parserDir(kEchoParser);
    const int stopSignals[] = {SIGTERM, SIGINT};  // one run ended by each
    struct sigaction before[std::size(stopSignals)] {};
    for (size_t i = 0; i < std::size(stopSignals); ++i) sigaction(stopSignals[i], nullptr, &before[i]);

    // An engine started through the exported functions is replaced, and
    // their started flag does not outlive the service.
    ASSERT_EQ(1, QAV_Init(index.c_str()));
    for (const int stop : stopSignals) {
        SCOPED_TRACE(stop);
        TestHttpServer server(index);
        EXPECT_EQ(0, qav::g_bIsInit);
        EXPECT_EQ("--Luaq", Result(HttpPost(server.port(), "/struct", "q")));
        EXPECT_EQ(1, server.Stop(stop));
        EXPECT_EQ(0, qav::g_bIsInit);
        EXPECT_EQ(nullptr, qav::g_pCQAVEngine);
        for (size_t i = 0; i < std::size(stopSignals); ++i) {
            struct sigaction after {};
            sigaction(stopSignals[i], nullptr, &after);
            EXPECT_EQ(before[i].sa_handler, after.sa_handler);
        }
    }
    std::vector<char> answer(QAV_MAX_ANSWER_BYTES);
    QAV_RunQAV(dir.file("none.lua").c_str(), index.c_str(), "return 'ok'\n", answer.data());
    EXPECT_STREQ("ok", answer.data());
    QAV_Exit();

    EXPECT_EQ(0, QAV_Http("0", dir.file("missing").c_str()));
}

TEST(HttpServiceLife, TheSecondEntryAnswersTrueAndServesNothing) {
    TempDir dir;
    const std::string index = BuildOneLineIndex(dir, "index");
    const int port = FreePort();
    EXPECT_TRUE(qav::QAV_Http2(std::to_string(port).c_str(), index.c_str()));
    EXPECT_TRUE(qav::QAV_Http2(nullptr, nullptr));
    EXPECT_EQ(nullptr, qav::g_pCQAVEngine);
    EXPECT_THROW(HttpGet(port, "/isactive"), std::runtime_error);  // nothing listens
}

TEST(HttpServiceLife, APortThatCannotBeListenedOnEndsTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    TempDir dir;
    const std::string index = BuildOneLineIndex(dir, "index");
    // A port held by a listening socket of this process.
    const int held = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    socklen_t size = sizeof address;
    ASSERT_EQ(0, bind(held, reinterpret_cast<sockaddr*>(&address), size));
    ASSERT_EQ(0, listen(held, 1));
    ASSERT_EQ(0, getsockname(held, reinterpret_cast<sockaddr*>(&address), &size));
    for (const std::string& port : {std::string("http"), std::string("70000"), std::to_string(ntohs(address.sin_port))}) {
        SCOPED_TRACE(port);
        EXPECT_EXIT(QAV_Http(port.c_str(), index.c_str()), testing::ExitedWithCode(1), "");
    }
    close(held);
}

}  // namespace
}  // namespace qztest
