// Stepping through GBK text one character at a time.
#pragma once

#include <cstddef>
#include <string_view>

namespace qz {

// Two ways of stepping. GbkCharLen checks the trail byte and is what every
// scanner of query and tree texts uses. GbkLeadCharLen looks at the first byte
// alone; the index builder splits corpus words into units that way, and the
// units already stored in index files depend on it, so it stays.

// Bytes of the character at p (left > 0 bytes remain): two for a lead byte
// followed by a trail byte, otherwise one. Scanners step by this so that a
// trail byte such as 0x5B or 0x7C is never taken for "[" or "|".
inline size_t GbkCharLen(const char* p, size_t left) {
    const unsigned char lead = static_cast<unsigned char>(p[0]);
    if (lead >= 0x81 && lead <= 0xFE && left >= 2) {
        const unsigned char trail = static_cast<unsigned char>(p[1]);
        if (trail >= 0x40 && trail <= 0xFE && trail != 0x7F) return 2;
    }
    return 1;
}

// Bytes of the character starting with byte c by that byte alone: two for any
// byte of 0x80 or above, whatever follows it.
inline size_t GbkLeadCharLen(char c) { return static_cast<unsigned char>(c) >= 0x80 ? 2 : 1; }

// A character of the GB2312 Han rows: lead 0xB0-0xF7, trail 0xA1-0xFE.
inline bool IsGb2312Han(unsigned char lead, unsigned char trail) {
    return lead >= 0xB0 && lead <= 0xF7 && trail >= 0xA1 && trail <= 0xFE;
}

// Bytes of the longest head of text, at most limit bytes, that does not split
// a two-byte character.
inline size_t GbkPrefixLength(std::string_view text, size_t limit) {
    if (text.size() <= limit) return text.size();
    size_t at = 0;
    while (at < text.size()) {
        const size_t step = GbkCharLen(text.data() + at, text.size() - at);
        if (at + step > limit) break;
        at += step;
    }
    return at;
}

}  // namespace qz
