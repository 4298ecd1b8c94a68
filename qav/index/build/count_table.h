// The counting pass's table of one file group: how often each (text, type)
// occurs in the group. Every group meets nearly the whole vocabulary, so a
// build holds the vocabulary once per group while it counts; an entry here is
// its count, type and text (kept in blocks), not a unit table's node with its
// offsets, records and links, which made the groups' tables the build's
// largest memory.
//
// A walk gives the entries in the order a unit table of the same bucket count
// gives its nodes (bucket by bucket, each bucket in the order added), so that
// merging groups into the unit tables hands out the same identifiers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "qav/index/engine/hash_table.h"
#include "qav/index/engine/name_index.h"

namespace qav {

class CountTable {
public:
    // bucketCount 0 means CHashTable::kDefaultBucketCount.
    explicit CountTable(uint32_t bucketCount = 0);
    CountTable(const CountTable&) = delete;
    CountTable& operator=(const CountTable&) = delete;

    uint32_t bucket_count() const { return bucket_count_; }
    size_t size() const { return size_; }

    // The hash look-ups are keyed by, the one of the unit tables.
    static uint64_t NameHash(std::string_view name) { return CHashTable::NameHash(name); }
    // Asks for the slot, then for the entry, of a look-up ahead (see RowLookUp).
    void PrefetchSlot(uint64_t hash) const { names_.Prefetch(hash); }
    void PrefetchNode(uint64_t hash) const;

    // Adds count to (text, type), making the entry when missing; returns the
    // entry's place, which it keeps (places count the entries from 0 in the
    // order they were made).
    uint32_t Add(std::string_view text, int32_t type, uint32_t count) { return Add(text, type, count, NameHash(text)); }
    uint32_t Add(std::string_view text, int32_t type, uint32_t count, uint64_t hash);
    // The count of (text, type); 0 when it was never added.
    uint32_t Count(std::string_view text, int32_t type) const;

    // Calls f(place, text, type, count) for every entry, bucket by bucket
    // (CHashTable::HashText modulo the bucket count), each bucket in the order
    // its entries were added.
    template <typename F>
    void ForEach(F&& f) const {
        for (const uint32_t place : WalkOrder()) {
            const Entry& entry = At(place);
            f(place, std::string_view(entry.text, entry.length), entry.type, entry.count);
        }
    }

private:
    static constexpr uint32_t kNoEntry = UINT32_MAX;
    struct Entry {
        const char* text;
        uint32_t length;
        uint32_t count;
        int32_t type;
        uint32_t same_name;  // next entry of this text (another type), or kNoEntry
    };
    // Entries and texts live in blocks that never move, so that adding does
    // not copy what is there (a vector's doubling would, and would hold both
    // copies at once).
    static constexpr uint32_t kEntryBlockShift = 12;
    static constexpr size_t kTextBlockBytes = 64 * 1024;

    Entry& At(uint32_t place) {
        return entry_blocks_[place >> kEntryBlockShift][place & ((1u << kEntryBlockShift) - 1)];
    }
    const Entry& At(uint32_t place) const { return const_cast<CountTable*>(this)->At(place); }
    std::string_view TextAt(uint32_t place) const { return {At(place).text, At(place).length}; }
    size_t Find(std::string_view text, uint64_t hash) const;
    uint32_t NewEntry(const char* text, size_t length, int32_t type, uint32_t count);
    // A copy of text in the text blocks.
    const char* KeepText(std::string_view text);
    std::vector<uint32_t> WalkOrder() const;

    uint32_t bucket_count_;
    uint32_t size_ = 0;
    NameIndex names_;
    std::vector<std::unique_ptr<Entry[]>> entry_blocks_;
    std::vector<std::unique_ptr<char[]>> text_blocks_;
    char* text_block_ = nullptr;  // the block new texts go to, with its bytes left
    size_t text_block_left_ = 0;
};

}  // namespace qav
