#include "qav/index/build/count_table.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace qav {

CountTable::CountTable(uint32_t bucketCount)
    : bucket_count_(bucketCount ? bucketCount : CHashTable::kDefaultBucketCount) {}

size_t CountTable::Find(std::string_view text, uint64_t hash) const {
    return names_.Find(text, hash, [this](uint32_t place) { return TextAt(place); });
}

void CountTable::PrefetchNode(uint64_t hash) const {
    uint32_t first = 0;
    if (!names_.FirstProbe(hash, &first)) return;
    const Entry& entry = At(first);
    __builtin_prefetch(&entry);
    __builtin_prefetch(entry.text);
}

uint32_t CountTable::Add(std::string_view text, int32_t type, uint32_t count, uint64_t hash) {
    names_.MakeRoom([this](uint32_t place) { return TextAt(place); }, NameHash);
    const size_t slot = Find(text, hash);
    if (!names_.Used(slot)) {
        const uint32_t added = NewEntry(KeepText(text), text.size(), type, count);
        names_.Fill(slot, hash, added);
        return added;
    }
    uint32_t place = names_.First(slot);
    for (;; place = At(place).same_name) {
        if (At(place).type == type) {
            At(place).count += count;
            return place;
        }
        if (At(place).same_name == kNoEntry) break;
    }
    // A new type of a known text shares its bytes and follows its other types.
    const uint32_t added = NewEntry(At(place).text, text.size(), type, count);
    At(place).same_name = added;
    return added;
}

uint32_t CountTable::Count(std::string_view text, int32_t type) const {
    if (names_.empty()) return 0;
    const size_t slot = Find(text, NameHash(text));
    if (!names_.Used(slot)) return 0;
    for (uint32_t place = names_.First(slot); place != kNoEntry; place = At(place).same_name)
        if (At(place).type == type) return At(place).count;
    return 0;
}

uint32_t CountTable::NewEntry(const char* text, size_t length, int32_t type, uint32_t count) {
    const uint32_t place = size_++;
    if ((place >> kEntryBlockShift) == entry_blocks_.size())
        entry_blocks_.push_back(std::make_unique<Entry[]>(size_t{1} << kEntryBlockShift));
    At(place) = Entry{text, static_cast<uint32_t>(length), count, type, kNoEntry};
    return place;
}

const char* CountTable::KeepText(std::string_view text) {
    char* at = nullptr;
    if (text.size() > kTextBlockBytes) {  // a block of its own; the current block stays for the next texts
        text_blocks_.push_back(std::make_unique<char[]>(text.size()));
        at = text_blocks_.back().get();
    } else {
        if (text.size() > text_block_left_) {
            text_blocks_.push_back(std::make_unique<char[]>(kTextBlockBytes));
            text_block_ = text_blocks_.back().get();
            text_block_left_ = kTextBlockBytes;
        }
        at = text_block_ + (kTextBlockBytes - text_block_left_);
        text_block_left_ -= text.size();
    }
    if (!text.empty()) std::memcpy(at, text.data(), text.size());
    return at;
}

std::vector<uint32_t> CountTable::WalkOrder() const {
    // Entries sit in the order added, so ordering their places by bucket,
    // then place, gives each bucket in the order its entries were added.
    std::vector<std::pair<uint32_t, uint32_t>> order(size_);
    for (uint32_t place = 0; place < size_; ++place)
        order[place] = {CHashTable::HashText(TextAt(place)) % bucket_count_, place};
    std::sort(order.begin(), order.end());
    std::vector<uint32_t> places(size_);
    for (uint32_t k = 0; k < size_; ++k) places[k] = order[k].second;
    return places;
}

}  // namespace qav
