#include "qav/service/http/uri_handlers.h"

#include <cstring>
#include <string>
#include <thread>

#include "qav/index/base/qav_log.h"
#include "common/text/text_utils.h"
#include "qav/service/http/web_stubs.h"
#include "qav/service/query/online_runner.h"
#include "qav/service/query/request_translate.h"
#include "qav/service/query/text_convert.h"
#include "qav/service/query/web_info.h"

namespace qav {

namespace {

constexpr size_t kMaxStructBodyBytes = 65535;
constexpr size_t kMaxBmBodyBytes = 5119;
constexpr size_t kMaxBmGbkBytes = 65535;
constexpr int kPageSize = 1000;

// The body of a complete POST request, at most maxBytes; empty otherwise.
std::string PostBody(shttpd_arg_t* request, size_t maxBytes) {
    const char* method = shttpd_get_env(request, "REQUEST_METHOD");
    if (!method || std::strcmp(method, "POST") != 0 || (request->flags & kShttpdMorePostData)) return {};
    return request->in.substr(0, maxBytes);
}

// Runs the online runner on a thread of its own and waits for it.
void RunOnline(CWebInfo& info) { std::thread(Online_AS_Thread, &info).join(); }

// Handles one request with a record that is released at the end.
class RequestRecord {
public:
    RequestRecord(shttpd_arg_t* request, bool setup) : request_(request) {
        info.m_nPageSize = kPageSize;
        info.m_bSetup = setup;
        info.WebInfoInit(request, nullptr, 0);
    }
    ~RequestRecord() {
        request_->flags |= kShttpdEndOfOutput;
        info.WebInfoExit();
    }
    RequestRecord(const RequestRecord&) = delete;
    RequestRecord& operator=(const RequestRecord&) = delete;

    CWebInfo info;

private:
    shttpd_arg_t* request_;
};

}  // namespace

void IsActive(shttpd_arg_t*, void*) {}

void shttp_uri_struct_enc(shttpd_arg_t* request) {
    const std::string body = PostBody(request, kMaxStructBodyBytes);
    QavLog("%s %s\n", "", body.c_str());
    RequestRecord record(request, true);
    CWebInfo& info = record.info;
    info.m_text = QavUtf8ToGbk(body, kWebTextBytes);
    const bool oneLine = info.m_text.find('\n') == std::string::npos;
    const bool showOnly = oneLine && info.m_text.find("Lua") != std::string::npos;
    if (oneLine) {
        info.m_text = qz::TrimBlanks(info.m_text);
        StructQAVText2Json_LUA(&info, 0);
    }
    if (showOnly) {
        QavLog("ret  %s\n", QavGbkToUtf8(info.m_text, info.m_text.size()).c_str());
        return;
    }
    RunOnline(info);
    QavLog("ret  %s\n", QavGbkToUtf8(info.m_output, info.m_output.size()).c_str());
}

void shttp_uri_bm_enc(const char* charset, shttpd_arg_t* request) {
    std::string body = PostBody(request, kMaxBmBodyBytes);
    QavLog("%s %s\n", "", body.c_str());
    const bool utf8 = charset && std::strcmp(charset, "utf8") == 0;
    if (utf8) body = QavUtf8ToGbk(body, kMaxBmGbkBytes);
    RequestRecord record(request, false);
    CWebInfo& info = record.info;
    info.m_text = qz::TrimBlanks(body);
    if (BMQAVText2Json(&info)) {
        QavLog("%s\n", info.m_text.c_str());
        RunOnline(info);
    }
    if (utf8) info.m_output = QavGbkToUtf8(info.m_output, info.m_output.size());
}

}  // namespace qav
