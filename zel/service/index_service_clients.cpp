// Clients of the index-building services that run beside the library on
// this machine, found by name in the service registry.
#include <cstdio>
#include <string>

#include "zel/service/remote_reply.h"
#include "zel/service/service_registry.h"
#include "zel/service/url_escape.h"
#include "zellib.h"

namespace zel {
namespace {

// GETs http://127.0.0.1:<port of service>/<path>?input=<input>; the reply
// goes to out.
bool AskIndexService(const char* service, const char* path, const char* input, char* out, bool printAddress) {
    if (out) out[0] = '\0';
    const CServer* server = service ? FindServer(service) : nullptr;
    if (!server) return false;
    const std::string url = "http://127.0.0.1:" + std::to_string(server->port) + "/" + path +
                            "?input=" + UrlEscape(input ? input : "");
    if (printAddress) std::printf("%s\n", url.c_str());
    std::string reply;
    if (!FetchRemoteReply(url, reply)) return false;
    CopyRemoteReply(reply, out);
    return true;
}

}  // namespace
}  // namespace zel

bool IdxRule_Server(char* service, char* input, char* out) {
    return zel::AskIndexService(service, "idxrule", input, out, true);
}

bool IdxDict_Server(char* service, char* input, char* out) {
    return zel::AskIndexService(service, "idxdict", input, out, false);
}
