#include "zel/service/service_registry.h"

#include <vector>

#include "zel/service/http_client.h"

namespace zel {

std::map<std::string, CServer> g_Server;

const CServer* FindServer(const std::string& name) {
    auto found = g_Server.find(name);
    return found == g_Server.end() ? nullptr : &found->second;
}

bool PostToServer(const CServer& server, const char* body, std::string& reply) {
    std::vector<char> out(kServiceReplySize, '\0');
    if (zq_http_post(server.ip.c_str(), server.path.c_str(), server.port, server.header.c_str(), body, out.data(),
                     kServiceReplySize) != 1)
        return false;
    reply = out.data();
    return true;
}

}  // namespace zel
