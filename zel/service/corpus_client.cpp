#include "zel/service/corpus_client.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/text/gbk_char.h"
#include "zel/service/extract_sent.h"
#include "zel/service/remote_reply.h"
#include "zel/service/url_escape.h"
#include "zellib.h"

namespace zel {
namespace {

constexpr char kHandleKey[] = "\"Handle\"=";

// Longest prefix of at most max bytes that ends on a character boundary.
size_t CutAtCharacter(const std::string& text, size_t max) {
    size_t at = 0;
    while (at < text.size()) {
        const size_t length = qz::GbkCharLen(text.data() + at, text.size() - at);
        if (at + length > max) break;
        at += length;
    }
    return at;
}

// Appends "^#" + sentence + "\n" to out (used bytes so far, NUL excluded)
// while it fits in the caller's buffer.
bool AppendSentence(const std::string& sentence, char* out, size_t& used) {
    const size_t length = 2 + sentence.size() + 1;
    if (used + length + 1 > ZEL_QUERY_RESULT_BYTES) return false;
    std::memcpy(out + used, "^#", 2);
    std::memcpy(out + used + 2, sentence.data(), sentence.size());
    out[used + length - 1] = '\n';
    used += length;
    out[used] = '\0';
    return true;
}

}  // namespace

std::string OpenQueryUrl(const std::string& base, const std::string& query, int wanted, int id) {
    return base + "/OpenQuery?input=" + UrlEscape(query) + "&window=50&num=" + std::to_string(2 * wanted) +
           "&sent=1&rand=1&id=" + std::to_string(id);
}

std::string PageUrl(const std::string& base, const std::string& handle, int page) {
    return base + "/GetRet?Handle=" + UrlEscape(handle) + "&No=" + std::to_string(page);
}

std::string CloseQueryUrl(const std::string& base, const std::string& handle) {
    return base + "/CloseQuery?Handle=" + UrlEscape(handle);
}

bool ParseHandle(const char* reply, std::string& handle) {
    handle.clear();
    const char* key = reply ? std::strstr(reply, kHandleKey) : nullptr;
    if (!key) return false;
    for (const char* p = key + sizeof kHandleKey - 1; std::isdigit(static_cast<unsigned char>(*p)); ++p) handle += *p;
    return true;
}

std::vector<std::string> SplitResultLines(const std::string& reply) {
    std::vector<std::string> lines;
    size_t begin = 0;
    for (size_t end = reply.find('\n'); end != std::string::npos; end = reply.find('\n', begin)) {
        const std::string line = reply.substr(begin, end - begin);
        lines.push_back(line.substr(0, CutAtCharacter(line, kResultLineMax)));
        begin = end + 1;
    }
    return lines;
}

std::vector<std::string> SplitJobText(const char* text) {
    std::vector<std::string> parts;
    if (!text) return parts;
    std::string part;
    for (const char* p = text;; ++p) {
        if (*p == '^' || *p == '\0') {
            if (!part.empty()) parts.push_back(part);
            part.clear();
            if (*p == '\0') break;
        } else {
            part += *p;
        }
    }
    return parts;
}

}  // namespace zel

using zel::FetchRemoteReply;

bool OpenQuery(char* base, char* query, char* out, int wanted, int id) {
    if (out) out[0] = '\0';
    if (!base || !query) return false;
    std::string reply;
    if (!FetchRemoteReply(zel::OpenQueryUrl(base, query, wanted, id), reply)) return false;
    zel::CopyRemoteReply(reply, out);
    return true;
}

bool CloseQuery(char* base, char* handle) {
    if (!base || !handle) return false;
    std::string reply;
    return FetchRemoteReply(zel::CloseQueryUrl(base, handle), reply);
}

bool GetHandle(char* reply, char* handle) {
    if (handle) handle[0] = '\0';
    std::string digits;
    if (!zel::ParseHandle(reply, digits) || !handle) return false;
    // A handle too long for the caller's buffer would name another query
    // once cut, so it is refused.
    if (digits.size() + 1 > ZEL_QUERY_HANDLE_BYTES) return false;
    std::memcpy(handle, digits.c_str(), digits.size() + 1);
    return true;
}

bool GetNum(char* reply, int& n) {
    n = 0;
    static const char kKey[] = "\"Num\"=";
    const char* key = reply ? std::strstr(reply, kKey) : nullptr;
    if (!key) return false;
    n = std::atoi(key + sizeof kKey - 1);
    return true;
}

bool GetInstance(char* base, char* handle, int page, std::vector<std::string>& lines) {
    lines.clear();
    if (!base || !handle) return false;
    std::string reply;
    if (!FetchRemoteReply(zel::PageUrl(base, handle, page), reply)) return false;
    lines = zel::SplitResultLines(reply);
    return true;
}

bool QAV(char* base, char* query, std::vector<std::string>& parts, int wanted, char* out, int& got, int id) {
    (void)parts;  // part of the entry's signature; the service is asked with the query alone
    got = 0;
    if (!out) return false;
    out[0] = '\0';
    if (!base || !query) return false;
    std::string reply;
    if (!FetchRemoteReply(zel::OpenQueryUrl(base, query, wanted, id), reply)) return false;
    std::string handle;
    int pages = 0;
    // Pages cannot be asked for without a handle.
    if (!zel::ParseHandle(reply.c_str(), handle) || handle.empty() || !GetNum(&reply[0], pages)) return false;
    std::printf("Call QAV\n");
    size_t used = 0;
    bool full = false;
    std::vector<std::string> lines;
    for (int page = 0; got < wanted && page < pages && !full; ++page) {
        GetInstance(base, &handle[0], page, lines);
        for (const std::string& line : lines) {
            if (line.size() > zel::kSentenceLineMax) continue;
            if (!zel::AppendSentence(zel::ExtractSentence(line), out, used)) {
                full = true;
                break;
            }
            ++got;
        }
    }
    CloseQuery(base, &handle[0]);
    std::printf("->Done!\n");
    return true;
}
