#include <gtest/gtest.h>

#include "support/test_support.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <thread>

#include "tests/zel/service/lua/action_fixture.h"
#include "zel/service/service_registry.h"

namespace zel {
namespace {

// Answers each of a bounded number of requests on 127.0.0.1 with the
// request's body, optionally followed by a line break; gives up on a
// connection that sends nothing for two seconds.
class EchoService {
public:
    explicit EchoService(int requests) {
        listener_ = qztest::ListenOnLoopback(4, port_);
        timeval timeout{2, 0};
        setsockopt(listener_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        thread_ = std::thread([this, requests] {
            for (int i = 0; i < requests; ++i) ServeOne();
        });
    }
    ~EchoService() {
        thread_.join();
        close(listener_);
    }
    int port() const { return port_; }

private:
    void ServeOne() {
        const int connection = accept(listener_, nullptr, nullptr);
        if (connection < 0) return;
        timeval timeout{2, 0};
        setsockopt(connection, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        std::string request;
        char chunk[4096];
        size_t blank = std::string::npos, length = 0;
        while (blank == std::string::npos || request.size() < blank + 4 + length) {
            const ssize_t n = recv(connection, chunk, sizeof chunk, 0);
            if (n <= 0) break;
            request.append(chunk, static_cast<size_t>(n));
            blank = request.find("\r\n\r\n");
            const size_t at = request.find("Content-Length: ");
            if (at != std::string::npos) length = std::stoul(request.substr(at + 16));
        }
        const std::string body = blank == std::string::npos ? "" : request.substr(blank + 4) + "\n";
        const std::string reply =
            "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
        send(connection, reply.data(), reply.size(), MSG_NOSIGNAL);
        close(connection);
    }

    int listener_ = -1;
    int port_ = 0;
    std::thread thread_;
};

using Services = ActionTest;

TEST_F(Services, RepliesComeBackMarkedWithTheServiceName) {
    EchoService echo(5);
    CServer server;
    server.ip = "127.0.0.1";
    server.port = echo.port();
    server.path = "echo";
    server.header = "Content-Type: application/json";
    server.charset = "gbk";
    g_Server["echo"] = server;
    server.charset = "utf-8";
    g_Server["echo8"] = server;

    EXPECT_EQ(Eval("CallService('{\"a\":\"苹果\"}', 'echo')"), "{\"a\":\"苹果\",\"ST\":\"echo\"}");
    EXPECT_EQ(Eval("Service('{}', 'echo')"), "{\"ST\":\"echo\"}");
    EXPECT_EQ(Eval("CallService('苹果', 'echo')"), "苹果");
    // Another charset travels as UTF-8 and comes back as GBK.
    EXPECT_EQ(Eval("CallService('{\"a\":\"苹果\"}', 'echo8')"), "{\"a\":\"苹果\",\"ST\":\"echo8\"}");
    // A reply fed into the lattice as its sentence.
    EXPECT_EQ(Eval("SetText('我们喜欢苹果', 'echo')"), "true");
    EXPECT_EQ(Eval("GetText(0, -1)"), "我们喜欢苹果");

    EXPECT_EQ(Eval("CallService('x', 'missing')"), "");
    EXPECT_EQ(Printed("assert(CallService('x') == '')"), "Service Param Error\n");
    g_Server.clear();
}

}  // namespace
}  // namespace zel
