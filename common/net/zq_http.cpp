#include "common/net/zq_http.h"

#include <arpa/inet.h>
#include <curl/curl.h>
#include <netdb.h>
#include <sys/socket.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>

namespace {

constexpr int kDefaultConnectMs = 5000;

void InitCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_NOTHING); });
}

size_t CollectBody(char* data, size_t size, size_t count, void* user) {
    auto* body = static_cast<std::string*>(user);
    size_t n = size * count;
    if (n > static_cast<size_t>(INT_MAX) - body->size()) return 0;  // length must fit the int result
    body->append(data, n);
    return n;
}

struct CurlDeleter {
    void operator()(CURL* c) const { curl_easy_cleanup(c); }
};
struct SlistDeleter {
    void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};

}  // namespace

namespace qz {

int HttpExchange(const char* url, const char* body, char* out, int out_size, long connect_ms, long total_ms) {
    if (!url) return 0;
    InitCurlOnce();
    std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    if (!curl) return 0;

    curl_slist* list = nullptr;
    for (const char* h : {"Content-Type: application/json", "Accept:", "Expect:"}) list = curl_slist_append(list, h);
    if (!body) list = curl_slist_append(list, "Content-Length: 0");
    std::unique_ptr<curl_slist, SlistDeleter> headers(list);

    std::string response;
    CURL* c = curl.get();
    curl_easy_setopt(c, CURLOPT_URL, url);
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http");
    curl_easy_setopt(c, CURLOPT_DEFAULT_PROTOCOL, "http");
    curl_easy_setopt(c, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(c, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, connect_ms > 0 ? connect_ms : 1L);
    curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, total_ms > 0 ? total_ms : 1L);
    curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, CollectBody);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &response);
    if (body) {
        curl_easy_setopt(c, CURLOPT_POSTFIELDS, body);
        curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(std::strlen(body)));
    }
    if (curl_easy_perform(c) != CURLE_OK) return 0;

    int length = static_cast<int>(response.size());
    printf("%.*s", length, response.data());
    fflush(stdout);
    if (out && length <= out_size) std::memcpy(out, response.data(), response.size());
    return length;
}

}  // namespace qz

int http_cli_connect(const char* url, const char* body, char* out, int out_size, int connect_ms) {
    long connect = connect_ms > 0 ? connect_ms : 1;
    return qz::HttpExchange(url, body, out, out_size, connect, connect + QAV_HTTP_EXCHANGE_MS);
}

int zq_http_get(const char* url, char* out, int out_size) {
    return http_cli_connect(url, nullptr, out, out_size, kDefaultConnectMs);
}

int zq_http_post(const char* url, const char* body, char* out, int out_size) {
    return http_cli_connect(url, body, out, out_size, kDefaultConnectMs);
}

char* zq_gethostbyname(const char* host, char* buffer, int size) {
    if (!buffer || size <= 0) return nullptr;
    buffer[0] = '\0';
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    addrinfo* found = nullptr;
    if (!host || getaddrinfo(host, nullptr, &hints, &found) != 0 || !found) {
        printf("gethostbyname error for host:%s\n", host ? host : "");
        return nullptr;
    }
    std::unique_ptr<addrinfo, decltype(&freeaddrinfo)> guard(found, freeaddrinfo);
    const void* address = nullptr;
    if (found->ai_family == AF_INET)
        address = &reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
    else if (found->ai_family == AF_INET6)
        address = &reinterpret_cast<const sockaddr_in6*>(found->ai_addr)->sin6_addr;
    if (address && !inet_ntop(found->ai_family, address, buffer, static_cast<socklen_t>(size))) buffer[0] = '\0';
    return buffer;
}
