#include "zel/compiler/block_text.h"

#include <algorithm>

namespace zel {

namespace {

std::string Reversed(const std::string& text) {
    std::string out(text.size(), '\0');
    size_t write = text.size();
    for (size_t at = 0; at < text.size();) {
        const size_t step = static_cast<unsigned char>(text[at]) >= 0x80 && at + 1 < text.size() ? 2 : 1;
        write -= step;
        out.replace(write, step, text, at, step);
        at += step;
    }
    return out;
}

void RaiseLow(std::vector<uint16_t>& table, int entry, unsigned value) {
    const unsigned low = table[entry] & 0xFF;
    if (value > low) table[entry] = static_cast<uint16_t>((table[entry] & 0xFF00) | value);
}

void RaiseHigh(std::vector<uint16_t>& table, int entry, unsigned value) {
    const unsigned high = table[entry] >> 8;
    if (value > high) table[entry] = static_cast<uint16_t>((table[entry] & 0x00FF) | (value << 8));
}

}  // namespace

uint32_t GetHash(const std::string& text) {
    uint32_t h = 0;
    for (unsigned char c : text) h = h * 31 + c;
    return h;
}

int GetHZNo(const std::string& text, size_t at) {
    if (at + 1 >= text.size()) return -1;
    const unsigned b1 = static_cast<unsigned char>(text[at]);
    const unsigned b2 = static_cast<unsigned char>(text[at + 1]);
    if (b1 < 0xA1 || b1 > 0xF7 || b2 < 0xA1 || b2 > 0xFE) return -1;
    return static_cast<int>(b1 * 94 + b2) - 15134;
}

int strcmp_l(const std::string& a, const std::string& b) { return Reversed(a).compare(Reversed(b)); }

void SetHZInfoEx(const std::string& text, std::vector<uint16_t>& table, bool fromEnd) {
    const size_t size = text.size();
    if (size < 2) return;
    const auto usable = [](int number) { return number >= 0 && number < kLastHz; };
    if (size < 4) {
        const int c = GetHZNo(text, fromEnd ? size - 2 : 0);
        if (usable(c)) RaiseLow(table, c, 1);
        return;
    }
    const int c1 = GetHZNo(text, fromEnd ? size - 2 : 0);
    const int c2 = GetHZNo(text, fromEnd ? size - 4 : 2);
    if (!usable(c1) || !usable(c2)) return;
    const unsigned length = static_cast<unsigned>(std::min<size_t>(size / 2, 255));
    RaiseLow(table, c1, length);
    RaiseHigh(table, c2, length);
}

}  // namespace zel
