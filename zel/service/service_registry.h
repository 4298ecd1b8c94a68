// Named remote services: HTTP endpoints that the configuration registers by
// name and that rule actions and exported functions post texts to.
#pragma once

#include <map>
#include <string>

namespace zel {

struct CServer {
    std::string ip;  // host name or address
    int port = 80;
    std::string header;  // extra header line(s) of every request
    std::string path;
    std::string category;
    std::string charset;  // "gbk": texts pass unconverted, else UTF-8
};

// Filled at start-up; read without a lock.
extern std::map<std::string, CServer> g_Server;

// Capacity of a service's reply.
constexpr int kServiceReplySize = 512000;

// The registered service of that name; null when there is none.
const CServer* FindServer(const std::string& name);
// Posts body to the service; false when no answer came.
bool PostToServer(const CServer& server, const char* body, std::string& reply);

}  // namespace zel
