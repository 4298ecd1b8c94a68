// The HTTP service run on a thread of the test, and a working directory
// holding a test parser script.
#pragma once

#include <atomic>
#include <csignal>
#include <string>
#include <thread>

#include "support/test_support.h"

namespace qztest {

class TestHttpServer {
public:
    // Runs QAV_Http on a free port over indexDir and waits until it listens.
    explicit TestHttpServer(const std::string& indexDir);
    ~TestHttpServer();
    TestHttpServer(const TestHttpServer&) = delete;
    TestHttpServer& operator=(const TestHttpServer&) = delete;

    int port() const { return port_; }
    // Sends signal (SIGTERM or SIGINT) to the service's thread and returns
    // what QAV_Http returned.
    int Stop(int signal = SIGTERM);

private:
    // Starts the service on a fresh free port; false when it ended or did not
    // answer within 30 s.
    bool Start(const std::string& indexDir);

    int port_ = 0;
    std::atomic<bool> done_{false};
    int result_ = -1;
    std::thread thread_;
};

// A temporary working directory with "utils/Parser.lua" holding script, for
// the object's life.
class ParserWorkingDir {
public:
    explicit ParserWorkingDir(const std::string& script);
    ~ParserWorkingDir();
    ParserWorkingDir(const ParserWorkingDir&) = delete;
    ParserWorkingDir& operator=(const ParserWorkingDir&) = delete;

private:
    TempDir dir_;
    std::string previous_;
};

// A parser that answers every query with "--Lua" and the query itself, and
// adds a byte to "loads.txt" in the working directory each time it is loaded.
extern const char kEchoParser[];

}  // namespace qztest
