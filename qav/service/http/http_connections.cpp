#include "qav/service/http/http_connections.h"

#include <microhttpd.h>
#include <strings.h>
#include <sys/socket.h>

#include <cerrno>
#include <chrono>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <unordered_map>
#include <vector>

#include "qav/index/base/qav_log.h"
#include "qav/service/http/http_jobs.h"
#include "qav/service/http/http_routes.h"

namespace qav {

namespace {

// Passes that shutting down gives resumed requests to be closed.
constexpr int kClosePasses = 100;
// Connections: at most this many in all and from one address, and a
// connection idle (or stuck in a partial request) this long is closed. A
// request waiting for its answer does not time out.
constexpr unsigned kMaxConnections = 1024;
constexpr unsigned kMaxConnectionsPerAddress = 128;
constexpr unsigned kIdleTimeoutSeconds = 5;
// A body past the limit is read on, without keeping it, up to this many
// bytes so that its sender can still read the 413; past that the
// connection is closed.
constexpr size_t kMaxDiscardedBytes = 16 * kMaxBodyBytes;

// One request on a connection, from its first bytes until it is completed.
struct Request {
    enum State {
        kReceiving,  // body arriving
        kWaiting,    // suspended until its job's answer is ready
        kAnswered,   // resumed with its reply
        kClosing,    // resumed to be closed without a reply
        kRefused,    // refused from its head; what follows is ignored
    };
    uint64_t id = 0;
    MHD_Connection* connection = nullptr;
    State state = kReceiving;
    std::string body;
    size_t discarded = 0;  // bytes of a body past the limit, not kept
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
    if (!reply.allow.empty()) MHD_add_response_header(response, MHD_HTTP_HEADER_ALLOW, reply.allow.c_str());
    const MHD_Result queued = MHD_queue_response(connection, reply.status, response);
    MHD_destroy_response(response);
    return queued;
}

// Routes a request whose body is complete.
MHD_Result Complete(MHD_Connection* connection, const char* url, Request& request) {
    const QueryVariable variable = [connection](const char* name) {
        return MHD_lookup_connection_value(connection, MHD_GET_ARGUMENT_KIND, name);
    };
    if (request.discarded > 0) return Send(connection, BodyTooLargeReply());
    RouteOutcome outcome = RouteRequest(url ? url : "", request.body, variable, request.id);
    if (outcome.kind == RouteOutcome::kReply) return Send(connection, outcome.reply);
    request.state = Request::kWaiting;
    g_waiting[request.id] = &request;
    MHD_suspend_connection(connection);
    return MHD_YES;
}

MHD_Result CountContentLength(void* counts, MHD_ValueKind, const char* key, const char*) {
    if (key && strcasecmp(key, MHD_HTTP_HEADER_CONTENT_LENGTH) == 0) ++*static_cast<int*>(counts);
    return MHD_YES;
}

// The refusal of a request whose head already shows it cannot be served;
// sent before any body is read.
bool RefuseHead(MHD_Connection* connection, const char* url, const char* method, HttpReply& refusal) {
    int contentLengths = 0;
    MHD_get_connection_values(connection, MHD_HEADER_KIND, &CountContentLength, &contentLengths);
    unsigned long long contentLength = 0;
    if (const char* value = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_CONTENT_LENGTH))
        contentLength = std::strtoull(value, nullptr, 10);
    return RefuseRequestHead(url ? url : "", method ? method : "", contentLengths, contentLength, refusal);
}

// Keeps a piece of the body, or counts it as discarded once the body is too
// long. False when so much was discarded that the connection is dropped.
bool TakeBody(Request& request, const char* data, size_t size) {
    if (request.discarded == 0 && request.body.size() + size <= kMaxBodyBytes) {
        request.body.append(data, size);
        return true;
    }
    request.discarded += size;
    request.body.clear();
    request.body.shrink_to_fit();
    return request.discarded <= kMaxDiscardedBytes;
}

MHD_Result Handle(MHD_Connection* connection, const char* url, const char* method, const char* uploadData,
                  size_t* uploadSize, void** context) {
    auto* request = static_cast<Request*>(*context);
    if (!request) {
        request = new (std::nothrow) Request;
        if (!request) return MHD_NO;
        request->id = ++g_nextRequestId;
        request->connection = connection;
        *context = request;
        HttpReply refusal;
        if (RefuseHead(connection, url, method, refusal)) {
            request->state = Request::kRefused;
            return Send(connection, refusal);
        }
        return MHD_YES;
    }
    ResumeTaken(*request);
    if (request->state == Request::kAnswered) return Send(connection, request->reply);
    if (request->state == Request::kRefused) {
        *uploadSize = 0;
        return MHD_YES;
    }
    if (request->state != Request::kReceiving) return MHD_NO;
    if (*uploadSize > 0) {
        if (!TakeBody(*request, uploadData, *uploadSize)) return MHD_NO;
        *uploadSize = 0;
        return MHD_YES;
    }
    return Complete(connection, url, *request);
}

// Every call for a request comes here: its start, each piece of body, its
// end, and once more after it was resumed. No exception may reach the
// library; a request that fails here loses its connection.
MHD_Result mg_http_cb(void*, MHD_Connection* connection, const char* url, const char* method, const char*,
                      const char* uploadData, size_t* uploadSize, void** context) {
    try {
        return Handle(connection, url, method, uploadData, uploadSize, context);
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

// The library logs every connection it refuses; a flood of them must not
// flood the log, so a line that repeats the one before within a second is
// only counted.
void LibraryLog(void*, const char* format, va_list arguments) {
    static std::string last;
    static std::chrono::steady_clock::time_point lastTime;
    static int repeated = 0;
    char line[1024];
    std::vsnprintf(line, sizeof line, format, arguments);
    const auto now = std::chrono::steady_clock::now();
    if (line == last && now - lastTime < std::chrono::seconds(1)) {
        ++repeated;
        return;
    }
    if (repeated > 0) QavLog("(the line before came %d more times)\n", repeated);
    repeated = 0;
    last = line;
    lastTime = now;
    QavLog("%s", line);
}

// Whether the peer of a waiting request has closed its side or the
// connection broke. A suspended connection is not watched by the daemon, so
// this looks at the socket itself without taking anything from it.
bool ClientGone(MHD_Connection* connection) {
    const MHD_ConnectionInfo* info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
    if (!info) return false;
    char byte = 0;
    const ssize_t got = recv(info->connect_fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    if (got == 0) return true;
    return got < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR;
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
                            MHD_OPTION_NOTIFY_COMPLETED, &RequestCompleted, nullptr, MHD_OPTION_CONNECTION_LIMIT,
                            kMaxConnections, MHD_OPTION_PER_IP_CONNECTION_LIMIT, kMaxConnectionsPerAddress,
                            MHD_OPTION_CONNECTION_TIMEOUT, kIdleTimeoutSeconds, MHD_OPTION_END);
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

void DropRequestsOfGoneClients(MHD_Daemon* daemon) {
    std::vector<Request*> gone;
    for (const auto& [id, request] : g_waiting)
        if (ClientGone(request->connection)) gone.push_back(request);
    for (Request* request : gone) {
        CancelJob(request->id);
        Resume(*request, Request::kClosing);
    }
    if (g_resumePending > 0) MHD_run(daemon);
}

void StopHttpDaemon(MHD_Daemon* daemon) {
    // The daemon must not stop with a suspended connection. A body that
    // completes during the closing passes suspends its connection again, so
    // every pass resumes what is waiting, and so does the last step before
    // the stop (which takes back connections resumed but not yet run).
    const auto resumeWaiting = [] {
        while (!g_waiting.empty()) Resume(*g_waiting.begin()->second, Request::kClosing);
    };
    for (int pass = 0; pass < kClosePasses; ++pass) {
        resumeWaiting();
        if (g_resumePending == 0) break;
        MHD_run_wait(daemon, 1);
    }
    resumeWaiting();
    MHD_stop_daemon(daemon);
    g_waiting.clear();
}

}  // namespace qav
