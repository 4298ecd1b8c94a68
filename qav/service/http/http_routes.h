// What the HTTP service answers to each request, apart from the network
// connection: the light routes answer at once, the query routes queue a job.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace qav {

struct HttpReply {
    unsigned status = 200;
    bool json = true;  // carries "Content-Type: application/json"
    std::string body;
    std::string allow;  // methods of an "Allow" header; none when empty
};

struct RouteOutcome {
    enum Kind {
        kReply,   // send reply now
        kQueued,  // a job was queued; its answer comes later
    };
    Kind kind = kReply;
    HttpReply reply;
};

// Largest request body; a longer one is refused with 413.
constexpr size_t kMaxBodyBytes = 3 * 1024 * 1024;

// The refusal of a request that cannot be served, known from its head
// alone: 404 for an unknown URI, 405 (with "Allow") for a method the route
// does not take, 400 for a head with more than one Content-Length, 413 for a
// Content-Length past kMaxBodyBytes. False when the request may go on.
bool RefuseRequestHead(const std::string& uri, const std::string& method, int contentLengths,
                       unsigned long long contentLength, HttpReply& refusal);

// The 413 refusal of a body that grew past kMaxBodyBytes.
HttpReply BodyTooLargeReply();

// Value of a query-string variable (URL-decoded); null when absent.
using QueryVariable = std::function<const char*(const char* name)>;

// Handles one complete request for uri with its body. A queued job carries
// jobId, by which the answer finds its connection again. A query text with a
// NUL or with bytes that are not strict UTF-8 is refused with 400: it is
// never cut or decoded into other characters.
RouteOutcome RouteRequest(const std::string& uri, const std::string& body, const QueryVariable& variable,
                          uint64_t jobId);

// The reply that carries a finished job's answer: {"result":<answer>}.
HttpReply WrappedReply(const std::string& answer);

// The query text of a "/qav" JSON body: query{ condition ...}[(from,to);...];
// false when the body is not JSON.
bool QavRequestText(const std::string& body, std::string& query);

}  // namespace qav
