// Fixed-width little-endian fields of the model files: the shared codec for
// 16- and 32-bit numbers, and the 40-bit group offsets of the pair table.
#pragma once

#include <cstdint>
#include <string>

#include "common/platform/byte_codec.h"

namespace zel {

inline uint64_t ReadU40(const unsigned char* p) {
    uint64_t v = 0;
    for (int i = 4; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}

inline void AppendU40(std::string& out, uint64_t v) {
    for (int i = 0; i < 5; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

}  // namespace zel
