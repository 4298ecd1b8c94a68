// Hash helpers shared by the index's hash tables.
#pragma once

#include <cstdint>

namespace qav {

// n made odd (n + 1 when even); above 8, the first odd number from there on
// that no number from 3 to a third of it divides. Used to size bucket arrays.
int64_t Hash_Nearest_Prime_Rule(int64_t n);

// 64-bit integer hash (shift-add-xor mix) of key, as the remainder by size.
// The last xor with an arithmetic shift clears the sign bit, so the result
// lies in [0, size). 0 for a size below 1.
int64_t HashVal64(int64_t key, int64_t size);

}  // namespace qav
