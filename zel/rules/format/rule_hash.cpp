#include "zel/rules/format/rule_hash.h"

#include <algorithm>

namespace zel {

uint32_t GetHash(std::string_view text) {
    uint32_t h = 0;
    for (unsigned char byte : text) h = h * 31 + byte;
    return h;
}

uint32_t hashValue(std::string_view text, uint32_t size) {
    uint32_t h = 0;
    for (char byte : text) h = h * 131 + static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(byte)));
    return size == 0 ? 0 : h % size;
}

int Hash_Nearest_Prime_Rule(int n) {
    if (n % 2 == 0) ++n;
    if (n <= 8) return n;
    for (;; n += 2) {
        bool prime = true;
        for (int d = 3; d <= n / 3; ++d) {
            if (n % d == 0) {
                prime = false;
                break;
            }
        }
        if (prime) return n;
    }
}

uint32_t GetHZNo(std::string_view text) {
    if (text.size() < 2) return kNoHZ;
    unsigned b1 = static_cast<unsigned char>(text[0]);
    unsigned b2 = static_cast<unsigned char>(text[1]);
    if (b1 < 0xA1 || b1 > 0xF7 || b2 < 0xA1 || b2 > 0xFE) return kNoHZ;
    return b1 * 94 + b2 - 15134;
}

std::string ReverseChars(std::string_view text) {
    std::string reversed(text.size(), '\0');
    size_t out = text.size();
    for (size_t i = 0; i < text.size();) {
        size_t width = (static_cast<unsigned char>(text[i]) >= 0x80 && i + 1 < text.size()) ? 2 : 1;
        out -= width;
        reversed.replace(out, width, text.substr(i, width));
        i += width;
    }
    return reversed;
}

int strcmp_l(std::string_view a, std::string_view b) {
    return ReverseChars(a).compare(ReverseChars(b));
}

namespace {

void RaiseByte(std::vector<uint16_t>& table, uint32_t entry, bool high, int value) {
    if (entry >= table.size()) return;
    value = std::min(value, 0xFF);
    uint16_t cell = table[entry];
    int current = high ? cell >> 8 : cell & 0xFF;
    if (current >= value) return;
    table[entry] = high ? static_cast<uint16_t>((cell & 0x00FF) | (value << 8))
                        : static_cast<uint16_t>((cell & 0xFF00) | value);
}

// The outer and inner character of a text: its first two characters, or
// with fromEnd its last two.
void OuterInner(std::string_view text, bool fromEnd, uint32_t& outer, uint32_t& inner) {
    if (fromEnd) {
        outer = GetHZNo(text.substr(text.size() - 2));
        inner = GetHZNo(text.substr(text.size() - 4, 2));
    } else {
        outer = GetHZNo(text);
        inner = GetHZNo(text.substr(2));
    }
}

}  // namespace

void SetHZInfoEx(std::string_view text, std::vector<uint16_t>& table, bool fromEnd) {
    int chars = static_cast<int>(text.size() / 2);
    if (chars == 1) {
        RaiseByte(table, GetHZNo(fromEnd ? text.substr(text.size() - 2) : text), false, 1);
        return;
    }
    if (chars < 2) return;
    uint32_t outer, inner;
    OuterInner(text, fromEnd, outer, inner);
    if (outer == kNoHZ || inner == kNoHZ) return;
    RaiseByte(table, outer, false, chars);
    RaiseByte(table, inner, true, chars);
}

int LengthBound(std::string_view text, const std::vector<uint16_t>& table, bool fromEnd) {
    if (text.empty() || table.empty()) return 0;
    if (table.size() == 1) return table[0];
    if (text.size() < 4) return 1;
    uint32_t outer, inner;
    OuterInner(text, fromEnd, outer, inner);
    // A character without a number has no entry: only the largest bound of
    // the table is safe then.
    if (outer >= table.size() || inner >= table.size()) {
        int longest = 0;
        for (uint16_t cell : table) longest = std::max({longest, cell & 0xFF, cell >> 8});
        return longest;
    }
    return std::max(table[outer] & 0xFF, table[inner] >> 8);
}

void FilterSet(std::vector<uint8_t>& filter, std::string_view text) {
    if (filter.empty()) return;
    uint32_t i = GetHash(text) % filter.size();
    filter[i] |= static_cast<uint8_t>(1u << (i % 8));
}

bool FilterHas(const std::vector<uint8_t>& filter, std::string_view text) {
    if (filter.empty()) return true;
    uint32_t i = GetHash(text) % filter.size();
    return (filter[i] & (1u << (i % 8))) != 0;
}

}  // namespace zel
