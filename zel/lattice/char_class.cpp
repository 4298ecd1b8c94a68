#include "zel/lattice/char_class.h"

#include <cstring>
#include <string>

#include "zel/lattice/gbk_step.h"

namespace zel {

namespace {

unsigned char Byte(const char* p) { return static_cast<unsigned char>(*p); }

bool IsDoubleBytePair(unsigned char first, unsigned char second) {
    return first >= 0x81 && first <= 0xFE && second >= 0x40 && second <= 0xFE;
}

bool IsNumeral(unsigned char b0, unsigned char b1) {
    static const unsigned char kNumerals[][2] = {
        {0xC1, 0xE3}, {0xD2, 0xBB}, {0xB6, 0xFE}, {0xC8, 0xFD}, {0xCB, 0xC4},
        {0xCE, 0xE5}, {0xC1, 0xF9}, {0xC6, 0xDF}, {0xB0, 0xCB}, {0xBE, 0xC5},
        {0xCA, 0xAE}, {0xB0, 0xD9}, {0xC7, 0xA7}, {0xCD, 0xF2}, {0xD2, 0xDA},
    };
    for (const auto& n : kNumerals)
        if (n[0] == b0 && n[1] == b1) return true;
    return false;
}

}  // namespace

bool NormalizeOneSentence(const char* in, char* out, int size) {
    std::string work;
    for (const char* p = in; p && *p && work.size() < kSentenceSize - 1;) {
        size_t bytes = GbkCharBytes(p);
        if (bytes == 0) break;
        if (bytes == 2) {
            if (work.size() + 2 > kSentenceSize - 1) break;
            work.append(p, 2);
        } else if (*p != ' ') {
            work += (*p >= 'a' && *p <= 'z') ? static_cast<char>(*p - 'a' + 'A') : *p;
        }
        p += bytes;
    }
    if (work.empty()) {
        if (size > 0) out[0] = '\0';
        return false;
    }
    Banjiao2Quanjiao(work.c_str(), out, size);
    return true;
}

bool Banjiao2Quanjiao(const char* in, char* out, int size) {
    if (size <= 0) return true;
    size_t limit = size >= 2 ? static_cast<size_t>(size) - 2 : 0;
    size_t j = 0;
    auto put = [&](unsigned char a, unsigned char b) {
        out[j++] = static_cast<char>(a);
        out[j++] = static_cast<char>(b);
    };
    for (const char* p = in; *p && j < limit;) {
        unsigned char b = Byte(p);
        size_t bytes = GbkCharBytes(p);
        if (bytes == 0) break;
        if (bytes == 2)
            put(b, Byte(p + 1));
        else if (b == ' ')
            put(0xA1, 0xA1);
        else if (b == '$')
            put(0xA1, 0xE7);
        else if (b > 0x20 && b < 0x7F)
            put(0xA3, static_cast<unsigned char>(b + 0x80));
        // control bytes, 0x7F and 0x80 are dropped alone
        p += bytes;
    }
    out[j] = '\0';
    return true;
}

bool Quanjiao2Banjiao(const char* in, char* out, int size) {
    if (size <= 0) return false;
    bool whole = true;
    size_t j = 0;
    const size_t limit = static_cast<size_t>(size) - 1;
    for (const char* p = in; *p && j < limit;) {
        unsigned char b0 = Byte(p), b1 = Byte(p + 1);
        if (!IsDoubleBytePair(b0, b1)) {
            // Copied through as a single byte; a lone lead byte at the end
            // is dropped.
            whole = false;
            if (IsGbkLead(b0) && !b1) break;
            out[j++] = static_cast<char>(b0);
            ++p;
            continue;
        }
        if (b0 == 0xA1 && b1 == 0xE7)
            out[j++] = '$';
        else if (b0 == 0xA1 && b1 == 0xA1)
            out[j++] = ' ';
        else if (b0 == 0xA3 && b1 >= 0xA1)
            out[j++] = static_cast<char>(b1 - 0x80);
        else if (j + 2 <= limit) {
            out[j++] = static_cast<char>(b0);
            out[j++] = static_cast<char>(b1);
        } else {
            break;
        }
        p += 2;
    }
    out[j] = '\0';
    return whole;
}

int half2Full(const char* in, char* out, int size) {
    int length = static_cast<int>(std::strlen(in));
    if (size < 2 || length == 0) {
        if (size > 0) out[0] = '\0';
        return length;
    }
    const size_t limit = static_cast<size_t>(size) / 2;
    size_t j = 0;
    for (const char* p = in; *p && j < limit; ++p) {
        unsigned char b = Byte(p);
        if (b < 0x80) {
            if (j + 2 > static_cast<size_t>(size) - 1) break;
            out[j++] = static_cast<char>(0xA3);
            out[j++] = static_cast<char>(b + 0x80);
        } else {
            out[j++] = static_cast<char>(b);
        }
    }
    out[j] = '\0';
    return length;
}

const char* GetCharType(const char* ch) {
    unsigned char b0 = Byte(ch), b1 = b0 ? Byte(ch + 1) : 0;
    if (b0 == 0xA1) return b1 == 0xA3 ? "Punc" : "Char";
    if (b0 == 0xA2) return "Num";
    if (b0 == 0xA3) {
        if ((b1 >= 0xC1 && b1 <= 0xDA) || (b1 >= 0xE1 && b1 <= 0xFA)) return "Eng";
        if (b1 >= 0xB0 && b1 <= 0xB9) return "Num";
        if (b1 == 0xA1 || b1 == 0xAC || b1 == 0xBF) return "Punc";
        return "Char";
    }
    if (b0 < 0xB0) return "Char";
    if (IsNumeral(b0, b1)) return "Num";
    if (b0 >= 0xF8) return "Char";
    if (b1 >= 0xA1 && b1 <= 0xFE) return "HZ";
    return "Char";
}

bool IsBiaoDian(const char* ch) {
    unsigned char b0 = Byte(ch), b1 = b0 ? Byte(ch + 1) : 0;
    if (b0 == 0xA1 || b0 == 0xA2) return b1 >= 0xA1 && b1 <= 0xFE;
    if (b0 == 0xA3) return (b1 >= 0xA1 && b1 <= 0xAF) || (b1 >= 0xBA && b1 <= 0xBF);
    return false;
}

bool IsBiaodian_QJ(const unsigned char* ch) {
    if (ch[0] == 0xA1 || ch[0] == 0xA2) return ch[1] != 0;
    if (ch[0] == 0xA3) return (ch[1] >= 0xA1 && ch[1] <= 0xAF) || (ch[1] >= 0xBA && ch[1] <= 0xBF);
    return false;
}

bool IsDian_QJ(const unsigned char* ch) { return ch[0] == 0xA3 && ch[1] == 0xAE; }

bool IsNotHZ(const unsigned char* ch) { return ch[0] < 0xB0; }

bool IsNumber_QJ(const unsigned char* ch) { return ch[0] == 0xA3 && ch[1] >= 0xB0 && ch[1] <= 0xB9; }

void ReverseSent(char* text) {
    size_t units = std::strlen(text) / 2;
    std::string work;
    work.reserve(units * 2);
    for (size_t i = units; i-- > 0;) work.append(text + 2 * i, 2);
    std::memcpy(text, work.c_str(), work.size() + 1);
}

}  // namespace zel
