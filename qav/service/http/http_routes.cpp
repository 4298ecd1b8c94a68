#include "qav/service/http/http_routes.h"

#include <cstdio>
#include <exception>
#include <memory>

#include "qav/index/base/qav_log.h"
#include "qav/service/http/http_jobs.h"
#include "qav/service/http/json_string.h"
#include "qav/service/http/show_source.h"

namespace {

constexpr const char* kVersion = "4.0.260328.0600";

HttpReply Reply(unsigned status, const std::string& body, bool json = true) { return {status, json, body}; }

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
    if (uri == "/struct") return QueueQuery(body, jobId);
    if (uri == "/qav") {
        std::string query;
        if (!QavRequestText(body, query)) return Answer(Reply(400, "{\"error\":\"invalid json\"}\n"));
        return QueueQuery(std::move(query), jobId);
    }
    return {};
}

}  // namespace

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
    AppendJsonString(reply.body, answer);
    reply.body += "}\n";
    return reply;
}
