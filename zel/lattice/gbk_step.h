// Stepping through GBK text: a byte of 0x81 or above starts a two-byte
// character, whose trail byte is never read as ASCII punctuation.
#pragma once

#include <cstddef>

namespace zel {

inline bool IsGbkLead(unsigned char byte) { return byte >= 0x81; }

// Bytes of the character at p: 2 for a whole two-byte character, 1 for a
// single byte, 0 for a lead byte with nothing after it (dropped by callers).
inline size_t GbkCharBytes(const char* p) {
    if (!IsGbkLead(static_cast<unsigned char>(*p))) return 1;
    return p[1] ? 2 : 0;
}

}  // namespace zel
