// A small HTTP/1.1 client over a raw socket for tests of the HTTP service:
// one request per connection ("Connection: close"), sent at construction and
// read when asked, so that many requests can be outstanding at once.
#pragma once

#include <string>

namespace qztest {

struct HttpAnswer {
    bool replied = false;  // a status line arrived before the connection closed
    int status = 0;
    std::string headers;   // header lines as received
    std::string body;
};

// A request sent byte for byte as given.
struct RawRequest {
    std::string text;
};

class HttpCall {
public:
    // Connects to 127.0.0.1:port and sends the request.
    HttpCall(int port, const std::string& method, const std::string& target, const std::string& body = "");
    HttpCall(int port, const RawRequest& request);
    ~HttpCall();
    HttpCall(const HttpCall&) = delete;
    HttpCall& operator=(const HttpCall&) = delete;

    // Reads until the server closes the connection or timeoutMs pass (then
    // replied is false).
    HttpAnswer Wait(int timeoutMs = 30000);
    // Drops the connection without reading.
    void Abandon();

private:
    void Send(const std::string& request);

    int socket_ = -1;
};

HttpAnswer HttpGet(int port, const std::string& target);
HttpAnswer HttpPost(int port, const std::string& target, const std::string& body);

// A TCP port on 127.0.0.1 that was free a moment ago.
int FreePort();

}  // namespace qztest
