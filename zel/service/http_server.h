// The grammar library's HTTP server: one request at a time, every answer
// "200" with a JSON content type, unless a body is larger than its route
// takes (413) or the analysis route refuses it.
#pragma once

#include <cstdint>
#include <string>

struct MHD_Daemon;

namespace zel {

// Posted Lua code and examples larger than this are refused with 413.
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

// Enters folder, prints "ZEL Engine", empties the result slots of the
// corpus-query clients, starts the engine from config when one is given
// (printing "start Failed!" when it cannot) and serves on port for the life
// of the process; returns only when the port cannot be bound.
void JParser_Http(const char* port, const char* folder, const char* config);

}  // namespace zel
