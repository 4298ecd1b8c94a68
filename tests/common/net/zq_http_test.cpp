#include "common/net/zq_http.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <microhttpd.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <mutex>
#include <string>

namespace {

// A local server: GET /size/N answers N bytes of "b"; POST echoes the body.
// It records the last request's method, version and content type.
class TestServer {
public:
    TestServer() {
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        daemon_ = MHD_start_daemon(MHD_USE_INTERNAL_POLLING_THREAD, 0, nullptr, nullptr, &TestServer::Handle, this,
                                   MHD_OPTION_SOCK_ADDR, &addr, MHD_OPTION_END);
        if (daemon_) port_ = MHD_get_daemon_info(daemon_, MHD_DAEMON_INFO_BIND_PORT)->port;
    }
    ~TestServer() {
        if (daemon_) MHD_stop_daemon(daemon_);
    }
    std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }
    bool running() const { return daemon_ != nullptr; }

    std::string method, version, content_type;

private:
    static MHD_Result Handle(void* self, MHD_Connection* connection, const char* url, const char* method,
                             const char* version, const char* upload, size_t* upload_size, void** state) {
        auto* server = static_cast<TestServer*>(self);
        if (!*state) {
            *state = new std::string;
            return MHD_YES;
        }
        auto* body = static_cast<std::string*>(*state);
        if (*upload_size) {
            body->append(upload, *upload_size);
            *upload_size = 0;
            return MHD_YES;
        }
        std::string answer;
        if (std::strncmp(url, "/size/", 6) == 0)
            answer.assign(std::stoul(url + 6), 'b');
        else
            answer = *body;
        delete body;
        *state = nullptr;
        {
            std::lock_guard<std::mutex> lock(server->mutex_);
            server->method = method;
            server->version = version;
            const char* type = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, "Content-Type");
            server->content_type = type ? type : "";
        }
        MHD_Response* response =
            MHD_create_response_from_buffer(answer.size(), answer.data(), MHD_RESPMEM_MUST_COPY);
        MHD_Result r = MHD_queue_response(connection, MHD_HTTP_OK, response);
        MHD_destroy_response(response);
        return r;
    }

    MHD_Daemon* daemon_ = nullptr;
    unsigned short port_ = 0;
    std::mutex mutex_;
};

// A port on 127.0.0.1 that nobody listens on.
int UnusedPort() {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    socklen_t len = sizeof addr;
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    close(fd);
    return ntohs(addr.sin_port);
}

class HttpClient : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server_.running());
        std::memset(out_, 'X', sizeof out_);
    }
    bool OutputUntouched() const {
        for (char c : out_)
            if (c != 'X') return false;
        return true;
    }

    TestServer server_;
    char out_[1000];
};

TEST_F(HttpClient, CopiesABodyThatFits) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(zq_http_get(server_.Url("/size/600").c_str(), out_, sizeof out_), 600);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), std::string(600, 'b'));
    EXPECT_EQ(std::string(out_, 601), std::string(600, 'b') + "X");  // no terminator added
    EXPECT_EQ(server_.method, "GET");
    EXPECT_EQ(server_.version, "HTTP/1.0");
    EXPECT_EQ(server_.content_type, "application/json");

    EXPECT_EQ(zq_http_get(server_.Url("/size/0").c_str(), out_, sizeof out_), 0);
}

TEST_F(HttpClient, PostsTheBody) {
    const std::string body = R"({"q":"x"})";
    testing::internal::CaptureStdout();
    EXPECT_EQ(zq_http_post(server_.Url("/echo").c_str(), body.c_str(), out_, sizeof out_),
              static_cast<int>(body.size()));
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(std::string(out_, body.size()), body);
    EXPECT_EQ(server_.method, "POST");
    EXPECT_EQ(server_.content_type, "application/json");
}

TEST_F(HttpClient, ReportsTheLengthOfABodyThatDoesNotFit) {
    const std::string body(2000, 'p');
    testing::internal::CaptureStdout();
    EXPECT_EQ(zq_http_post(server_.Url("/echo").c_str(), body.c_str(), out_, sizeof out_), 2000);
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(OutputUntouched());
}

TEST_F(HttpClient, FailsWithoutTouchingTheOutput) {
    const auto start = std::chrono::steady_clock::now();
    const std::string unreachable = "http://127.0.0.1:" + std::to_string(UnusedPort()) + "/";
    EXPECT_EQ(http_cli_connect(unreachable.c_str(), nullptr, out_, sizeof out_, 5000), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));

    // Only plain http is spoken.
    std::string tls = server_.Url("/size/10");
    tls.replace(0, 4, "https");
    EXPECT_EQ(zq_http_get(tls.c_str(), out_, sizeof out_), 0);
    EXPECT_TRUE(OutputUntouched());
}

TEST_F(HttpClient, ASilentServerDoesNotHoldTheCallerForever) {
    // Accepts connections (through the backlog) and never answers.
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(listen(fd, 4), 0);
    socklen_t len = sizeof addr;
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    const std::string url = "http://127.0.0.1:" + std::to_string(ntohs(addr.sin_port)) + "/";

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(qz::HttpExchange(url.c_str(), nullptr, out_, sizeof out_, 1000, 300), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    EXPECT_TRUE(OutputUntouched());
    close(fd);
}

TEST(ZqGethostbyname, ResolvesLocalNames) {
    char buf[64];
    EXPECT_STREQ(zq_gethostbyname("127.0.0.1", buf, sizeof buf), "127.0.0.1");
    EXPECT_STREQ(zq_gethostbyname("::1", buf, sizeof buf), "::1");
    testing::internal::CaptureStdout();
    EXPECT_EQ(zq_gethostbyname("no-such-host.invalid", buf, sizeof buf), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "gethostbyname error for host:no-such-host.invalid\n");
}

}  // namespace
