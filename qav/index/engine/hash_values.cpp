#include "qav/index/engine/hash_values.h"

namespace qav {

namespace {

bool HasOddDivisor(int64_t n) {
    for (int64_t d = 3; d <= n / 3; d += 2)
        if (n % d == 0) return true;
    return false;
}

}  // namespace

int64_t Hash_Nearest_Prime_Rule(int64_t n) {
    if (n % 2 == 0) ++n;
    if (n <= 8) return n;
    while (HasOddDivisor(n)) n += 2;
    return n;
}

int64_t HashVal64(int64_t key, int64_t size) {
    if (size < 1) return 0;
    // Multiplications and the left shift wrap around as unsigned values;
    // right shifts are arithmetic on the signed value.
    uint64_t k = static_cast<uint64_t>(key);
    int64_t h = static_cast<int64_t>(~k + (k << 18));
    h ^= h >> 31;
    h = static_cast<int64_t>(static_cast<uint64_t>(h) * 21u);
    h ^= h >> 11;
    h = static_cast<int64_t>(static_cast<uint64_t>(h) * 65u);
    h ^= h >> 22;
    return h % size;
}

}  // namespace qav
