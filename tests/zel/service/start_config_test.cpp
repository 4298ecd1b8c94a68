// Start-up from a configuration file, its entry loaders and the named
// services of the registry.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <lua.hpp>

#include <string>
#include <thread>

#include "include/zellib.h"
#include "support/test_support.h"
#include "zel/rules/tables/table_functions.h"
#include "zel/service/config_loaders.h"
#include "zel/service/server_start.h"
#include "zel/service/start_state.h"

namespace zel {
namespace {

// Each test starts from a clean process state: no start, no folders, no
// services.
class StartTest : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }
    static void Reset() {
        ExitServer();
        g_psFSAPath.clear();
        g_psTablePath.clear();
        g_szLogFile.clear();
        g_Server.clear();
    }
    std::string Url(const char* service) {
        char url[ZEL_URL_BYTES] = "x";
        ZEL_GetServiceURL(service, url);
        return url;
    }
    qztest::TempDir dir;
};

TEST_F(StartTest, ConfigurationWithEveryKindOfLineStarts) {
    const std::string rules = dir.file("rules");
    const std::string tables = dir.file("tables");
    qztest::WriteFile(dir.file("config.txt"),
                      "# a comment line\r\n"
                      "{\"Type\":\"FSA\",\"Path\":\"" + rules + "\",\"Data\":[]}\r\n"
                      "Table:{\"Path\":\"" + tables + "\",\"Data\":[]}\n"
                      "Service:{\"Name\":\"seg\",\"Path\":\"http://h/segment/\"}\n"
                      "Service:{\"Name\":\"colon\",\"Path\":\"h:8080/a/b\"}\n"
                      "Service:{\"Name\":\"slash\",\"Path\":\"h/a\"}\n"
                      "Service:{\"Name\":\"bare\",\"Path\":\"h\"}\n"
                      "Service:{\"name\":\"ip\",\"IP\":\"10.0.0.1\",\"Port\":9000,\"Path\":\"run\"}\n"
                      "{\"Type\":\"Log\",\"Path\":\"logs\",\"Data\":\"run.txt\"}\n");
    EXPECT_TRUE(InitServer(dir.file("config.txt").c_str()));
    EXPECT_TRUE(g_bIsInit);
    // The start-up state has the rule-action functions.
    ASSERT_NE(Get_lua_State(), nullptr);
    EXPECT_EQ(lua_getglobal(Get_lua_State(), "SetHead"), LUA_TFUNCTION);
    lua_pop(Get_lua_State(), 1);
    EXPECT_EQ(g_psFSAPath, rules);
    EXPECT_EQ(g_psTablePath, tables);
    EXPECT_EQ(g_szLogFile, "logs/run.txt");
    EXPECT_EQ(Url("seg"), "http://h:80/segment/");
    EXPECT_EQ(Url("colon"), "http://h:8080/a/b");
    EXPECT_EQ(Url("slash"), "http://h:80/a");
    EXPECT_EQ(Url("bare"), "http://h/");
    EXPECT_EQ(Url("ip"), "http://10.0.0.1:9000/run");
    EXPECT_EQ(Url("none"), "");
    EXPECT_EQ(ZEL_GetServiceURL("none", nullptr), 0);
    ExitServer();
    EXPECT_EQ(Get_lua_State(), nullptr);
    // Services and folders outlive the start.
    EXPECT_EQ(Url("bare"), "http://h/");
    EXPECT_EQ(g_psFSAPath, rules);
}

TEST_F(StartTest, MissingFileFailsAndALaterGoodFileStarts) {
    EXPECT_FALSE(InitServer(dir.file("missing.txt").c_str()));
    EXPECT_FALSE(g_bIsInit);
    EXPECT_TRUE(g_psFSAPath.empty());
    qztest::WriteFile(dir.file("config.txt"), "Service:{\"Name\":\"s\",\"Path\":\"h/a\"}\n");
    EXPECT_TRUE(InitServer(dir.file("config.txt").c_str()));
    EXPECT_EQ(Url("s"), "http://h:80/a");
    // Without FSA or Table entries both folders fall back to "./data".
    EXPECT_EQ(g_psFSAPath, "./data");
    EXPECT_EQ(g_psTablePath, "./data");
}

TEST_F(StartTest, DataFolderOverridesEntryFolders) {
    const std::string data = dir.file("d");
    qztest::WriteFile(dir.file("config.txt"), "FSA:{\"Path\":\"elsewhere\",\"Data\":[\"abc\"]}\n");
    EXPECT_EQ(ZEL_DataInit(dir.file("config.txt").c_str(), data.c_str()), 1);
    EXPECT_EQ(access(data.c_str(), F_OK), 0);
    EXPECT_EQ(g_psFSAPath, data);
    EXPECT_EQ(g_szNetPath, data);
    EXPECT_EQ(g_szFunc, data + "/abcfsa.sub");
}

TEST_F(StartTest, EntryLoadersRefuseWhatTheyCannotUse) {
    EXPECT_FALSE(RuleInit("not json"));
    EXPECT_FALSE(RuleInit("{\"Data\":[\"abc\"]}"));
    g_psFSAPath = dir.file("absent");
    EXPECT_FALSE(RuleInit("{\"Path\":\"x\"}"));  // the folder does not exist
    g_psFSAPath = dir.path();
    EXPECT_FALSE(RuleInit("{\"Path\":\"x\",\"Data\":[]}"));
    qztest::WriteFile(dir.file("short.idx"), "");  // 9 bytes but not fsa.idx
    EXPECT_FALSE(RuleInit("{\"Path\":\"x\"}"));
    EXPECT_FALSE(CollInit("{\"Data\":[]}"));
    EXPECT_FALSE(LMInit("{\"Path\":\"m\",\"Left\":\"L\"}"));
    EXPECT_FALSE(LogInit("{\"Path\":\"logs\"}"));
    // A prefixed line's object may also hold the kind word; the second
    // hand-over (whole line, prefix included) does not parse.
    AddServer("{\"Name\":\"a\",\"Path\":\"h\"}");
    AddServer("{\"Name\":\"a\",\"Path\":\"h:81/p\"}");
    AddServer("{\"Name\":\"b\"}");
    EXPECT_EQ(Url("a"), "http://h:81/p");
    EXPECT_EQ(g_Server.count("b"), 0u);
}

TEST_F(StartTest, LongLinesAreReadInPieces) {
    // The first piece (1,023 bytes) ends inside the padding; the rest is a
    // line of its own that names a service.
    const std::string pad(1023, ' ');
    qztest::WriteFile(dir.file("config.txt"), pad + "Service:{\"Name\":\"tail\",\"Path\":\"t\"}\n");
    EXPECT_TRUE(InitServer(dir.file("config.txt").c_str()));
    EXPECT_EQ(Url("tail"), "http://t/");
}

TEST_F(StartTest, ReadConfigJoinsModelPathsWithSlashes) {
    qztest::WriteFile(dir.file("lm.txt"), "LMPath:m\r\nLM_L:L\nLM_M:B\nLM_R:R\n");
    char paths[6][ZEL_PATH_BYTES] = {};
    EXPECT_EQ(ReadConfig(dir.file("lm.txt").c_str(), paths[0], paths[1], paths[2], paths[3], paths[4], paths[5]), 1);
    const char* expected[6] = {"m/L.idx", "m/L.dat", "m/B.idx", "m/B.dat", "m/R.idx", "m/R.dat"};
    for (int i = 0; i < 6; ++i) EXPECT_STREQ(paths[i], expected[i]);
    EXPECT_EQ(ReadConfig(dir.file("none.txt").c_str(), paths[0], paths[1], paths[2], paths[3], paths[4], paths[5]), 0);
    EXPECT_EQ(SegInit("{\"Path\":\"seg\"}"), 1);
    EXPECT_EQ(g_szSegPath, "seg");
    EXPECT_EQ(SegInit("{}"), 0);
}

// Answers one request on 127.0.0.1 with its own body after the given reply
// prefix (a whole echo when the prefix is empty).
class EchoServer {
public:
    explicit EchoServer(std::string reply = "") : reply_(std::move(reply)) {
        listener_ = qztest::ListenOnLoopback(1, port_);
        thread_ = std::thread([this] { Serve(); });
    }
    ~EchoServer() {
        thread_.join();
        close(listener_);
    }
    int port() const { return port_; }

private:
    void Serve() {
        int connection = accept(listener_, nullptr, nullptr);
        if (connection < 0) return;
        std::string request;
        char chunk[4096];
        for (;;) {
            size_t blank = request.find("\r\n\r\n");
            if (blank != std::string::npos) {
                size_t at = request.find("Content-Length: ");
                size_t length = at == std::string::npos ? 0 : std::stoul(request.substr(at + 16));
                if (request.size() >= blank + 4 + length) {
                    std::string body = reply_.empty() ? request.substr(blank + 4) : reply_;
                    std::string answer = "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) +
                                         "\r\nConnection: close\r\n\r\n" + body;
                    send(connection, answer.data(), answer.size(), MSG_NOSIGNAL);
                    break;
                }
            }
            ssize_t n = recv(connection, chunk, sizeof chunk, 0);
            if (n <= 0) break;
            request.append(chunk, static_cast<size_t>(n));
        }
        close(connection);
    }
    std::string reply_;
    int listener_ = -1;
    int port_ = 0;
    std::thread thread_;
};

void Register(const char* name, int port, const char* charset) {
    std::string entry = std::string("{\"Name\":\"") + name + "\",\"Path\":\"127.0.0.1:" + std::to_string(port) +
                        "/echo\",\"Charset\":\"" + charset + "\"}";
    AddServer(entry.c_str());
}

TEST_F(StartTest, CallServiceMarksObjectRepliesWithTheServiceName) {
    struct Case {
        const char* text;
        const char* charset;
        const char* expected;
    };
    const Case cases[] = {
        {"{\"a\":1}\n", "", "{\"a\":1,\"ST\":\"echo\"}"},
        {"plain text \r\n", "", "plain text"},
        {"{}", "", "{\"ST\":\"echo\"}"},
        {"{\"w\":\"中文\"}", "gbk", "{\"w\":\"中文\",\"ST\":\"echo\"}"},
        {"{\"w\":\"中文\"}", "GBK", "{\"w\":\"中文\",\"ST\":\"echo\"}"},
    };
    for (const Case& c : cases) {
        EchoServer server;
        Register("echo", server.port(), c.charset);
        char out[256] = "";
        const int n = ZEL_CallService(nullptr, "echo", c.text, out, sizeof out);
        EXPECT_STREQ(out, c.expected) << c.text;
        EXPECT_EQ(n, static_cast<int>(std::string(c.expected).size()));
    }
    char out[16] = "old";
    EXPECT_EQ(ZEL_CallService(nullptr, "unknown", "x", out, sizeof out), 0);
    EXPECT_STREQ(out, "");
}

TEST_F(StartTest, CallServiceLeavesASmallBufferAlone) {
    EchoServer server;
    Register("echo", server.port(), "");
    char out[8] = "old";
    EXPECT_EQ(ZEL_CallService(nullptr, "echo", "{\"a\":1}", out, sizeof out), 19);
    EXPECT_STREQ(out, "old");
}

TEST_F(StartTest, CallDotPostsJsonAndWritesTheRawReply) {
    EchoServer server("{\"ok\":1}");
    Register("dot", server.port(), "");
    // The reply buffer receives the whole answer, headers included, first.
    char out[4096] = "old";
    EXPECT_EQ(ZEL_CallDot(nullptr, "dot", "{\"q\":2}", out, sizeof out), 1);
    EXPECT_STREQ(out, "{\"ok\":1}");
    EXPECT_EQ(ZEL_CallDot(nullptr, "unknown", "{}", out, sizeof out), 0);
    EXPECT_STREQ(out, "");
}

}  // namespace
}  // namespace zel
