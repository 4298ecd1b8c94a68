#include "zel/service/base64.h"

#include "zellib.h"

namespace zel {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr int kGroupsPerLine = 19;

// The value of one alphabet character, -1 for anything else.
int ValueOf(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

}  // namespace

std::string CBase64::Encode(const char* data, int length) const {
    std::string text;
    if (!data || length <= 0) return text;
    const auto* bytes = reinterpret_cast<const unsigned char*>(data);
    text.reserve(static_cast<size_t>(length) / 3 * 4 + static_cast<size_t>(length) / 57 + 4);
    int groups = 0;
    int i = 0;
    for (; i + 3 <= length; i += 3) {
        const unsigned v = (bytes[i] << 16) | (bytes[i + 1] << 8) | bytes[i + 2];
        text += kAlphabet[(v >> 18) & 63];
        text += kAlphabet[(v >> 12) & 63];
        text += kAlphabet[(v >> 6) & 63];
        text += kAlphabet[v & 63];
        if (++groups == kGroupsPerLine) {
            text += '\n';
            groups = 0;
        }
    }
    const int rest = length - i;
    if (rest > 0) {
        const unsigned v = (bytes[i] << 16) | (rest == 2 ? bytes[i + 1] << 8 : 0);
        text += kAlphabet[(v >> 18) & 63];
        text += kAlphabet[(v >> 12) & 63];
        text += rest == 2 ? kAlphabet[(v >> 6) & 63] : '=';
        text += '=';
    }
    return text;
}

std::string CBase64::Decode(const char* text, int length, int& count) const {
    std::string bytes;
    if (!text || length <= 0) return bytes;
    int i = 0;
    while (i < length) {
        if (text[i] == '\r' || text[i] == '\n') {
            ++i;
            continue;
        }
        int values[4] = {0, 0, 0, 0};
        int taken = 0;
        for (; taken < 4 && i < length; ++taken, ++i) {
            if (text[i] == '=') break;
            const int value = ValueOf(text[i]);
            if (value < 0) break;
            values[taken] = value;
        }
        const unsigned v = (values[0] << 18) | (values[1] << 12) | (values[2] << 6) | values[3];
        // Each character past the first adds one whole byte.
        for (int k = 0; k + 1 < taken; ++k) {
            bytes += static_cast<char>((v >> (16 - 8 * k)) & 0xFF);
            ++count;
        }
        if (taken < 4) {
            // Padding or a foreign character: step over the rest of the padding
            // and stop at anything that is not.
            while (i < length && text[i] == '=') ++i;
            if (i < length && text[i] != '\r' && text[i] != '\n' && ValueOf(text[i]) < 0) break;
        }
    }
    return bytes;
}

}  // namespace zel

// The exported decoder, for hosts that read the library's image output.
std::string CBase64::Decode(const char* text, int length, int& count) {
    return zel::CBase64().Decode(text, length, count);
}
