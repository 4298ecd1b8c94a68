// Reading the answers of the grammar library's HTTP clients: where the body
// starts, how its length is given, and the decoding of chunked bodies.
#pragma once

#include <cstddef>
#include <string>

namespace zel {

struct HttpAnswerHead {
    size_t bodyStart = std::string::npos;  // npos until the blank line after the headers has arrived
    bool chunked = false;
    bool hasLength = false;
    size_t length = 0;  // the Content-Length, when hasLength
};

// The head of the answer received so far.
HttpAnswerHead ParseAnswerHead(const std::string& answer);

// Decodes a chunked body (what follows the head) into body; false when the
// decoded body passes limit bytes. A cut last chunk is kept as far as it came.
bool DecodeChunkedBody(const std::string& raw, size_t limit, std::string& body);

}  // namespace zel
