// GET requests whose replies may be large (corpus-query pages, index-service
// answers): the reply is held in memory that grows with it, up to a bound.
#pragma once

#include <cstddef>
#include <string>

namespace zel {

// The largest reply body taken, NUL excluded: the replies go to caller
// buffers of 52,428,800 bytes.
constexpr size_t kRemoteReplyMax = 52428800 - 1;

// GETs url ("http://host[:port]/path") and stores the body of a status-200
// answer in body. False when the request fails, the answer is not a
// success, or its body is longer than limit bytes (nothing is kept then).
bool FetchRemoteReply(const std::string& url, std::string& body, size_t limit = kRemoteReplyMax);

// Copies body with its NUL into out (which holds kRemoteReplyMax + 1 bytes).
void CopyRemoteReply(const std::string& body, char* out);

}  // namespace zel
