#include "common/text/text_utils.h"

#include <cstdlib>
#include <cstring>
#include <string_view>

#include "common/text/gbk_char.h"

namespace qz {

namespace {

// Length of the character at p in a C string whose p[0] is not its end, so
// p[1] (at worst the terminator, never a trail byte) can be read.
size_t CharLength(const char* p) { return GbkCharLen(p, 2); }

template <typename Add>
void ForEachToken(const char* text, const char* delimiters, Add add) {
    if (!text) return;
    const char* token = nullptr;
    for (const char* p = text;; ) {
        bool at_end = *p == '\0';
        size_t len = at_end ? 0 : CharLength(p);
        bool is_delimiter = at_end || (len == 1 && delimiters && std::strchr(delimiters, *p));
        if (is_delimiter) {
            if (token && static_cast<size_t>(p - token) <= kMaxSplitToken) add(std::string(token, p));
            token = nullptr;
            if (at_end) return;
        } else if (!token) {
            token = p;
        }
        p += len;
    }
}

}  // namespace

void SplitString(const char* text, const char* delimiters, std::vector<std::string>& tokens) {
    tokens.clear();
    ForEachToken(text, delimiters, [&tokens](std::string&& t) { tokens.push_back(std::move(t)); });
}

void SplitStringEx(const char* text, const char* delimiters, std::set<std::string>& tokens) {
    tokens.clear();
    ForEachToken(text, delimiters, [&tokens](std::string&& t) { tokens.insert(std::move(t)); });
}

void SplitStr(const char* text, const char* delimiters, std::vector<std::string>& tokens) {
    tokens.clear();
    if (!text) return;
    std::string_view whole(text);
    const std::string copy(whole.substr(0, GbkPrefixLength(whole, kMaxSplitStrText)));
    ForEachToken(copy.c_str(), delimiters, [&tokens](std::string&& t) {
        if (t.size() <= kMaxSplitStrToken) tokens.push_back(std::move(t));
    });
}

char* Chomp(char* text) {
    if (!text) return text;
    size_t len = std::strlen(text);
    if (len > 0 && text[len - 1] == '\n') text[--len] = '\0';
    if (len > 0 && text[len - 1] == '\r') text[--len] = '\0';
    return text;
}

bool isDigital(const char* text) {
    if (!text) return true;
    for (; *text; ++text)
        if (*text < '0' || *text > '9') return false;
    return true;
}

void TrimLine(char* text) {
    if (!text) return;
    size_t end = std::strlen(text);
    while (end > 0 && IsBlank(text[end - 1])) --end;
    size_t begin = 0;
    while (begin < end && IsBlank(text[begin])) ++begin;
    std::memmove(text, text + begin, end - begin);
    text[end - begin] = '\0';
}

void TrimBegEnd(char* text) { TrimLine(text); }

void half2Full(const char* text, char* dest, int size) {
    if (!dest) return;
    const size_t limit = size > 0 ? static_cast<size_t>(size) / 2 : 0;
    size_t pos = 0;
    for (const char* p = text; p && *p && pos < limit;) {
        auto byte = static_cast<unsigned char>(*p);
        if (byte < 0x80) {
            dest[pos++] = static_cast<char>(0xA3);
            dest[pos++] = static_cast<char>(byte + 0x80);
            ++p;
        } else {
            size_t len = CharLength(p);
            std::memcpy(dest + pos, p, len);
            pos += len;
            p += len;
        }
    }
    dest[pos] = '\0';
}

void GetInfo(const char* line, std::string& key, std::string& rest, int& number) {
    // The key is formed in a work area of this size, which limits its length.
    constexpr int kWorkSize = 1024;
    char work[kWorkSize / 2 + 2];
    if (!line) return;
    const char* blank = std::strchr(line, ' ');
    if (!blank) {
        half2Full(line, work, kWorkSize);
        key = work;
        return;
    }
    half2Full(std::string(line, blank).c_str(), work, kWorkSize);
    key = work;
    const char* p = blank;
    while (*p == ' ') ++p;
    number = std::atoi(p);
    const char* next = std::strchr(p, ' ');
    if (!next) return;
    while (*next == ' ') ++next;
    rest = next;
}

std::string TrimBlanks(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace qz
