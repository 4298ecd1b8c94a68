// Little-endian encoding of the fixed-width numbers in index files. Values are
// copied byte by byte with memcpy; the index files are little-endian, and so
// are the hosts this library is built for.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "index files are read and written in host byte order, which must be little-endian");

namespace qz::bytes {

template <typename T>
inline T Load(const unsigned char* p) {
    T value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

template <typename T>
inline void Store(unsigned char* p, T value) {
    std::memcpy(p, &value, sizeof value);
}

// Appends the bytes of value to out.
template <typename T>
inline void Append(std::string& out, T value) {
    char bytes[sizeof value];
    std::memcpy(bytes, &value, sizeof value);
    out.append(bytes, sizeof value);
}

}  // namespace qz::bytes
