// Exported calls of the named services of the configuration file.
#include <cstdio>
#include <cstring>
#include <string>

#include "include/zellib.h"
#include "zel/service/answer_rules.h"
#include "zel/service/http_client.h"
#include "zel/service/service_registry.h"

namespace {

const zel::CServer* FindService(const char* name) { return name ? zel::FindServer(name) : nullptr; }

// Marks a JSON object reply with the service that gave it; an empty object
// gets "ST" as its only member.
void AddServiceName(std::string& reply, const char* name) {
    while (!reply.empty() && std::strchr(" \t\r\n", reply.back())) reply.pop_back();
    if (reply.empty() || reply.back() != '}') return;
    reply.pop_back();
    size_t last = reply.find_last_not_of(" \t\r\n");
    const bool emptyObject = last != std::string::npos && reply[last] == '{';
    reply += std::string(emptyObject ? "" : ",") + "\"ST\":\"" + name + "\"}";
}

}  // namespace

extern "C" {

int ZEL_CallService(void*, const char* service, const char* text, char* out, int size) {
    const zel::CServer* server = FindService(service);
    if (!server) return zel::AnswerEmpty(out, size);
    const bool gbk = server->charset == "gbk";
    const std::string body = gbk ? zel::ToGbk(text) : std::string(text ? text : "");
    std::string answer;
    zel::PostToServer(*server, body.c_str(), answer);
    AddServiceName(answer, service);
    if (gbk) answer = zel::ToUtf8(answer);
    if (answer.empty()) return zel::AnswerEmpty(out, size);
    return zel::AnswerText(answer, out, size);
}

int ZEL_CallDot(void*, const char* service, const char* body, char* out, int size) {
    if (out && size > 0) *out = '\0';
    const zel::CServer* server = FindService(service);
    if (!server || !out || size <= 0) return 0;
    return zel::zq_http_post(server->ip.c_str(), server->path.c_str(), server->port, "Content-Type:application/json",
                             body ? body : "", out, size);
}

int ZEL_GetServiceURL(const char* service, char* out) {
    if (!out) return 0;
    *out = '\0';
    const zel::CServer* server = FindService(service);
    if (!server) return 0;
    if (server->port != 0)
        return std::snprintf(out, ZEL_URL_BYTES, "http://%s:%d/%s", server->ip.c_str(), server->port,
                             server->path.c_str());
    return std::snprintf(out, ZEL_URL_BYTES, "http://%s/%s", server->ip.c_str(), server->path.c_str());
}

}  // extern "C"
