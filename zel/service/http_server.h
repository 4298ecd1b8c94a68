// The grammar library's HTTP server: one request at a time, every answer
// "200" with a JSON content type, unless a body is larger than the server
// takes.
#pragma once

#include <cstdint>
#include <string>

struct MHD_Daemon;

namespace zel {

// Posted bodies larger than this are refused with 413.
constexpr size_t kMaxRequestBody = 524288;

class ZelHttpServer {
public:
    ZelHttpServer() = default;
    ~ZelHttpServer();
    ZelHttpServer(const ZelHttpServer&) = delete;
    ZelHttpServer& operator=(const ZelHttpServer&) = delete;

    // Listens on port (0: a free one) of address ("127.0.0.1"), or of every
    // interface when address is empty; false when the port cannot be bound.
    bool Start(uint16_t port, const std::string& address);
    void Stop();
    // The port listened on, 0 when stopped.
    uint16_t Port() const;

private:
    MHD_Daemon* daemon_ = nullptr;
};

// Enters folder, prints "ZEL Engine" and serves on port for the life of the
// process; returns only when the port cannot be bound. The configuration is
// not read yet: the engine's start-up joins the library separately.
void JParser_Http(const char* port, const char* folder, const char* config);

}  // namespace zel
