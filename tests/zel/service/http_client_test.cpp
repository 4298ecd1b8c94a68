#include "zel/service/http_client.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>

namespace zel {
namespace {

// A one-connection server on 127.0.0.1 with a free port: records the request
// (headers and as much body as its Content-Length says) and answers with a
// canned reply, or stays silent until the client gives up.
class CannedServer {
public:
    explicit CannedServer(std::string reply, bool silent = false) : reply_(std::move(reply)), silent_(silent) {
        listener_ = qztest::ListenOnLoopback(1, port_);
        thread_ = std::thread([this] { Serve(); });
    }
    ~CannedServer() {
        if (thread_.joinable()) thread_.join();
        close(listener_);
    }
    int port() const { return port_; }
    // Valid once the client call has returned.
    const std::string& request() {
        if (thread_.joinable()) thread_.join();
        return request_;
    }

private:
    void Serve() {
        int connection = accept(listener_, nullptr, nullptr);
        if (connection < 0) return;
        char chunk[4096];
        while (!RequestComplete()) {
            ssize_t n = recv(connection, chunk, sizeof chunk, 0);
            if (n <= 0) break;
            request_.append(chunk, static_cast<size_t>(n));
        }
        if (silent_) {
            // Wait for the client to time out and close.
            while (recv(connection, chunk, sizeof chunk, 0) > 0) {
            }
        } else {
            send(connection, reply_.data(), reply_.size(), MSG_NOSIGNAL);
        }
        close(connection);
    }
    bool RequestComplete() const {
        size_t blank = request_.find("\r\n\r\n");
        if (blank == std::string::npos) return false;
        size_t at = request_.find("Content-Length: ");
        size_t length = at == std::string::npos ? 0 : std::stoul(request_.substr(at + 16));
        return request_.size() >= blank + 4 + length;
    }

    std::string reply_;
    bool silent_;
    int listener_ = -1;
    int port_ = 0;
    std::string request_;
    std::thread thread_;
};

TEST(GrammarHttpClient, PostSendsTheExactRequestBytes) {
    CannedServer server("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello");
    char out[64];
    ASSERT_EQ(zq_http_post("localhost", "zel/run", server.port(), "Content-Type: text/plain", "abc", out, sizeof out),
              1);
    EXPECT_STREQ(out, "hello");
    EXPECT_EQ(server.request(), "POST /zel/run HTTP/1.1\r\nHOST: 127.0.0.1:" + std::to_string(server.port()) +
                                    "\r\nAccept: */*\r\nContent-Type: text/plain\r\nContent-Length: 3\r\n\r\nabc");
}

TEST(GrammarHttpClient, GetReadsEachKindOfBody) {
    struct Case {
        const char* name;
        std::string reply;
        const char* body;
        int result;
    };
    const Case cases[] = {
        {"length", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello", "hello", 0},
        {"length beyond the body", "HTTP/1.1 200 OK\r\nContent-Length: 50\r\n\r\nhello", "hello", 0},
        {"chunked", "HTTP/1.1 200 OK\r\ntransfer-encoding: Chunked\r\n\r\n5\r\nhello\r\n6\r\n world\r\n0\r\n\r\n",
         "hello world", 0},
        {"word chunk in the body", "HTTP/1.1 200 OK\r\nContent-Length: 11\r\n\r\nchunkid=42\n", "chunkid=42\n", 0},
        {"no length", "HTTP/1.1 200 OK\r\nX-Chunk: 1\r\n\r\nchunk 5\r\n", "chunk 5\r\n", 0},
        {"not found", "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n", "", 0},
        {"too long for out", "HTTP/1.1 200 OK\r\nContent-Length: 300\r\n\r\n" + std::string(300, 'x'), "", 0},
        {"chunks too long for out",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nc8\r\n" + std::string(200, 'y') + "\r\n0\r\n\r\n", "",
         0},
    };
    for (const Case& c : cases) {
        CannedServer server(c.reply);
        // The answer is received into a buffer of the same size as out.
        char out[256] = "stale";
        const std::string url = "http://127.0.0.1:" + std::to_string(server.port()) + "/a/b";
        EXPECT_EQ(zq_http_get(url.c_str(), out, sizeof out), c.result) << c.name;
        EXPECT_STREQ(out, c.body) << c.name;
        EXPECT_EQ(server.request(), "GET /a/b HTTP/1.1\r\nHOST: 127.0.0.1:" + std::to_string(server.port()) +
                                        "\r\nAccept: */*\r\n\r\n")
            << c.name;
    }
}

TEST(GrammarHttpClient, SilentServerFailsAfterTheTimeout) {
    int saved = g_nHttpTimeoutMs;
    g_nHttpTimeoutMs = 300;
    CannedServer server("", true);
    char out[32];
    auto start = std::chrono::steady_clock::now();
    const std::string url = "http://127.0.0.1:" + std::to_string(server.port()) + "/x";
    EXPECT_EQ(zq_http_get(url.c_str(), out, sizeof out), -1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    g_nHttpTimeoutMs = saved;
}

TEST(GrammarHttpClient, RefusedAndUnresolvedHostsFail) {
    char out[32];
    EXPECT_EQ(zq_http_get("ftp://h/x", out, sizeof out), -1);
    EXPECT_EQ(zq_http_get(nullptr, out, sizeof out), -1);
    EXPECT_EQ(zq_http_post("host.invalid", "x", 80, "", "", out, sizeof out), 0);
}

TEST(GrammarHttpClient, ParseUrl) {
    struct Case {
        const char* url;
        int result;
        const char* host;
        const char* path;
        int port;
    };
    const Case cases[] = {
        {"http://h/abc", 0, "h", "abc", 80},
        {"http://h:8080/x/y", 0, "h", "x/y", 8080},
        {"http://h", 0, "h", "untouched", 80},
        {"https://h/abc", -1, "", "untouched", 0},
    };
    for (const Case& c : cases) {
        std::string host, path = "untouched";
        int port = 0;
        EXPECT_EQ(http_parse_url(c.url, host, path, &port), c.result) << c.url;
        EXPECT_EQ(host, c.host) << c.url;
        EXPECT_EQ(path, c.path) << c.url;
        EXPECT_EQ(port, c.port) << c.url;
    }
}

}  // namespace
}  // namespace zel
