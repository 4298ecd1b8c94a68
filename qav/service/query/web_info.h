// The request record of the request handlers (shttp_uri_struct_enc,
// shttp_uri_bm_enc) and the request handle they are given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace qav {

// Either text of a request record holds at most this many bytes.
constexpr size_t kWebTextBytes = 2097151;

// Flags of a request handle.
constexpr unsigned kShttpdEndOfOutput = 1;  // set by a handler: the reply is complete
constexpr unsigned kShttpdMorePostData = 4;  // more body data follows

// A request as the handlers see it.
struct shttpd_arg_t {
    std::string in;  // body received so far
    unsigned flags = 0;
};

class CWebInfo {
public:
    std::string m_text;    // request text, later the program or condition text (GBK)
    std::string m_output;  // output text of the online runner
    shttpd_arg_t* m_request = nullptr;
    int32_t m_nPageSize = 0;
    int32_t m_nPageNo = 0;
    bool m_bSetup = false;  // passed to the search object's set-up

    // Stores the request. A record that already has its buffers keeps them
    // and returns true. Otherwise it gets empty buffers and the first len
    // bytes of text (at most kWebTextBytes); false when len <= 0 (the
    // buffers stay).
    bool WebInfoInit(shttpd_arg_t* request, const char* text, int len);
    // Empties and releases both texts.
    void WebInfoExit();

private:
    bool m_bBuffers = false;
};

}  // namespace qav
