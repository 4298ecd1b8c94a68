// The grammar library's small blocking HTTP/1.1 client over plain sockets,
// used by the named-service calls and the remote-service Lua functions.
// Every request opens its own socket, uses it once and closes it. Sends and
// receives give up after g_nHttpTimeoutMs.
#pragma once

#include <netinet/in.h>

#include <string>

namespace zel {

// Send and receive timeout of every request, in milliseconds.
extern int g_nHttpTimeoutMs;

struct http_tcpclient {
    int socket = -1;
    int port = 0;
    char address[16] = "";  // first IPv4 address of the host, dotted
    sockaddr_in addr{};
    int connected = 0;
};

// 0, or -1 for a null client, -2 when the host does not resolve, -3 when
// no socket could be made.
int http_tcpclient_create(http_tcpclient* client, const char* host, int port);
// 1 when already connected, 0 after connecting, -1 when connect fails.
int http_tcpclient_conn(http_tcpclient* client);
// The bytes sent (all of them), 0 for a length below 1, -1 on failure.
int http_tcpclient_send(http_tcpclient* client, const char* data, int length);
// Receives until the answer is complete, the peer closes or the timeout
// passes; stores what fits (NUL-terminated) and returns the total received.
int http_tcpclient_recv(http_tcpclient* client, char* buffer, int size);
int http_tcpclient_close(http_tcpclient* client);

// "http://host[:port]/path": 0, or -1 for another form. The path is left
// untouched when the URL has none; the port is 80 unless given.
int http_parse_url(const char* url, std::string& host, std::string& path, int* port);
// The body of a successful HTTP/1.1 answer in out (whole or empty when it
// does not fit in size bytes); null for another answer.
char* http_parse_result(const char* response, char* out, int size);

// 1 when the request was sent and an answer received, 0 otherwise.
int http_post(const char* host, const char* path, int port, const char* header, const char* body, char* out,
              int size);
// out when the request was sent and an answer received, null otherwise.
char* http_get(const char* url, char* out, int size);
int zq_http_post(const char* host, const char* path, int port, const char* header, const char* body, char* out,
                 int size);
// 0 on success, -1 otherwise.
int zq_http_get(const char* url, char* out, int size);

}  // namespace zel
