#include "qav/service/http/http_routes.h"

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <exception>
#include <memory>

#include "qav/index/base/qav_log.h"
#include "qav/service/http/http_jobs.h"
#include "qav/service/query/json_string.h"
#include "qav/service/http/show_source.h"
#include "qav/service/query/utf8_check.h"

namespace qav {

namespace {

constexpr const char* kVersion = "4.0.260328.0600";

HttpReply Reply(unsigned status, const std::string& body, bool json = true) { return {status, json, body, {}}; }

// The methods each route takes; a null list takes any.
struct RouteMethods {
    const char* uri;
    std::initializer_list<const char*> methods;
};
const RouteMethods kRoutes[] = {
    {"/isactive", {}},
    {"/version", {}},
    {"/showsource", {"GET", "HEAD"}},
    {"/struct", {"POST"}},
    {"/qav", {"POST"}},
};

std::string Joined(std::initializer_list<const char*> methods) {
    std::string list;
    for (const char* method : methods) list += (list.empty() ? "" : ", ") + std::string(method);
    return list;
}

// A query text the query road can take whole: strict UTF-8 without a NUL.
bool IsQueryText(const std::string& text) {
    return text.find('\0') == std::string::npos && IsValidUtf8(text);
}

// A JSON body that escapes a NUL into one of its strings ("\u0000"), which
// the parser would cut the string at.
bool HasEscapedNul(const std::string& body) {
    for (size_t i = 0; i + 1 < body.size(); ++i) {
        if (body[i] != '\\') continue;
        if (body.compare(i + 1, 5, "u0000") == 0) return true;
        ++i;  // the escaped character
    }
    return false;
}

RouteOutcome InvalidQueryText() { return {RouteOutcome::kReply, Reply(400, "{\"error\":\"invalid query text\"}\n")}; }

RouteOutcome Answer(HttpReply reply) { return {RouteOutcome::kReply, std::move(reply)}; }

// Queues the query unless too many jobs wait.
RouteOutcome QueueQuery(std::string query, uint64_t jobId) {
    if (g_work_queue_size >= kMaxWaitingJobs) return Answer(Reply(503, "{\"error\":\"BUSY\"}\n"));
    auto job = std::make_unique<QueryJob>();
    job->connectionId = jobId;
    job->query = std::move(query);
    QueueJob(std::move(job));
    return {RouteOutcome::kQueued, {}};
}

RouteOutcome Route(const std::string& uri, const std::string& body, const QueryVariable& variable,
                   uint64_t jobId) {
    if (uri == "/isactive") return Answer(Reply(200, "{\"status\":1}\n", false));
    if (uri == "/version") return Answer(Reply(200, std::string("{\"ver\":\"") + kVersion + "\"}\n", false));
    if (uri == "/showsource") {
        const SourceReply source = ShowSource(variable("id"), variable("w"));
        return Answer(Reply(source.ok ? 200 : 400, source.body));
    }
    if (uri == "/struct") {
        if (!IsQueryText(body)) return InvalidQueryText();
        return QueueQuery(body, jobId);
    }
    if (uri == "/qav") {
        std::string query;
        if (!QavRequestText(body, query)) return Answer(Reply(400, "{\"error\":\"invalid json\"}\n"));
        if (!IsQueryText(body) || HasEscapedNul(body)) return InvalidQueryText();
        return QueueQuery(std::move(query), jobId);
    }
    return Answer(Reply(404, "{\"error\":\"not found\"}\n"));
}

}  // namespace

bool RefuseRequestHead(const std::string& uri, const std::string& method, int contentLengths,
                       unsigned long long contentLength, HttpReply& refusal) {
    const RouteMethods* route = nullptr;
    for (const RouteMethods& known : kRoutes)
        if (uri == known.uri) route = &known;
    if (!route) {
        refusal = Reply(404, "{\"error\":\"not found\"}\n");
        return true;
    }
    if (route->methods.size() > 0 &&
        std::none_of(route->methods.begin(), route->methods.end(), [&](const char* m) { return method == m; })) {
        refusal = Reply(405, "{\"error\":\"method not allowed\"}\n");
        refusal.allow = Joined(route->methods);
        return true;
    }
    if (contentLengths > 1) {
        refusal = Reply(400, "{\"error\":\"more than one Content-Length\"}\n");
        return true;
    }
    if (contentLength > kMaxBodyBytes) {
        refusal = BodyTooLargeReply();
        return true;
    }
    return false;
}

HttpReply BodyTooLargeReply() {
    return Reply(413, "{\"error\":\"request body longer than " + std::to_string(kMaxBodyBytes) + " bytes\"}\n");
}

RouteOutcome RouteRequest(const std::string& uri, const std::string& body, const QueryVariable& variable,
                          uint64_t jobId) {
    try {
        return Route(uri, body, variable, jobId);
    } catch (const std::exception& e) {
        QavLog("[mg_http_cb] C++ exception: %s\n", e.what());
        std::fflush(stdout);
        std::string error = "{\"error\":";
        AppendJsonString(error, std::string("internal: ") + e.what());
        error += "}\n";
        return Answer(Reply(500, error));
    } catch (...) {
        QavLog("[mg_http_cb] unknown exception\n");
        std::fflush(stdout);
        return Answer(Reply(500, "{\"error\":\"internal error\"}\n"));
    }
}

HttpReply WrappedReply(const std::string& answer) {
    HttpReply reply;
    reply.body.reserve(answer.size() + 16);
    reply.body = "{\"result\":";
    // The query road answers in UTF-8; a stray byte must still not make the
    // reply invalid JSON.
    if (IsValidUtf8(answer)) {
        AppendJsonString(reply.body, answer);
    } else {
        AppendJsonString(reply.body, ValidUtf8(answer));
    }
    reply.body += "}\n";
    return reply;
}

}  // namespace qav
