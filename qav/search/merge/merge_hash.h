// Integer hashes of the merge prefilters: Bob Jenkins' and Thomas Wang's
// published 32-bit mixes, and the key that folds a sentence into 32 bits.
#pragma once

#include <cstdint>

namespace qav {

inline uint32_t Hash_Jenkins(uint32_t key) {
    key = (key + 0x7ED55D16u) + (key << 12);
    key = (key ^ 0xC761C23Cu) ^ (key >> 19);
    key = (key + 0x165667B1u) + (key << 5);
    key = (key + 0xD3A2646Cu) ^ (key << 9);
    key = (key + 0xFD7046C5u) + (key << 3);
    key = (key ^ 0xB55A4F09u) ^ (key >> 16);
    return key;
}

inline uint32_t Hash_Tomas_Wang(uint32_t key) {
    key = ~key + (key << 15);
    key = key ^ (key >> 12);
    key = key + (key << 2);
    key = key ^ (key >> 4);
    key = key * 2057u;
    key = key ^ (key >> 16);
    return key;
}

// Prefilter key of a sentence: the data file number mixed into the position
// rotated by 8 bits, so that the same position in two files differs.
inline uint32_t CombineForHash(uint32_t sentencePosition, uint8_t fileNo) {
    return fileNo ^ ((sentencePosition << 8) | (sentencePosition >> 24));
}

}  // namespace qav
