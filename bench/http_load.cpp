// Load client for the HTTP service: CLIENTS threads post BODY to PATH on
// 127.0.0.1:PORT one request after another (a new connection each) for
// SECONDS, then the throughput and the latency percentiles are printed.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Status of one request, 0 when it failed; every request ends within 30 s.
int Request(int port, const std::string& request) {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    if (s < 0) return 0;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string received;
    if (::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::send(s, request.data(), request.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(request.size())) {
        char buffer[65536];
        pollfd wanted{s, POLLIN, 0};
        while (::poll(&wanted, 1, 30000) > 0) {
            const ssize_t n = ::recv(s, buffer, sizeof buffer, 0);
            if (n <= 0) break;
            received.append(buffer, static_cast<size_t>(n));
        }
    }
    ::close(s);
    return received.compare(0, 9, "HTTP/1.1 ") == 0 ? std::atoi(received.c_str() + 9) : 0;
}

double Percentile(const std::vector<double>& sorted, double p) {
    if (sorted.empty()) return 0;
    const size_t index = std::min(sorted.size() - 1, static_cast<size_t>(p * static_cast<double>(sorted.size())));
    return sorted[index];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: %s PORT PATH BODY CLIENTS SECONDS\n", argv[0]);
        return 2;
    }
    const int port = std::atoi(argv[1]);
    const std::string body = argv[3];
    const int clients = std::max(1, std::atoi(argv[4]));
    const double seconds = std::max(0.1, std::atof(argv[5]));
    const std::string request = std::string("POST ") + argv[2] +
                                " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\nContent-Length: " +
                                std::to_string(body.size()) + "\r\n\r\n" + body;

    std::mutex mutex;
    std::vector<double> latencies;  // ms, answered with 200
    std::atomic<long> busy{0}, failed{0};
    const auto start = Clock::now();
    const auto end = start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    std::vector<std::thread> threads;
    for (int i = 0; i < clients; ++i) {
        threads.emplace_back([&] {
            std::vector<double> mine;
            while (Clock::now() < end) {
                const auto begin = Clock::now();
                const int status = Request(port, request);
                const double ms = std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
                if (status == 200) {
                    mine.push_back(ms);
                } else if (status == 503) {
                    ++busy;
                } else {
                    ++failed;
                }
            }
            std::lock_guard<std::mutex> lock(mutex);
            latencies.insert(latencies.end(), mine.begin(), mine.end());
        });
    }
    for (std::thread& thread : threads) thread.join();
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    std::sort(latencies.begin(), latencies.end());
    std::printf("  %3d client(s): %8.1f answers/s  p50 %8.2f ms  p99 %8.2f ms  (%zu answered, %ld busy, %ld failed)\n",
                clients, static_cast<double>(latencies.size()) / elapsed, Percentile(latencies, 0.50),
                Percentile(latencies, 0.99), latencies.size(), busy.load(), failed.load());
    return 0;
}
