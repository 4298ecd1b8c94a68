#include "zel/service/http_client.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "zel/service/http_answer.h"

namespace zel {

int g_nHttpTimeoutMs = 10000;

namespace {

constexpr int kReadChunk = 4096;

void SetTimeouts(int socket) {
    timeval tv{};
    tv.tv_sec = g_nHttpTimeoutMs / 1000;
    tv.tv_usec = (g_nHttpTimeoutMs % 1000) * 1000;
    setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
}

// Whether the stored text is a whole answer: its body complete by its
// Content-Length, or a chunked body ended by its last chunk.
bool AnswerComplete(const char* text) {
    const std::string answer(text);
    const HttpAnswerHead head = ParseAnswerHead(answer);
    if (head.bodyStart == std::string::npos) return false;
    if (head.chunked) return answer.find("0\r\n\r\n", head.bodyStart) != std::string::npos;
    return head.hasLength && answer.size() - head.bodyStart >= head.length;
}

// Receives an answer into a buffer of size bytes and parses it into out;
// false when nothing was received or the buffer cannot be allocated.
bool ReceiveAnswer(http_tcpclient& client, char* out, int size) {
    std::vector<char> buffer;
    try {
        buffer.resize(static_cast<size_t>(size > 0 ? size : 1));
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (http_tcpclient_recv(&client, buffer.data(), static_cast<int>(buffer.size())) <= 0) return false;
    http_parse_result(buffer.data(), out, size);
    return true;
}

}  // namespace

int http_tcpclient_create(http_tcpclient* client, const char* host, int port) {
    if (!client) return -1;
    *client = http_tcpclient();
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (!host || getaddrinfo(host, nullptr, &hints, &found) != 0 || !found) return -2;
    client->port = port;
    client->addr = *reinterpret_cast<const sockaddr_in*>(found->ai_addr);
    client->addr.sin_family = AF_INET;
    client->addr.sin_port = htons(static_cast<uint16_t>(port));
    freeaddrinfo(found);
    inet_ntop(AF_INET, &client->addr.sin_addr, client->address, sizeof client->address);
    client->socket = ::socket(AF_INET, SOCK_STREAM, 0);
    if (client->socket < 0) return -3;
    SetTimeouts(client->socket);
    return 0;
}

int http_tcpclient_conn(http_tcpclient* client) {
    if (client->connected) return 1;
    if (connect(client->socket, reinterpret_cast<const sockaddr*>(&client->addr), sizeof client->addr) != 0)
        return -1;
    client->connected = 1;
    return 0;
}

int http_tcpclient_send(http_tcpclient* client, const char* data, int length) {
    if (length < 1) return 0;
    int sent = 0;
    while (sent < length) {
        ssize_t n = ::send(client->socket, data + sent, static_cast<size_t>(length - sent), MSG_NOSIGNAL);
        if (n <= 0) return -1;
        sent += static_cast<int>(n);
    }
    return sent;
}

int http_tcpclient_recv(http_tcpclient* client, char* buffer, int size) {
    if (size <= 0) return 0;
    buffer[0] = '\0';
    int total = 0, stored = 0;
    char chunk[kReadChunk];
    while (true) {
        ssize_t n = ::recv(client->socket, chunk, sizeof chunk, 0);
        if (n <= 0) break;  // closed, failed or timed out
        total += static_cast<int>(n);
        if (stored + n < size) {
            std::memcpy(buffer + stored, chunk, static_cast<size_t>(n));
            stored += static_cast<int>(n);
            buffer[stored] = '\0';
            if (AnswerComplete(buffer)) break;
        }
    }
    return total;
}

int http_tcpclient_close(http_tcpclient* client) {
    if (client->socket >= 0) close(client->socket);
    client->socket = -1;
    client->connected = 0;
    return 0;
}

int http_parse_url(const char* url, std::string& host, std::string& path, int* port) {
    static const char kScheme[] = "http://";
    if (!url || !port || std::strncmp(url, kScheme, sizeof kScheme - 1) != 0) return -1;
    const char* rest = url + sizeof kScheme - 1;
    const char* slash = std::strchr(rest, '/');
    host.assign(rest, slash ? static_cast<size_t>(slash - rest) : std::strlen(rest));
    if (slash && slash[1]) path = slash + 1;
    *port = 80;
    size_t colon = host.find(':');
    if (colon != std::string::npos) {
        *port = std::atoi(host.c_str() + colon + 1);
        host.resize(colon);
    }
    return 0;
}

char* http_parse_result(const char* response, char* out, int size) {
    if (size <= 0) return nullptr;
    out[0] = '\0';
    const char* status = std::strstr(response, "HTTP/1.1");
    if (!status) {
        std::printf("http/1.1 not faind\n");
        return nullptr;
    }
    if (std::strlen(status) < 9 || std::atoi(status + 9) != 200) {
        std::printf("result:\n%s\n", response);
        return nullptr;
    }
    const std::string answer(response);
    const HttpAnswerHead head = ParseAnswerHead(answer);
    if (head.bodyStart == std::string::npos) {
        std::printf("ptmp is NULL\n");
        return nullptr;
    }
    std::string body = answer.substr(head.bodyStart);
    if (head.chunked) {
        std::string decoded;
        if (!DecodeChunkedBody(body, static_cast<size_t>(size) - 1, decoded)) return out;
        body.swap(decoded);
    } else {
        if (head.hasLength && head.length < body.size()) body.resize(head.length);
        if (body.size() + 1 >= static_cast<size_t>(size)) return out;
    }
    std::memcpy(out, body.data(), body.size());
    out[body.size()] = '\0';
    return out;
}

int http_post(const char* host, const char* path, int port, const char* header, const char* body, char* out,
              int size) {
    http_tcpclient client;
    int code = http_tcpclient_create(&client, host, port);
    if (code != 0) {
        std::printf("http_tcpclient_create failed %d\n", code);
        http_tcpclient_close(&client);
        return 0;
    }
    if (!path) path = "";
    if (!header) header = "";
    if (!body) body = "";
    std::vector<char> request(std::strlen(path) + std::strlen(header) + std::strlen(body) + 256);
    int length = std::snprintf(request.data(), request.size(),
                               "POST /%s HTTP/1.1\r\nHOST: %s:%d\r\nAccept: */*\r\n%s\r\nContent-Length: %d\r\n\r\n%s",
                               path, client.address, port, header, static_cast<int>(std::strlen(body)), body);
    http_tcpclient_conn(&client);
    bool answered = http_tcpclient_send(&client, request.data(), length) == length &&
                    ReceiveAnswer(client, out, size);
    http_tcpclient_close(&client);
    return answered ? 1 : 0;
}

char* http_get(const char* url, char* out, int size) {
    if (!url) {
        std::printf("      failed!\n");
        return nullptr;
    }
    std::string host, path;
    int port = 0;
    if (http_parse_url(url, host, path, &port) != 0) {
        std::printf("http_parse_url failed!\n");
        return nullptr;
    }
    http_tcpclient client;
    int code = http_tcpclient_create(&client, host.c_str(), port);
    if (code != 0) {
        std::printf("http_tcpclient_create failed %d\n", code);
        http_tcpclient_close(&client);
        return nullptr;
    }
    std::vector<char> request(path.size() + host.size() + 128);
    int length = std::snprintf(request.data(), request.size(), "GET /%s HTTP/1.1\r\nHOST: %s:%d\r\nAccept: */*\r\n\r\n",
                               path.c_str(), host.c_str(), port);
    http_tcpclient_conn(&client);
    if (http_tcpclient_send(&client, request.data(), length) != length) {
        std::printf("http_tcpclient_send failed. %d\n", -1);
        http_tcpclient_close(&client);
        return nullptr;
    }
    bool answered = ReceiveAnswer(client, out, size);
    if (!answered) std::printf("http_tcpclient_recv failed\n");
    http_tcpclient_close(&client);
    return answered ? out : nullptr;
}

int zq_http_post(const char* host, const char* path, int port, const char* header, const char* body, char* out,
                 int size) {
    return http_post(host, path, port, header, body, out, size);
}

int zq_http_get(const char* url, char* out, int size) { return http_get(url, out, size) ? 0 : -1; }

}  // namespace zel
