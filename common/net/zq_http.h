// Blocking HTTP/1.0 client of the retrieval library (plain http only) and a
// host name lookup.
#pragma once

#include "common/platform/qz_export.h"

extern "C" {

// One exchange: POST of the JSON body when body is not null, else GET. Resolving
// and connecting must finish within connect_ms; the whole exchange is bounded too
// (connect_ms + QAV_HTTP_EXCHANGE_MS). Prints the response body to standard output.
// Returns the length of the response body (0 when there was none or the exchange
// failed). The body is copied into out only when it fits out_size, without a
// terminator; otherwise out stays untouched.
QZ_EXPORT int http_cli_connect(const char* url, const char* body, char* out, int out_size, int connect_ms);
// http_cli_connect without body / with the body, 5,000 ms to connect.
QZ_EXPORT int zq_http_get(const char* url, char* out, int out_size);
QZ_EXPORT int zq_http_post(const char* url, const char* body, char* out, int out_size);
// Writes the first address of the host as text (IPv4 or IPv6) into buffer and
// returns it (empty for another family); null when the name does not resolve.
QZ_EXPORT char* zq_gethostbyname(const char* host, char* buffer, int size);

}

// Time an exchange may take once connected.
#define QAV_HTTP_EXCHANGE_MS 60000

namespace qz {

// http_cli_connect with an explicit bound on the whole exchange.
int HttpExchange(const char* url, const char* body, char* out, int out_size, long connect_ms, long total_ms);

}  // namespace qz
