#include "http_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <random>
#include <cstdlib>
#include <stdexcept>

namespace qztest {

namespace {

sockaddr_in Loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

HttpAnswer Parse(const std::string& received) {
    HttpAnswer answer;
    const size_t headEnd = received.find("\r\n\r\n");
    if (received.compare(0, 5, "HTTP/") != 0 || headEnd == std::string::npos) return answer;
    answer.replied = true;
    answer.status = std::atoi(received.c_str() + received.find(' ') + 1);
    answer.headers = received.substr(0, headEnd);
    answer.body = received.substr(headEnd + 4);
    return answer;
}

}  // namespace

HttpCall::HttpCall(int port, const std::string& method, const std::string& target, const std::string& body)
    : HttpCall(port, RawRequest{method + " " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n" +
                                (method == "POST" ? "Content-Length: " + std::to_string(body.size()) + "\r\n" : "") +
                                "\r\n" + body}) {}

HttpCall::HttpCall(int port, const RawRequest& request) {
    socket_ = ::socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in address = Loopback(port);
    if (socket_ < 0 || ::connect(socket_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        Abandon();
        throw std::runtime_error("cannot connect to the test server");
    }
    try {
        Send(request.text);
    } catch (...) {
        Abandon();
        throw;
    }
}

void HttpCall::Send(const std::string& request) {
    for (size_t sent = 0; sent < request.size();) {
        const ssize_t n = ::send(socket_, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) throw std::runtime_error("cannot send to the test server");
        sent += static_cast<size_t>(n);
    }
}

HttpCall::~HttpCall() { Abandon(); }

void HttpCall::Abandon() {
    if (socket_ >= 0) ::close(socket_);
    socket_ = -1;
}

HttpAnswer HttpCall::Wait(int timeoutMs) {
    std::string received;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    char buffer[65536];
    while (socket_ >= 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline -
                                                                                std::chrono::steady_clock::now());
        pollfd wanted{socket_, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&wanted, 1, static_cast<int>(left.count())) <= 0) return {};
        const ssize_t n = ::recv(socket_, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        received.append(buffer, static_cast<size_t>(n));
    }
    Abandon();
    return Parse(received);
}

HttpAnswer HttpGet(int port, const std::string& target) { return HttpCall(port, "GET", target).Wait(); }

HttpAnswer HttpPost(int port, const std::string& target, const std::string& body) {
    return HttpCall(port, "POST", target, body).Wait();
}

namespace {

// The lowest port the kernel hands out to outgoing connections.
int EphemeralLow() {
    std::ifstream range("/proc/sys/net/ipv4/ip_local_port_range");
    int low = 32768;
    range >> low;
    return low;
}

}  // namespace

int FreePort() {
    // A port below the ephemeral range: tests that open thousands of client
    // connections at once cannot take it between this probe and the
    // server's bind, as they could take any port the kernel picks.
    static std::mt19937 random(std::random_device{}());
    const int low = std::max(EphemeralLow(), 2048);
    std::uniform_int_distribution<int> pick(1024, low - 1);
    for (int attempt = 0; attempt < 200; ++attempt) {
        const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
        if (probe < 0) break;
        sockaddr_in address = Loopback(pick(random));
        const bool bound = ::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        ::close(probe);
        if (bound) return ntohs(address.sin_port);
    }
    throw std::runtime_error("no free port");
}

}  // namespace qztest
