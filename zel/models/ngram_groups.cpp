#include "zel/models/ngram_groups.h"

#include <cstring>

#include "zel/models/le_bytes.h"

namespace zel {
namespace {

// Plain model: 2-byte code and value per trigram, then six list offsets.
constexpr ListLayout kPlainLists[] = {
    {2, 4, 2}, {4, 5, 3}, {4, 7, 5}, {4, 8, 6}, {4, 10, 8}, {4, 11, 9},
};
// Back-off model: code, probability and weight, then two list offsets.
constexpr ListLayout kBackoffLists[] = {
    {2, 6, 2},
    {4, 5, 3},
};
constexpr GroupLayout kPlain{28, 4, 6, kPlainLists};
constexpr GroupLayout kBackoff{14, 6, 2, kBackoffLists};

int64_t ListCount(const unsigned char* p, const ListLayout& list) {
    return list.countBytes == 2 ? qz::bytes::Load<uint16_t>(p) : qz::bytes::Load<int32_t>(p);
}

}  // namespace

const GroupLayout& LayoutOf(NgramKind kind) { return kind == NgramKind::Plain ? kPlain : kBackoff; }

bool GroupReader::CheckGroup(uint64_t groupOffset) const {
    if (groupOffset == 0) return true;
    if (groupOffset + 2 > size_) return false;
    const uint64_t trigrams = qz::bytes::Load<uint16_t>(data_ + groupOffset);
    if (groupOffset + 2 + trigrams * layout_.trigramBytes > size_) return false;
    const unsigned char* record = data_ + groupOffset + 2;
    for (uint64_t r = 0; r < trigrams; ++r, record += layout_.trigramBytes) {
        for (int l = 0; l < layout_.listCount; ++l) {
            const int32_t offset = qz::bytes::Load<int32_t>(record + layout_.firstListField + 4 * l);
            if (offset == -1) continue;
            const ListLayout& list = layout_.lists[l];
            if (offset < 0 || groupOffset + offset + list.countBytes > size_) return false;
            const int64_t count = ListCount(data_ + groupOffset + offset, list);
            if (count < 0 ||
                groupOffset + offset + list.countBytes + static_cast<uint64_t>(count) * list.recordBytes > size_)
                return false;
        }
    }
    return true;
}

const unsigned char* GroupReader::Search(const unsigned char* records, int64_t count, int recordBytes,
                                         const unsigned char* key, int keyBytes) const {
    int64_t lo = 0;
    int64_t hi = count - 1;
    while (lo <= hi) {
        const int64_t mid = lo + (hi - lo) / 2;
        const unsigned char* record = records + mid * recordBytes;
        const int c = std::memcmp(record, key, keyBytes);
        if (c == 0) return record;
        if (c < 0)
            lo = mid + 1;
        else
            hi = mid - 1;
    }
    return nullptr;
}

const unsigned char* GroupReader::FindTrigram(uint64_t groupOffset, const char* code) const {
    const unsigned char* group = data_ + groupOffset;
    return Search(group + 2, qz::bytes::Load<uint16_t>(group), layout_.trigramBytes,
                  reinterpret_cast<const unsigned char*>(code), 2);
}

const unsigned char* GroupReader::FindInList(uint64_t groupOffset, const unsigned char* trigram, int list,
                                             const unsigned char* key) const {
    const int32_t offset = qz::bytes::Load<int32_t>(trigram + layout_.firstListField + 4 * list);
    if (offset == -1) return nullptr;
    const ListLayout& layout = layout_.lists[list];
    const unsigned char* start = data_ + groupOffset + offset;
    return Search(start + layout.countBytes, ListCount(start, layout), layout.recordBytes, key, layout.keyBytes);
}

}  // namespace zel
