// Byte-level helpers: GBK classification and single UTF-8 sequences.
#include "common/text/encoding.h"

namespace {

bool in(unsigned byte, unsigned low, unsigned high) { return byte >= low && byte <= high; }

bool is_continuation(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

}  // namespace

extern "C" {

int cv_is_gbk_leadbyte(unsigned char byte) { return in(byte, 0x81, 0xFE); }

int cv_is_gbk_han(unsigned char lead, unsigned char trail) {
    return (in(lead, 0xB0, 0xF7) && in(trail, 0xA1, 0xFE))     // GB2312 Han
           || (in(lead, 0x81, 0xA0) && in(trail, 0x40, 0xFE))  // GBK/3
           || (in(lead, 0xAA, 0xFE) && in(trail, 0x40, 0xA0))  // GBK/4
           || (lead == 0xA9 && trail == 0x96);
}

// Byte by byte on purpose: a quick test for GB2312 Han text that does not
// need to know where characters start.
int IsChineseLine(const char* gbk) {
    if (!gbk) return 0;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(gbk); p[0] && p[1]; ++p) {
        if (in(p[0], 0xB0, 0xF7) && in(p[1], 0xA1, 0xFE)) return 1;
    }
    return 0;
}

int enc_get_utf8_size(const char* p) {
    const unsigned char b = static_cast<unsigned char>(*p);
    if (b < 0x80) return 1;
    if (b < 0xC0) return 0;
    if (b < 0xE0) return 2;
    if (b < 0xF0) return 3;
    if (b < 0xF8) return 4;
    if (b < 0xFC) return 5;
    return 6;
}

int enc_utf8_to_utf16_one(const char* p, uint16_t* unit) {
    const int size = enc_get_utf8_size(p);
    if (!unit) return size;
    *unit = 0;
    const unsigned b0 = static_cast<unsigned char>(p[0]);
    switch (size) {
    case 1:
        *unit = static_cast<uint16_t>(b0);
        break;
    case 2:
        if (!is_continuation(p[1])) return 0;
        *unit = static_cast<uint16_t>(((b0 & 0x1F) << 6) | (p[1] & 0x3F));
        break;
    case 3:
        // Checked one at a time so a NUL ends the look-ahead.
        if (!is_continuation(p[1]) || !is_continuation(p[2])) return 0;
        *unit = static_cast<uint16_t>(((b0 & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F));
        break;
    default:  // 0 and 4..6: not decoded here
        break;
    }
    return size;
}

int enc_utf8_to_unicode_one(const char* p, uint64_t* code) {
    const int size = enc_get_utf8_size(p);
    if (!code) return size;
    *code = 0;
    if (size == 0) return 0;
    const unsigned char b0 = static_cast<unsigned char>(p[0]);
    uint64_t value = size == 1 ? b0 : (b0 & (0x7Fu >> size));
    for (int i = 1; i < size; ++i) {
        if (!is_continuation(p[i])) return 0;
        value = (value << 6) | (static_cast<unsigned char>(p[i]) & 0x3Fu);
    }
    *code = value;
    return size;
}

}  // extern "C"
