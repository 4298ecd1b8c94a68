#include "zel/service/remote_reply.h"

#include <sys/socket.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "zel/service/http_answer.h"
#include "zel/service/http_client.h"

namespace zel {
namespace {

constexpr size_t kReadChunk = 65536;
// A header block longer than this is not an answer of the services asked.
constexpr size_t kMaxHeaderBytes = 65536;

bool EndsWith(const std::string& text, const char* tail) {
    const size_t n = std::strlen(tail);
    return text.size() >= n && text.compare(text.size() - n, n, tail) == 0;
}

// Receives the whole answer; false when nothing came, or when it is
// already clear that the body passes limit.
bool ReceiveAnswer(http_tcpclient& client, size_t limit, std::string& answer, HttpAnswerHead& head) {
    std::vector<char> chunk(kReadChunk);
    // A chunked body carries its chunk sizes besides the data; the decoded
    // size is checked again afterwards.
    const size_t rawLimit = limit + limit / 2 + 4096;
    while (true) {
        const ssize_t n = ::recv(client.socket, chunk.data(), chunk.size(), 0);
        if (n <= 0) break;  // closed, failed or timed out
        answer.append(chunk.data(), static_cast<size_t>(n));
        if (head.bodyStart == std::string::npos) {
            head = ParseAnswerHead(answer);
            if (head.bodyStart == std::string::npos) {
                if (answer.size() > kMaxHeaderBytes) return false;
                continue;
            }
            if (!head.chunked && head.hasLength && head.length > limit) return false;
        }
        const size_t bodyBytes = answer.size() - head.bodyStart;
        if (head.chunked) {
            if (bodyBytes > rawLimit) return false;
            if (EndsWith(answer, "\r\n0\r\n\r\n") || (bodyBytes == 5 && EndsWith(answer, "0\r\n\r\n"))) break;
        } else {
            if (bodyBytes > limit) return false;
            if (head.hasLength && bodyBytes >= head.length) break;
        }
    }
    return !answer.empty();
}

}  // namespace

bool FetchRemoteReply(const std::string& url, std::string& body, size_t limit) {
    body.clear();
    std::string host, path;
    int port = 0;
    if (http_parse_url(url.c_str(), host, path, &port) != 0) return false;
    http_tcpclient client;
    if (http_tcpclient_create(&client, host.c_str(), port) != 0) {
        http_tcpclient_close(&client);
        return false;
    }
    const std::string request =
        "GET /" + path + " HTTP/1.1\r\nHOST: " + host + ":" + std::to_string(port) + "\r\nAccept: */*\r\n\r\n";
    std::string answer;
    HttpAnswerHead head;
    const bool received = http_tcpclient_conn(&client) >= 0 &&
                          http_tcpclient_send(&client, request.data(), static_cast<int>(request.size())) ==
                              static_cast<int>(request.size()) &&
                          ReceiveAnswer(client, limit, answer, head);
    http_tcpclient_close(&client);
    if (!received || head.bodyStart == std::string::npos) return false;
    if (answer.compare(0, 7, "HTTP/1.") != 0 || answer.size() < 12 || std::atoi(answer.c_str() + 9) != 200)
        return false;
    if (head.chunked) {
        std::string decoded;
        if (!DecodeChunkedBody(answer.substr(head.bodyStart), limit, decoded)) return false;
        body.swap(decoded);
        return true;
    }
    size_t length = answer.size() - head.bodyStart;
    if (head.hasLength && head.length < length) length = head.length;
    if (length > limit) return false;
    body.assign(answer, head.bodyStart, length);
    return true;
}

void CopyRemoteReply(const std::string& body, char* out) {
    if (!out) return;
    const size_t n = std::min(body.size(), kRemoteReplyMax);
    std::memcpy(out, body.data(), n);
    out[n] = '\0';
}

}  // namespace zel
