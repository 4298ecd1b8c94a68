#include "qav/index/build/sort_keys.h"

#include <cstring>

namespace qav {

int CompareKeyed(const void* a, const void* b, void* context) {
    const auto* keyedA = static_cast<const unsigned char*>(a);
    const auto* keyedB = static_cast<const unsigned char*>(b);
    // Keys are stored in the machine's order; they are read back the same way.
    uint64_t highA, highB, lowA, lowB;
    std::memcpy(&highA, keyedA, 8);
    std::memcpy(&highB, keyedB, 8);
    if (highA != highB) return highA < highB ? -1 : 1;
    std::memcpy(&lowA, keyedA + 8, 8);
    std::memcpy(&lowB, keyedB + 8, 8);
    if (lowA != lowB) return lowA < lowB ? -1 : 1;
    const auto& order = *static_cast<const KeyedOrder*>(context);
    return order.compare(keyedA + kSortKeyBytes, keyedB + kSortKeyBytes, order.context);
}

void AddSortKeys(const unsigned char* records, size_t count, size_t width, UnitType kind, const RecordSortKeys& keys,
                 unsigned char* keyed) {
    // Records point all over the corpus: the words of a record some places
    // ahead are fetched while this one's key is made.
    constexpr size_t kAhead = 8;
    for (size_t i = 0; i < count; ++i, records += width, keyed += kSortKeyBytes + width) {
        if (i + kAhead < count) keys.Prefetch(records + kAhead * width, kind);
        const RecordSortKey key = keys.Make(records, kind);
        std::memcpy(keyed, &key.high, 8);
        std::memcpy(keyed + 8, &key.low, 8);
        std::memcpy(keyed + kSortKeyBytes, records, width);
    }
}

void DropSortKeys(const unsigned char* keyed, size_t count, size_t width, unsigned char* records) {
    for (size_t i = 0; i < count; ++i, records += width, keyed += kSortKeyBytes + width)
        std::memcpy(records, keyed + kSortKeyBytes, width);
}

}  // namespace qav
