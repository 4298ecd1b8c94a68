// The hash, character numbers, reversed-character order and length-table
// entries that a compiled block's filter, sorted lists and length tables are
// made with; the loader and the matcher compute the same.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zel {

// h = h * 31 + byte over the unsigned bytes, from 0, 32-bit.
uint32_t GetHash(const std::string& text);
// Number of the two-byte character at text[at] (161 for 0xA1A1 up to 8,338
// for 0xF7FE), or -1.
int GetHZNo(const std::string& text, size_t at);
constexpr int kLastHz = 8338;
// Byte comparison of the two texts with their characters in reverse order (a
// byte of 0x80 or above starts a two-byte character that stays as it is).
int strcmp_l(const std::string& a, const std::string& b);
// Raises the length-table entries (kLastHz u16 values) for one text: from the
// first two characters, or from the last two when fromEnd is set.
void SetHZInfoEx(const std::string& text, std::vector<uint16_t>& table, bool fromEnd);

}  // namespace zel
