// Keys of the n-gram lists: raw two-byte character codes and the three-byte
// pair keys, both compared byte-wise.
#pragma once

#include <cstdint>
#include <cstring>

namespace zel {

class CHZInfo;

constexpr int kPairKeyBytes = 3;

// The low three bytes, little-endian, of (i(a) << 20) | (i(b) << 8). The high
// bits of i(a) are dropped: existing files use exactly this packing, so pairs
// whose first indexes agree in their low 4 bits share a key.
inline void PackPairKey(int indexA, int indexB, unsigned char out[kPairKeyBytes]) {
    const uint32_t v = (static_cast<uint32_t>(indexA) << 20) | (static_cast<uint32_t>(indexB) << 8);
    out[0] = static_cast<unsigned char>(v & 0xFF);
    out[1] = static_cast<unsigned char>((v >> 8) & 0xFF);
    out[2] = static_cast<unsigned char>((v >> 16) & 0xFF);
}

// Writes the pair key of the first two characters of text; false when either
// is not in the table.
bool Encode2HZ(const CHZInfo& table, const char* text, unsigned char out[kPairKeyBytes]);

// Record comparators of the lists: the first k bytes in byte order.
template <int K>
int CompareKeyBytes(const void* a, const void* b) {
    return std::memcmp(a, b, K);
}

inline int CMP_3(const void* a, const void* b) { return CompareKeyBytes<3>(a, b); }
inline int CMP_5(const void* a, const void* b) { return CompareKeyBytes<5>(a, b); }
inline int CMP_6(const void* a, const void* b) { return CompareKeyBytes<6>(a, b); }
inline int CMP_8(const void* a, const void* b) { return CompareKeyBytes<8>(a, b); }
inline int CMP_9(const void* a, const void* b) { return CompareKeyBytes<9>(a, b); }

}  // namespace zel
