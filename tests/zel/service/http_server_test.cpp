#include "zel/service/http_server.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <string>

#include "support/test_support.h"
#include "zel/service/http_routes.h"

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

class HttpServer : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.Start(0, "127.0.0.1")); }
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
    const struct {
        std::string code;
        std::string body;
    } cases[] = {
        {"WebPrint('one') WebPrint('two')", "one\r\ntwo\r\n"},
        {"WebPrint('before') error('stop')", "before\r\n"},  // errors are dropped
        {"this is not Lua", ""},
        {"while true do end", ""},  // stopped by the time bound; the server goes on
    };
    for (const auto& c : cases) {
        const Answer answer = Fetch(server.Port(), "/runlua", &c.code);
        EXPECT_EQ(answer.status, 200) << c.code;
        EXPECT_EQ(answer.body, c.body) << c.code;
    }
    EXPECT_EQ(Fetch(server.Port(), "/isactive").body, "ok");
}

TEST_F(HttpServer, OversizedBodyIsRefused) {
    const std::string big(kMaxRequestBody + 1, ' ');
    EXPECT_EQ(Fetch(server.Port(), "/runlua", &big).status, 413);
    const std::string fits = "WebPrint('x')" + std::string(kMaxRequestBody - 13, ' ');
    EXPECT_EQ(Fetch(server.Port(), "/runlua", &fits).body, "x\r\n");
}

}  // namespace
}  // namespace zel

namespace zel {
namespace {

// The example route runs "./zel" from the working folder; the work folder is
// named by the port and reused.
TEST(HttpExample, AnswersPrintsInUtf8AndReusesWorkFolder) {
    qztest::TempDir dir;
    ASSERT_EQ(symlink(QZ_ZEL_PROGRAM, dir.file("zel").c_str()), 0);
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    g_szPort = "7";
    ZelHttpServer server;
    ASSERT_TRUE(server.Start(0, "127.0.0.1"));
    const std::string example = R"J({"lua":"print('词语')","tab":"","fsa":""})J";
    for (int run = 0; run < 2; ++run) {
        const Answer answer = Fetch(server.Port(), "/runexample", &example);
        EXPECT_EQ(answer.type, "application/json; charset=UTF-8");
        EXPECT_EQ(answer.body, "词语\n");
        EXPECT_EQ(access("work_7/code.lua", F_OK), 0);
        EXPECT_NE(access("work_7/zel.json", F_OK), 0);
    }
    server.Stop();
    ASSERT_EQ(chdir(previous), 0);
}

}  // namespace
}  // namespace zel
