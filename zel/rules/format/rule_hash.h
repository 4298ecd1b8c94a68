// Hash and character helpers shared by rule networks, word tables and the
// compiler: the first-word filter hash, the name-table bucket hash, prime
// table sizes, the GBK character number and the reversed-character order.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zel {

// Character number of the last two-byte GBK character with a number
// (F7FE); the length tables of a large block have this many entries.
constexpr int kLastHZ = 8338;
constexpr uint32_t kNoHZ = 0xFFFFFFFF;

// h = h * 31 + byte over the unsigned bytes, from 0.
uint32_t GetHash(std::string_view text);
// h = h * 131 + byte over the bytes taken as signed, then h mod size.
uint32_t hashValue(std::string_view text, uint32_t size);
// n made odd, then (above 8) the first odd number from there with no
// divisor between 3 and a third of it.
int Hash_Nearest_Prime_Rule(int n);
// b1 * 94 + b2 - 15134 for b1 in A1..F7 and b2 in A1..FE; kNoHZ otherwise
// or for a text shorter than two bytes.
uint32_t GetHZNo(std::string_view text);
// Byte order of both texts with their characters reversed; a byte of 0x80
// or above starts a two-byte character that keeps its own byte order.
int strcmp_l(std::string_view a, std::string_view b);
// The characters of text in reverse order, as strcmp_l compares them.
std::string ReverseChars(std::string_view text);

// Raises the length-table entries (kLastHZ of them) for one text: from the
// first two characters, or with fromEnd from the last two (the low byte of
// the entry of the outer character, the high byte of the inner one).
void SetHZInfoEx(std::string_view text, std::vector<uint16_t>& table, bool fromEnd);
// The longest word (in characters) that a length table allows for a text
// starting (or with fromEnd ending) with the given characters; a table of
// one entry holds the bound for every text.
int LengthBound(std::string_view text, const std::vector<uint16_t>& table, bool fromEnd);

// First-word filter: bit (i mod 8) of byte i, i = GetHash(text) mod size.
void FilterSet(std::vector<uint8_t>& filter, std::string_view text);
// An empty filter passes every text.
bool FilterHas(const std::vector<uint8_t>& filter, std::string_view text);

}  // namespace zel
