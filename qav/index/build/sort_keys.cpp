#include "qav/index/build/sort_keys.h"

#include <cstring>

namespace qav {

namespace {

const unsigned char* ContextWordsOf(const unsigned char* keyed) { return keyed + kSortKeyBytes; }

}  // namespace

size_t KeyedContextWords(const RecordCompareContext& corpus) {
    const int window = corpus.sortCompWordLen;
    return window > 0 && window <= kMaxKeyedContextWords ? static_cast<size_t>(window) : 0;
}

size_t KeyedRecordBytes(const RecordCompareContext& corpus, size_t width) {
    return kSortKeyBytes + 4 * KeyedContextWords(corpus) + width;
}

KeyedOrder KeyedOrderOf(zq_compare_ex_fn compare, void* context, const RecordCompareContext& corpus, UnitType kind) {
    // Kinds 3 and 5 read their context leftward from the anchor, kind 4 rightward.
    return {compare, context, &corpus, KeyedContextWords(corpus), kind != UNIT_POS_R};
}

int CompareEqualKeys(const unsigned char* a, const unsigned char* b, const KeyedOrder& order) {
    const size_t idBytes = 4 * order.words;
    uint64_t low = 0;
    std::memcpy(&low, a + 8, 8);
    // A key's last byte is its text's length, at most kPrefixBytes, except in
    // the keys of records without a full context; those are left to the
    // comparator.
    if (order.words > 0 && (low & 0xFF) <= RecordSortKeys::kPrefixBytes) {
        if (std::memcmp(ContextWordsOf(a), ContextWordsOf(b), idBytes) == 0) return 0;
        uint32_t wordsA[kMaxKeyedContextWords];
        uint32_t wordsB[kMaxKeyedContextWords];
        std::memcpy(wordsA, ContextWordsOf(a), idBytes);
        std::memcpy(wordsB, ContextWordsOf(b), idBytes);
        return CompareContextWords(*order.corpus, wordsA, wordsB, order.leftward);
    }
    return order.compare(a + kSortKeyBytes + idBytes, b + kSortKeyBytes + idBytes, order.context);
}

int CompareKeyed(const void* a, const void* b, void* context) {
    return CompareKeyedRecords(static_cast<const unsigned char*>(a), static_cast<const unsigned char*>(b),
                               *static_cast<const KeyedOrder*>(context));
}

void AddSortKeys(const unsigned char* records, size_t count, size_t width, UnitType kind, const RecordSortKeys& keys,
                 unsigned char* keyed) {
    // Records point all over the corpus: the words of a record some places
    // ahead are fetched while this one's key is made.
    constexpr size_t kAhead = 8;
    const size_t words = KeyedContextWords(keys.corpus());
    const size_t keyedBytes = kSortKeyBytes + 4 * words + width;
    uint32_t ids[kMaxKeyedContextWords];
    for (size_t i = 0; i < count; ++i, records += width, keyed += keyedBytes) {
        if (i + kAhead < count) keys.Prefetch(records + kAhead * width, kind);
        const RecordSortKey key = words > 0 ? keys.Make(records, kind, ids) : keys.Make(records, kind);
        std::memcpy(keyed, &key.high, 8);
        std::memcpy(keyed + 8, &key.low, 8);
        std::memcpy(keyed + kSortKeyBytes, ids, 4 * words);
        std::memcpy(keyed + kSortKeyBytes + 4 * words, records, width);
    }
}

void DropSortKeys(const unsigned char* keyed, size_t count, size_t width, const RecordCompareContext& corpus,
                  unsigned char* records) {
    const size_t skipped = kSortKeyBytes + 4 * KeyedContextWords(corpus);
    for (size_t i = 0; i < count; ++i, records += width, keyed += skipped + width)
        std::memcpy(records, keyed + skipped, width);
}

}  // namespace qav
