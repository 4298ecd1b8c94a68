#include "qav/service/http/http_connections.h"

#include <microhttpd.h>

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <unordered_map>

#include "qav/index/base/qav_log.h"
#include "qav/service/http/http_jobs.h"
#include "qav/service/http/http_routes.h"

namespace {

// A body beyond this closes the connection.
constexpr size_t kMaxBodyBytes = 3 * 1024 * 1024;
// Passes that shutting down gives resumed requests to be closed.
constexpr int kClosePasses = 100;

// One request on a connection, from its first bytes until it is completed.
struct Request {
    enum State {
        kReceiving,  // body arriving
        kWaiting,    // suspended until its job's answer is ready
        kAnswered,   // resumed with its reply
        kClosing,    // resumed to be closed without a reply
    };
    uint64_t id = 0;
    MHD_Connection* connection = nullptr;
    State state = kReceiving;
    std::string body;
    HttpReply reply;
    bool resumePending = false;  // resumed, not yet taken up by the daemon
};

// Suspended requests by the id their job carries.
std::unordered_map<uint64_t, Request*> g_waiting;
uint64_t g_nextRequestId = 0;
int g_resumePending = 0;

void Resume(Request& request, Request::State state) {
    request.state = state;
    request.resumePending = true;
    ++g_resumePending;
    g_waiting.erase(request.id);
    MHD_resume_connection(request.connection);
}

void ResumeTaken(Request& request) {
    if (!request.resumePending) return;
    request.resumePending = false;
    --g_resumePending;
}

MHD_Result Send(MHD_Connection* connection, const HttpReply& reply) {
    MHD_Response* response = MHD_create_response_from_buffer(
        reply.body.size(), const_cast<char*>(reply.body.data()), MHD_RESPMEM_MUST_COPY);
    if (!response) return MHD_NO;
    if (reply.json) MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, "application/json");
    const MHD_Result queued = MHD_queue_response(connection, reply.status, response);
    MHD_destroy_response(response);
    return queued;
}

// Routes a request whose body is complete.
MHD_Result Complete(MHD_Connection* connection, const char* url, Request& request) {
    const QueryVariable variable = [connection](const char* name) {
        return MHD_lookup_connection_value(connection, MHD_GET_ARGUMENT_KIND, name);
    };
    RouteOutcome outcome = RouteRequest(url ? url : "", request.body, variable, request.id);
    switch (outcome.kind) {
        case RouteOutcome::kReply:
            return Send(connection, outcome.reply);
        case RouteOutcome::kQueued:
            request.state = Request::kWaiting;
            g_waiting[request.id] = &request;
            MHD_suspend_connection(connection);
            return MHD_YES;
        case RouteOutcome::kIgnore:
            break;
    }
    return MHD_NO;
}

MHD_Result Handle(MHD_Connection* connection, const char* url, const char* uploadData, size_t* uploadSize,
                  void** context) {
    auto* request = static_cast<Request*>(*context);
    if (!request) {
        request = new (std::nothrow) Request;
        if (!request) return MHD_NO;
        request->id = ++g_nextRequestId;
        request->connection = connection;
        *context = request;
        return MHD_YES;
    }
    ResumeTaken(*request);
    if (request->state == Request::kAnswered) return Send(connection, request->reply);
    if (request->state != Request::kReceiving) return MHD_NO;
    if (*uploadSize > 0) {
        if (request->body.size() + *uploadSize > kMaxBodyBytes) return MHD_NO;
        request->body.append(uploadData, *uploadSize);
        *uploadSize = 0;
        return MHD_YES;
    }
    return Complete(connection, url, *request);
}

// Every call for a request comes here: its start, each piece of body, its
// end, and once more after it was resumed. No exception may reach the
// library; a request that fails here loses its connection.
MHD_Result mg_http_cb(void*, MHD_Connection* connection, const char* url, const char*, const char*,
                      const char* uploadData, size_t* uploadSize, void** context) {
    try {
        return Handle(connection, url, uploadData, uploadSize, context);
    } catch (const std::exception& e) {
        QavLog("[mg_http_cb] C++ exception: %s\n", e.what());
    } catch (...) {
        QavLog("[mg_http_cb] unknown exception\n");
    }
    std::fflush(stdout);
    return MHD_NO;
}

void RequestCompleted(void*, MHD_Connection*, void** context, MHD_RequestTerminationCode) {
    auto* request = static_cast<Request*>(*context);
    if (!request) return;
    ResumeTaken(*request);
    g_waiting.erase(request->id);
    delete request;
    *context = nullptr;
}

void LibraryLog(void*, const char* format, va_list arguments) {
    char line[1024];
    std::vsnprintf(line, sizeof line, format, arguments);
    QavLog("%s", line);
}

bool ParsePort(const char* text, uint16_t& port) {
    if (!text || !*text || std::strlen(text) > 5) return false;
    unsigned value = 0;
    for (const char* c = text; *c; ++c) {
        if (*c < '0' || *c > '9') return false;
        value = value * 10 + static_cast<unsigned>(*c - '0');
    }
    if (value > 65535) return false;
    port = static_cast<uint16_t>(value);
    return true;
}

}  // namespace

MHD_Daemon* StartHttpDaemon(const char* port) {
    uint16_t number = 0;
    if (!ParsePort(port, number)) return nullptr;
    g_waiting.clear();
    g_resumePending = 0;
    return MHD_start_daemon(MHD_USE_ERROR_LOG | MHD_USE_EPOLL | MHD_ALLOW_SUSPEND_RESUME, number, nullptr,
                            nullptr, &mg_http_cb, nullptr, MHD_OPTION_EXTERNAL_LOGGER, &LibraryLog, nullptr,
                            MHD_OPTION_NOTIFY_COMPLETED, &RequestCompleted, nullptr, MHD_OPTION_END);
}

void PollHttpDaemon(MHD_Daemon* daemon, unsigned timeoutMs) {
    MHD_run_wait(daemon, static_cast<int32_t>(timeoutMs));
}

void SendFinishedAnswers(MHD_Daemon* daemon) {
    try {
        for (const std::unique_ptr<QueryJob>& job : TakeFinishedJobs()) {
            const auto found = g_waiting.find(job->connectionId);
            if (found == g_waiting.end()) continue;
            Request& request = *found->second;
            try {
                request.reply = WrappedReply(job->result);
                Resume(request, Request::kAnswered);
            } catch (const std::exception&) {
                QavLog("[FlushResponses] exception sending response for conn %lu\n",
                       static_cast<unsigned long>(job->connectionId));
                std::fflush(stdout);
                Resume(request, Request::kClosing);
            }
        }
    } catch (const std::exception& e) {
        QavLog("[FlushResponses] exception: %s\n", e.what());
        std::fflush(stdout);
    } catch (...) {
        QavLog("[FlushResponses] unknown exception\n");
        std::fflush(stdout);
    }
    // Resumed requests are answered now rather than at the next poll.
    if (g_resumePending > 0) MHD_run(daemon);
}

void StopHttpDaemon(MHD_Daemon* daemon) {
    while (!g_waiting.empty()) Resume(*g_waiting.begin()->second, Request::kClosing);
    // The daemon must take every suspended connection back before it stops.
    for (int pass = 0; pass < kClosePasses && g_resumePending > 0; ++pass) MHD_run_wait(daemon, 1);
    MHD_stop_daemon(daemon);
    g_waiting.clear();
}
