// Tests on eight bytes of text at a time, for scans of long texts that are
// mostly plain ASCII (answers, lists of documents).
#pragma once

#include <cstdint>
#include <cstring>

namespace qz::words {

constexpr uint64_t kEachByte = 0x0101010101010101u;
constexpr uint64_t kHighBits = 0x8080808080808080u;

// The eight bytes at p, in any alignment.
inline uint64_t Load(const char* p) {
    uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// Whether any byte has its high bit set (is not ASCII).
constexpr bool HasHighByte(uint64_t word) { return (word & kHighBits) != 0; }
// Whether any byte is zero.
constexpr bool HasZeroByte(uint64_t word) { return ((word - kEachByte) & ~word & kHighBits) != 0; }
// Whether any byte below 128 is below limit (at most 128).
constexpr bool HasByteBelow(uint64_t word, unsigned char limit) {
    return ((word - kEachByte * limit) & ~word & kHighBits) != 0;
}
// Whether any byte equals c.
constexpr bool HasByte(uint64_t word, unsigned char c) { return HasZeroByte(word ^ (kEachByte * c)); }

}  // namespace qz::words
