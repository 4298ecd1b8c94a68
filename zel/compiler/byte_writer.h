// Little-endian appends for the compiler's binary files, byte by byte.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

namespace zel {

template <typename T>
inline void AppendLE(std::string& out, T value) {
    unsigned char bytes[sizeof value];
    std::memcpy(bytes, &value, sizeof value);
    if constexpr (__BYTE_ORDER__ == __ORDER_BIG_ENDIAN__) {
        for (size_t i = 0; i < sizeof value / 2; ++i) std::swap(bytes[i], bytes[sizeof value - 1 - i]);
    }
    out.append(reinterpret_cast<const char*>(bytes), sizeof value);
}

inline void AppendI32(std::string& out, int32_t value) { AppendLE(out, value); }
inline void AppendU32(std::string& out, uint32_t value) { AppendLE(out, value); }
// An i32 length, then the bytes.
inline void AppendText(std::string& out, const std::string& text) {
    AppendI32(out, static_cast<int32_t>(text.size()));
    out += text;
}

}  // namespace zel
