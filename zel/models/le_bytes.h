// Little-endian reads and writes of the model files' integer fields.
#pragma once

#include <cstdint>
#include <string>

namespace zel {

inline uint16_t ReadU16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

inline int32_t ReadI32(const unsigned char* p) {
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                                (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24));
}

inline uint64_t ReadU40(const unsigned char* p) {
    uint64_t v = 0;
    for (int i = 4; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}

inline void AppendU16(std::string& out, uint16_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8));
}

inline void AppendI32(std::string& out, int32_t v) {
    const uint32_t u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((u >> (8 * i)) & 0xFF));
}

inline void AppendU40(std::string& out, uint64_t v) {
    for (int i = 0; i < 5; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

}  // namespace zel
