#include "corpus_stub_service.h"

#include <arpa/inet.h>
#include <microhttpd.h>
#include <netinet/in.h>

#include <algorithm>
#include <cstring>

namespace zeltest {
namespace {

MHD_Result CollectArgument(void* requestPointer, MHD_ValueKind, const char* key, const char* value) {
    static_cast<StubRequest*>(requestPointer)->args[key] = value ? value : "";
    return MHD_YES;
}

struct ChunkSource {
    std::string body;
    size_t sent = 0;
};

// Hands the body out in pieces of 7 bytes so that it travels in many chunks.
ssize_t ReadChunk(void* sourcePointer, uint64_t, char* buffer, size_t max) {
    auto* source = static_cast<ChunkSource*>(sourcePointer);
    if (source->sent >= source->body.size()) return MHD_CONTENT_READER_END_OF_STREAM;
    const size_t n = std::min<size_t>({7, max, source->body.size() - source->sent});
    std::memcpy(buffer, source->body.data() + source->sent, n);
    source->sent += n;
    return static_cast<ssize_t>(n);
}

void FreeChunkSource(void* sourcePointer) { delete static_cast<ChunkSource*>(sourcePointer); }

MHD_Result Handle(void* self, MHD_Connection* connection, const char* url, const char*, const char*, const char*,
                  size_t*, void**) {
    StubRequest request;
    request.path = url;
    MHD_get_connection_values(connection, MHD_GET_ARGUMENT_KIND, &CollectArgument, &request);
    std::string body;
    bool chunked = false;
    const bool known = static_cast<StubService*>(self)->Lookup(request, body, chunked);
    MHD_Response* response =
        !known ? MHD_create_response_from_buffer(0, nullptr, MHD_RESPMEM_PERSISTENT)
        : chunked
            ? MHD_create_response_from_callback(MHD_SIZE_UNKNOWN, 1024, &ReadChunk, new ChunkSource{body, 0},
                                                &FreeChunkSource)
            : MHD_create_response_from_buffer(body.size(), const_cast<char*>(body.data()), MHD_RESPMEM_MUST_COPY);
    const MHD_Result queued = MHD_queue_response(connection, known ? MHD_HTTP_OK : MHD_HTTP_NOT_FOUND, response);
    MHD_destroy_response(response);
    return queued;
}

}  // namespace

StubService::StubService() {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    daemon_ = MHD_start_daemon(MHD_USE_INTERNAL_POLLING_THREAD, 0, nullptr, nullptr,
                               &Handle, this,
                               MHD_OPTION_SOCK_ADDR, &address, MHD_OPTION_END);
    if (daemon_) port_ = MHD_get_daemon_info(daemon_, MHD_DAEMON_INFO_BIND_PORT)->port;
}

StubService::~StubService() {
    if (daemon_) MHD_stop_daemon(daemon_);
}

std::string StubService::base() const { return "http://127.0.0.1:" + std::to_string(port_); }

void StubService::Answer(const std::string& path, const std::string& body) {
    std::lock_guard<std::mutex> lock(mutex_);
    answers_[path] = body;
    chunked_[path] = false;
}

void StubService::AnswerChunked(const std::string& path, const std::string& body) {
    std::lock_guard<std::mutex> lock(mutex_);
    answers_[path] = body;
    chunked_[path] = true;
}

std::vector<StubRequest> StubService::requests() {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

bool StubService::Lookup(const StubRequest& request, std::string& body, bool& chunked) {
    std::string key = request.path;
    if (key == "/GetRet") {
        const auto no = request.args.find("No");
        key += "/" + (no == request.args.end() ? std::string() : no->second);
    }
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back(request);
    const auto found = answers_.find(key);
    if (found == answers_.end()) return false;
    body = found->second;
    chunked = chunked_[key];
    return true;
}

}  // namespace zeltest
