#include "http_server_fixture.h"

#include <pthread.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <stdexcept>

#include "http_client.h"
#include "include/qavlib.h"
#include "service_fixture.h"

namespace qztest {

const char kEchoParser[] =
    "local f = io.open('loads.txt', 'a') if f then f:write('x') f:close() end\n"
    "function Parser(q, lang, ver) return '--Lua' .. q end\n";

TestHttpServer::TestHttpServer(const std::string& indexDir) {
    // Another test of the same run may still take the chosen port before the
    // server binds it: a server that ends at once is tried on another port.
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (Start(indexDir)) return;
        Stop();
        done_ = false;
    }
    throw std::runtime_error("the test server did not start");
}

bool TestHttpServer::Start(const std::string& indexDir) {
    port_ = FreePort();
    thread_ = std::thread([this, indexDir] {
        result_ = QAV_Http(std::to_string(port_).c_str(), indexDir.c_str());
        done_ = true;
    });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!done_ && std::chrono::steady_clock::now() < deadline) {
        try {
            HttpCall probe(port_, "GET", "/isactive");
            if (probe.Wait().replied) return true;
        } catch (const std::runtime_error&) {
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

TestHttpServer::~TestHttpServer() {
    if (thread_.joinable()) Stop();
}

int TestHttpServer::Stop(int signal) {
    if (!done_) pthread_kill(thread_.native_handle(), signal);
    thread_.join();
    return result_;
}

ParserWorkingDir::ParserWorkingDir(const std::string& script) : previous_(std::filesystem::current_path()) {
    WriteAt(dir_, "utils/Parser.lua", script);
    std::filesystem::current_path(dir_.path());
}

ParserWorkingDir::~ParserWorkingDir() { std::filesystem::current_path(previous_); }

}  // namespace qztest
