// A stand-in for the corpus-query and index-building services on 127.0.0.1:
// answers each GET path with a text the test sets and records every request
// (path and decoded arguments).
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

struct MHD_Daemon;

namespace zeltest {

struct StubRequest {
    std::string path;
    std::map<std::string, std::string> args;
};

class StubService {
public:
    StubService();
    ~StubService();
    StubService(const StubService&) = delete;
    StubService& operator=(const StubService&) = delete;

    bool running() const { return daemon_ != nullptr; }
    int port() const { return port_; }
    // "http://127.0.0.1:<port>"
    std::string base() const;

    // The body answered for a path ("/OpenQuery"); a GetRet request takes
    // the entry "/GetRet/<No>". Unknown paths answer 404.
    void Answer(const std::string& path, const std::string& body);
    // Answers this path with a chunked body (size unknown in advance).
    void AnswerChunked(const std::string& path, const std::string& body);
    std::vector<StubRequest> requests();

    // Records the request; the answer for it in body (false: none).
    bool Lookup(const StubRequest& request, std::string& body, bool& chunked);

private:

    MHD_Daemon* daemon_ = nullptr;
    int port_ = 0;
    std::mutex mutex_;
    std::map<std::string, std::string> answers_;
    std::map<std::string, bool> chunked_;
    std::vector<StubRequest> requests_;
};

}  // namespace zeltest
