// What the HTTP service answers to each request, apart from the network
// connection: the light routes answer at once, the query routes queue a job.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

struct HttpReply {
    unsigned status = 200;
    bool json = true;  // carries "Content-Type: application/json"
    std::string body;
};

struct RouteOutcome {
    enum Kind {
        kReply,   // send reply now
        kQueued,  // a job was queued; its answer comes later
        kIgnore,  // no reply at all
    };
    Kind kind = kIgnore;
    HttpReply reply;
};

// Value of a query-string variable (URL-decoded); null when absent.
using QueryVariable = std::function<const char*(const char* name)>;

// Handles one complete request for uri with its body. A queued job carries
// jobId, by which the answer finds its connection again.
RouteOutcome RouteRequest(const std::string& uri, const std::string& body, const QueryVariable& variable,
                          uint64_t jobId);

// The reply that carries a finished job's answer: {"result":<answer>}.
HttpReply WrappedReply(const std::string& answer);

// The query text of a "/qav" JSON body: query{ condition ...}[(from,to);...];
// false when the body is not JSON.
bool QavRequestText(const std::string& body, std::string& query);
