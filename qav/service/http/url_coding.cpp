#include "qav/service/http/url_coding.h"

#include "qav/service/query/text_convert.h"

namespace qav {

namespace {

constexpr size_t kMaxConvertedBytes = 10239;

bool IsAsciiAlnum(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsAsciiSpace(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

unsigned char strCoding::CharToInt(char c) {
    if (c >= '0' && c <= '9') return static_cast<unsigned char>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<unsigned char>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F') return static_cast<unsigned char>(c - 'A' + 10);
    return 255;
}

char strCoding::StrToBin(const char* s) {
    const unsigned value = CharToInt(s[0]) * 16u + CharToInt(s[1]);
    return static_cast<char>(value & 0xFF);
}

void strCoding::UTF8ToGB2312(std::string& out, std::string_view text) {
    out = QavUtf8ToGbk(text, kMaxConvertedBytes);
}

void strCoding::GB2312ToUTF_8(std::string& out, std::string_view text) {
    out = QavGbkToUtf8(text, text.size());
    out.resize(QavUtf8PrefixLength(out, kMaxConvertedBytes));
}

std::string strCoding::UrlGB2312(std::string_view text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string coded;
    coded.reserve(text.size() * 3);
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (IsAsciiAlnum(byte)) {
            coded += c;
        } else if (IsAsciiSpace(byte)) {
            coded += '+';
        } else {
            coded += '%';
            coded += kHex[byte >> 4];
            coded += kHex[byte & 0x0F];
        }
    }
    return coded;
}

std::string strCoding::UrlUTF8(std::string_view text) {
    std::string utf8;
    GB2312ToUTF_8(utf8, text);
    return UrlGB2312(utf8);
}

std::string strCoding::UrlGB2312Decode(std::string_view text) {
    std::string decoded;
    decoded.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            decoded += StrToBin(text.data() + i + 1);
            i += 2;
        } else if (text[i] == '+') {
            decoded += ' ';
        } else {
            decoded += text[i];
        }
    }
    return decoded;
}

std::string strCoding::UrlUTF8Decode(std::string_view text) { return UrlGB2312Decode(text); }

}  // namespace qav
