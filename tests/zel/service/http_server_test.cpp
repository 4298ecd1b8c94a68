#include "zel/service/http_server.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "include/zellib.h"
#include "support/test_support.h"
#include "zel/lattice/scripting_hooks.h"
#include "zel/service/http_routes.h"
#include "zel/service/sentence_route.h"
#include "zel/service/server_start.h"
#include "zel/service/start_state.h"

namespace zel {
namespace {

struct Answer {
    long status = 0;
    std::string type;
    std::string body;
};

size_t Collect(char* data, size_t size, size_t count, void* text) {
    static_cast<std::string*>(text)->append(data, size * count);
    return size * count;
}

// GET, or POST when body is given, on the test server.
Answer Fetch(uint16_t port, const std::string& route, const std::string* body = nullptr) {
    Answer answer;
    CURL* curl = curl_easy_init();
    const std::string url = "http://127.0.0.1:" + std::to_string(port) + route;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 30L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &answer.body);
    if (body) {
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body->data());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(body->size()));
    }
    if (curl_easy_perform(curl) == CURLE_OK) {
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &answer.status);
        char* type = nullptr;
        curl_easy_getinfo(curl, CURLINFO_CONTENT_TYPE, &type);
        if (type) answer.type = type;
    }
    curl_easy_cleanup(curl);
    return answer;
}

struct RunLuaCase {
    std::string code;
    std::string body;
};

class HttpServer : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.Start(0, "127.0.0.1")); }

    // Posts each code to "/runlua", compares the answers, then checks that the
    // server still serves.
    void ExpectRunLuaAnswers(const std::vector<RunLuaCase>& cases) {
        for (const RunLuaCase& c : cases) {
            const Answer answer = Fetch(server.Port(), "/runlua", &c.code);
            EXPECT_EQ(answer.status, 200) << c.code;
            EXPECT_EQ(answer.body, c.body) << c.code;
        }
        EXPECT_EQ(Fetch(server.Port(), "/isactive").body, "ok");
    }

    ZelHttpServer server;
};

TEST_F(HttpServer, ActiveAndVersion) {
    const Answer active = Fetch(server.Port(), "/isactive");
    EXPECT_EQ(active.status, 200);
    EXPECT_EQ(active.type, "application/json");
    EXPECT_EQ(active.body, "ok");
    EXPECT_EQ(Fetch(server.Port(), "/version").body, "v4.0.260328.0611");
}

TEST_F(HttpServer, RunLuaAnswersWhatTheCodeWebPrints) {
    const std::vector<RunLuaCase> cases = {
        {"WebPrint('one') WebPrint('two')", "one\r\ntwo\r\n"},
        {"WebPrint('before') error('stop')", "before\r\n"},  // errors are dropped
        {"this is not Lua", ""},
        // Stopped by the time bound, which says so; the server goes on.
        {"while true do end", "time limit of the request passed\r\n"},
    };
    ExpectRunLuaAnswers(cases);
}

TEST_F(HttpServer, OversizedBodyIsRefused) {
    const std::string big(kMaxRequestBody + 1, ' ');
    EXPECT_EQ(Fetch(server.Port(), "/runlua", &big).status, 413);
    const std::string fits = "WebPrint('x')" + std::string(kMaxRequestBody - 13, ' ');
    EXPECT_EQ(Fetch(server.Port(), "/runlua", &fits).body, "x\r\n");
}

// Posted code may hold at most 64 MB; code that passes the bound is stopped
// with a line that says so, even when it catches the error itself, and the
// server goes on.
TEST_F(HttpServer, RunLuaIsBoundInMemory) {
    const std::string passed = "memory limit of the request passed\r\n";
    const std::vector<RunLuaCase> cases = {
        {"local s = string.rep('x', 100 * 1024 * 1024) WebPrint('after')", passed},
        {"WebPrint('start') local t = {} for i = 1, 1e8 do t[i] = i end WebPrint('end')", "start\r\n" + passed},
        {"pcall(function() local t = {} for i = 1, 1e8 do t[i] = i end end) WebPrint('caught')",
         "caught\r\n" + passed},
        {"local s = string.rep('x', 16 * 1024 * 1024) WebPrint(#s)", "16777216\r\n"},  // within the bound
    };
    ExpectRunLuaAnswers(cases);
}

// The answer of posted code stays below one megabyte and ends with a whole
// line.
TEST_F(HttpServer, RunLuaAnswerIsCutAtAWholeLine) {
    const std::string code = "for i = 1, 200000 do WebPrint('123456789') end";
    const Answer answer = Fetch(server.Port(), "/runlua", &code);
    EXPECT_EQ(answer.status, 200);
    EXPECT_LT(answer.body.size(), 1048576u);
    EXPECT_GT(answer.body.size(), 1048576u - 128);  // room is kept for the messages of the bounds
    EXPECT_EQ(answer.body.size() % 11, 0u);
    EXPECT_EQ(answer.body.substr(answer.body.size() - 11), "123456789\r\n");
}

// The analysis route runs a rule set of a started engine over the posted
// sentence; the networks are compiled from source in the test.
const char* const kAnalysisRules =
    "@ECHO\n"
    "{\n"
    "  WebPrint(GetText())\n"
    "  WebPrint('done')\n"
    "}\n"
    "@QUIET\n"
    "{\n"
    "  Return('not sent')\n"
    "}\n"
    "@FLOOD\n"
    "{\n"
    "  for i = 1, 300000 do WebPrint('123456789') end\n"
    "}\n";

class HttpAnalysis : public ::testing::Test {
protected:
    void SetUp() override {
        ExitServer();
        g_psFSAPath.clear();
        g_psTablePath.clear();
        const std::string source = dir.file("web.txt");
        qztest::WriteFile(source, qztest::Gbk(kAnalysisRules));
        {
            const qztest::WorkingFolder compiling(dir.path());  // the compiler's intermediate files go here
            ASSERT_TRUE(RuleIdx2(source.c_str(), dir.path().c_str()));
        }
        const std::string config = dir.file("zel.cfg");
        qztest::WriteFile(config, "FSA:{\"Path\":\"" + dir.path() + "\"}\n");
        ASSERT_TRUE(InitServer(config.c_str()));
        ASSERT_TRUE(server.Start(0, "127.0.0.1"));
    }
    void TearDown() override {
        server.Stop();
        ExitServer();
        g_psFSAPath.clear();
        g_psTablePath.clear();
        g_bIsOutMsg = false;
    }
    Answer Post(const std::string& route, const std::string& body) { return Fetch(server.Port(), route, &body); }

    qztest::TempDir dir;
    ZelHttpServer server;
};

TEST_F(HttpAnalysis, AnswersWhatTheActionsWebPrint) {
    const std::string sentence = qztest::Gbk("你好");
    const struct {
        std::string route;
        std::string body;
        std::string answer;
    } cases[] = {
        {"/zel", "{\"Text\":\"" + sentence + "\",\"FSA\":\"ECHO\"}", sentence + "\r\ndone\r\n"},
        {"/", "{\"Text\":\"" + sentence + "\",\"FSA\":\"ECHO\"}", sentence + "\r\ndone\r\n"},
        // Member names and the rule-set name in any case.
        {"/zel", "{\"text\":\"abc\",\"fsa\":\"echo\"}", "abc\r\ndone\r\n"},
        // The return text is not sent.
        {"/zel", "{\"Text\":\"abc\",\"FSA\":\"QUIET\"}", ""},
        // Without both members nothing is named and nothing runs.
        {"/zel", "{\"Text\":\"abc\"}", ""},
        {"/zel", "{\"Text\":\"abc\",\"FSA\":\"NOSUCH\"}", ""},
    };
    for (const auto& c : cases) {
        const Answer answer = Post(c.route, c.body);
        EXPECT_EQ(answer.status, 200) << c.body;
        EXPECT_EQ(answer.type, "application/json") << c.body;
        EXPECT_EQ(answer.body, c.answer) << c.body;
    }
}

TEST_F(HttpAnalysis, RefusesBodiesItCannotTake) {
    const struct {
        std::string body;
        long status;
        std::string error;  // a part of the error text
    } cases[] = {
        {"Text=abc&FSA=ECHO", 400, "not JSON"},
        {"{\"Text\":\"abc\",", 400, "not JSON"},
        {"", 400, "not JSON"},
        {"{\"Text\":\"" + std::string(kSentenceTextBytes, 'a') + "\",\"FSA\":\"ECHO\"}", 413, "Text"},
        {"{\"Text\":\"abc\",\"FSA\":\"" + std::string(kRuleSetNameBytes, 'A') + "\"}", 413, "FSA"},
    };
    for (const auto& c : cases) {
        const Answer answer = Post("/zel", c.body);
        EXPECT_EQ(answer.status, c.status) << c.body.substr(0, 40);
        EXPECT_NE(answer.body.find(c.error), std::string::npos) << answer.body;
    }
    // The longest texts that fit are analysed.
    const std::string longest(kSentenceTextBytes - 1, 'a');
    const Answer fits = Post("/zel", "{\"Text\":\"" + longest + "\",\"FSA\":\"QUIET\"}");
    EXPECT_EQ(fits.status, 200);
    EXPECT_EQ(fits.body, "");
    // A body larger than the route's buffer is refused before it is read.
    EXPECT_EQ(Post("/zel", std::string(kSentenceAnswerBytes, ' ')).status, 413);
    EXPECT_EQ(Post("/isactive", "").body, "ok");
}

// An answer larger than the route's buffer ends with the last whole line
// that fits.
TEST_F(HttpAnalysis, AnswerIsCutAtAWholeLine) {
    const Answer answer = Post("/zel", "{\"Text\":\"abc\",\"FSA\":\"FLOOD\"}");
    EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(answer.body.size(), (kSentenceAnswerBytes - 1) / 11 * 11);
    EXPECT_EQ(answer.body.substr(answer.body.size() - 11), "123456789\r\n");
}

}  // namespace
}  // namespace zel

namespace zel {
namespace {

// The example route runs "./zel" from the working folder: each test serves
// from a fresh folder holding a link to the program.
class HttpExample : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(symlink(QZ_ZEL_PROGRAM, dir.file("zel").c_str()), 0);
        working = std::make_unique<qztest::WorkingFolder>(dir.path());
        ASSERT_TRUE(working->entered());
        ASSERT_TRUE(server.Start(0, "127.0.0.1"));
    }
    void TearDown() override {
        server.Stop();
        working.reset();
    }

    qztest::TempDir dir;
    std::unique_ptr<qztest::WorkingFolder> working;
    ZelHttpServer server;
};

// The work folder is named by the port and reused.
TEST_F(HttpExample, AnswersPrintsInUtf8AndReusesWorkFolder) {
    g_szPort = "7";
    const std::string example = R"J({"lua":"print('词语')","tab":"","fsa":""})J";
    for (int run = 0; run < 2; ++run) {
        const Answer answer = Fetch(server.Port(), "/runexample", &example);
        EXPECT_EQ(answer.type, "application/json; charset=UTF-8");
        EXPECT_EQ(answer.body, "词语\n");
        EXPECT_EQ(access("work_7/code.lua", F_OK), 0);
        EXPECT_NE(access("work_7/zel.json", F_OK), 0);
    }
}

// An example's code runs against the table and the rule network the example
// built: the child program starts the engine on the work folder's
// configuration before it runs the code.
TEST_F(HttpExample, CodeUsesTheExamplesTableAndRules) {
    g_szPort = "8";
    const std::string example = R"J({
        "tab": ".颜色\n红\n绿\n",
        "fsa": "@SHOW\n{\n  print('句子:' .. GetText())\n}\n",
        "lua": "SetText('红苹果')\nRunFSA('SHOW')\nprint(IsTable('颜色', '红'), IsTable('颜色', '蓝'))"
    })J";
    for (int run = 0; run < 2; ++run) {
        const Answer answer = Fetch(server.Port(), "/runexample", &example);
        EXPECT_EQ(answer.body, "句子:红苹果\ntrue\tfalse\n") << run;
    }
    EXPECT_FALSE(qztest::ReadFile(dir.file("work_8/data/examtable.idx")).empty());
    EXPECT_FALSE(qztest::ReadFile(dir.file("work_8/data/examfsa.idx")).empty());
}

}  // namespace
}  // namespace zel

namespace zel {
namespace {

// The "zel" program's server, started as a child process on a free port
// and stopped by the test. The port is free when probed but another program
// can take it before the server binds it; a server that exits before it
// answers is started again on a new port.
class ServerProcess {
public:
    ServerProcess(const qztest::TempDir& dir, const std::string& config) {
        for (int start = 0; start < 5 && !ready_; ++start) {
            Start(dir, config);
            ready_ = AnswersOrExits();
        }
    }
    ~ServerProcess() { Stop(); }
    bool Ready() const { return ready_; }
    uint16_t port() const { return static_cast<uint16_t>(port_); }

private:
    void Start(const qztest::TempDir& dir, const std::string& config) {
        const int probe = qztest::ListenOnLoopback(1, port_);
        close(probe);
        const std::string out = dir.file("server_stdout.txt"), portText = std::to_string(port_);
        pid_ = fork();
        if (pid_ == 0) {
            // Only calls that are safe after a fork of a threaded process.
            const int file = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (file < 0 || dup2(file, STDOUT_FILENO) < 0 || chdir(dir.path().c_str()) != 0) _exit(127);
            execl(QZ_ZEL_PROGRAM, "zel", "-http", portText.c_str(), config.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    void Stop() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    // Waits until the server answers; false when it exits or never answers.
    bool AnswersOrExits() {
        for (int attempt = 0; attempt < 600; ++attempt) {
            if (Fetch(static_cast<uint16_t>(port_), "/isactive").body == "ok") return true;
            if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
                pid_ = -1;
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        Stop();
        return false;
    }

    int port_ = 0;
    pid_t pid_ = -1;
    bool ready_ = false;
};

TEST(HttpProgram, ServesWithTheEngineOfItsConfiguration) {
    qztest::TempDir dir;
    const std::string source = dir.file("web.txt");
    qztest::WriteFile(source, qztest::Gbk(kAnalysisRules));
    {
        const qztest::WorkingFolder compiling(dir.path());  // the compiler's intermediate files go here
        ASSERT_TRUE(RuleIdx2(source.c_str(), dir.path().c_str()));
    }
    qztest::WriteFile(dir.file("zel.cfg"), "FSA:{\"Path\":\"" + dir.path() + "\"}\n");
    const std::string request = "{\"Text\":\"abc\",\"FSA\":\"ECHO\"}";
    {
        ServerProcess server(dir, "zel.cfg");
        ASSERT_TRUE(server.Ready());
        EXPECT_EQ(Fetch(server.port(), "/zel", &request).body, "abc\r\ndone\r\n");
        EXPECT_EQ(qztest::ReadFile(dir.file("server_stdout.txt")).rfind(
                      "ZEL Enginelistening port:" + std::to_string(server.port()) + " ...\n", 0),
                  0u);
    }
    // A configuration that cannot be read is reported; the server still
    // answers, with no rule set to run.
    ServerProcess server(dir, "missing.cfg");
    ASSERT_TRUE(server.Ready());
    EXPECT_EQ(Fetch(server.port(), "/zel", &request).body, "");
    EXPECT_EQ(qztest::ReadFile(dir.file("server_stdout.txt")).rfind("ZEL Enginestart Failed!listening port:", 0), 0u);
}

}  // namespace
}  // namespace zel
