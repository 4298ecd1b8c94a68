#include "zel/service/http_answer.h"

#include <strings.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace zel {

HttpAnswerHead ParseAnswerHead(const std::string& answer) {
    HttpAnswerHead head;
    const size_t blank = answer.find("\r\n\r\n");
    if (blank == std::string::npos) return head;
    head.bodyStart = blank + 4;
    // The first line is the status line; the header lines follow it.
    for (size_t line = answer.find("\r\n"); line < blank;) {
        line += 2;
        size_t end = answer.find("\r\n", line);
        if (end == std::string::npos || end > blank) end = blank;
        const std::string field = answer.substr(line, end - line);
        if (strncasecmp(field.c_str(), "Content-Length:", 15) == 0) {
            head.hasLength = true;
            head.length = std::strtoull(field.c_str() + 15, nullptr, 10);
        } else if (strncasecmp(field.c_str(), "Transfer-Encoding:", 18) == 0 &&
                   strcasestr(field.c_str() + 18, "chunked") != nullptr) {
            head.chunked = true;
        }
        line = end;
    }
    return head;
}

bool DecodeChunkedBody(const std::string& raw, size_t limit, std::string& body) {
    body.clear();
    size_t at = 0;
    while (at < raw.size()) {
        char* end = nullptr;
        const unsigned long long length = std::strtoull(raw.c_str() + at, &end, 16);
        if (end == raw.c_str() + at || length == 0) break;
        const size_t data = raw.find("\r\n", static_cast<size_t>(end - raw.c_str()));
        if (data == std::string::npos) break;
        const size_t start = data + 2;
        const size_t available = std::min<size_t>(length, raw.size() - start);
        if (body.size() + available > limit) return false;
        body.append(raw, start, available);
        if (available < length) break;
        at = start + available;
        if (raw.compare(at, 2, "\r\n") == 0) at += 2;
    }
    return true;
}

}  // namespace zel
