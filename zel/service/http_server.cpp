#include "zel/service/http_server.h"

#include <arpa/inet.h>
#include <microhttpd.h>
#include <netinet/in.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>

#include "zel/service/http_routes.h"
#include "zel/service/server_start.h"
#include "zel/service/start_state.h"

namespace zel {

namespace {

constexpr char kJsonType[] = "application/json";

// The posted bytes of one connection, gathered over the handler's calls.
struct PostedBody {
    std::string bytes;
    bool tooLarge = false;
};

MHD_Result Reply(MHD_Connection* connection, unsigned status, const std::string& body,
                 const char* type = kJsonType) {
    MHD_Response* response =
        MHD_create_response_from_buffer(body.size(), const_cast<char*>(body.data()), MHD_RESPMEM_MUST_COPY);
    if (!response) return MHD_NO;
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, type);
    const MHD_Result queued = MHD_queue_response(connection, status, response);
    MHD_destroy_response(response);
    return queued;
}

MHD_Result HandleRequest(void*, MHD_Connection* connection, const char* url, const char*, const char*,
                         const char* data, size_t* size, void** state) {
    auto* body = static_cast<PostedBody*>(*state);
    if (!body) {
        *state = new PostedBody;
        return MHD_YES;
    }
    if (*size > 0) {
        if (body->bytes.size() + *size > MaxRequestBody(url))
            body->tooLarge = true;
        else if (!body->tooLarge)
            body->bytes.append(data, *size);
        *size = 0;
        return MHD_YES;
    }
    if (body->tooLarge) return Reply(connection, MHD_HTTP_CONTENT_TOO_LARGE, "");
    std::string answer;
    int status = MHD_HTTP_OK;
    // No exception may cross into the server library's C code.
    try {
        AnswerRoute(url, body->bytes, answer, status);
    } catch (const std::exception& error) {
        std::printf("request %s failed: %s\n", url, error.what());
        status = MHD_HTTP_INTERNAL_SERVER_ERROR;
        answer = "{\"error\":\"internal error\"}\n";
    }
    // Example output is converted to UTF-8 and says so.
    const bool example = std::strcmp(url, "/runexample") == 0;
    return Reply(connection, static_cast<unsigned>(status), answer,
                 example ? "application/json; charset=UTF-8" : kJsonType);
}

void RequestDone(void*, MHD_Connection*, void** state, MHD_RequestTerminationCode) {
    delete static_cast<PostedBody*>(*state);
    *state = nullptr;
}

}  // namespace

ZelHttpServer::~ZelHttpServer() { Stop(); }

bool ZelHttpServer::Start(uint16_t port, const std::string& address) {
    Stop();
    sockaddr_in bind{};
    bind.sin_family = AF_INET;
    bind.sin_port = htons(port);
    bind.sin_addr.s_addr = htonl(INADDR_ANY);
    if (!address.empty() && inet_pton(AF_INET, address.c_str(), &bind.sin_addr) != 1) return false;
    // One polling thread answers every request in turn: one request at a time.
    daemon_ = MHD_start_daemon(MHD_USE_INTERNAL_POLLING_THREAD, port, nullptr, nullptr, HandleRequest, nullptr,
                               MHD_OPTION_SOCK_ADDR, &bind, MHD_OPTION_NOTIFY_COMPLETED, RequestDone, nullptr,
                               MHD_OPTION_END);
    return daemon_ != nullptr;
}

void ZelHttpServer::Stop() {
    if (daemon_) MHD_stop_daemon(daemon_);
    daemon_ = nullptr;
}

uint16_t ZelHttpServer::Port() const {
    if (!daemon_) return 0;
    const MHD_DaemonInfo* info = MHD_get_daemon_info(daemon_, MHD_DAEMON_INFO_BIND_PORT);
    return info ? info->port : 0;
}

void JParser_Http(const char* port, const char* folder, const char* config) {
    if (folder && chdir(folder) != 0) std::printf("can not enter %s\n", folder);
    g_szPort = port ? port : "";
    std::printf("ZEL Engine");
    ResetQueryClientSlots();
    // A server whose engine does not start still answers the routes that
    // need none.
    if (config && !InitServer(config)) std::printf("start Failed!");
    ZelHttpServer server;
    const int number = port ? std::atoi(port) : 0;
    if (!server.Start(static_cast<uint16_t>(number), "")) return;
    std::printf("listening port:%d ...\n", number);
    std::fflush(stdout);
    for (;;) pause();
}

}  // namespace zel
