// Open-addressing index from a name to the first of a table's entries with
// that name. A slot holds the entry's place and a tag from the name's hash
// (0 marks a free slot): eight bytes instead of a full hash and a pointer, as
// a build holds one table per file group and the index is a large part of
// each. The table owns the names; the index asks it for them by place.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace qav {

class NameIndex {
public:
    bool empty() const { return slots_.empty(); }
    // Empties the index and gives its slots' memory back.
    void Clear() {
        std::vector<Slot>().swap(slots_);
        used_ = 0;
    }

    // The slot of that name, or the free slot where it would go; nameAt(place)
    // is the name of the entry at place. The index must not be empty.
    template <typename NameAt>
    size_t Find(std::string_view name, uint64_t hash, NameAt nameAt) const {
        const size_t mask = slots_.size() - 1;
        const uint32_t tag = Tag(hash);
        for (size_t at = hash & mask;; at = (at + 1) & mask) {
            const Slot& slot = slots_[at];
            if (slot.tag == 0 || (slot.tag == tag && nameAt(slot.first) == name)) return at;
        }
    }
    bool Used(size_t slot) const { return slots_[slot].tag != 0; }
    uint32_t First(size_t slot) const { return slots_[slot].first; }
    // Fills a free slot that Find returned.
    void Fill(size_t slot, uint64_t hash, uint32_t first) {
        slots_[slot] = Slot{Tag(hash), first};
        ++used_;
    }

    // Makes room for one more name before a Find that may fill a slot: at
    // most half the slots in use keeps the probes short. The slots keep no
    // full hash, so each name's hash comes anew from hashOf(name).
    template <typename NameAt, typename HashOf>
    void MakeRoom(NameAt nameAt, HashOf hashOf) {
        if ((used_ + 1) * 2 <= slots_.size()) return;
        std::vector<Slot> old(std::max(slots_.size() * 2, kFirstSlots));
        old.swap(slots_);
        for (const Slot& slot : old) {
            if (slot.tag == 0) continue;
            const std::string_view name = nameAt(slot.first);
            slots_[Find(name, hashOf(name), nameAt)] = slot;
        }
    }

    // Asks the processor for the slot a look-up of hash starts at.
    void Prefetch(uint64_t hash) const {
        if (!slots_.empty()) __builtin_prefetch(&slots_[hash & (slots_.size() - 1)]);
    }
    // The entry named by the first slot a look-up of hash probes, when that
    // slot carries the hash's tag: a hint of where the look-up will end, as a
    // name further along is rare at half load.
    bool FirstProbe(uint64_t hash, uint32_t* first) const {
        if (slots_.empty()) return false;
        const Slot& slot = slots_[hash & (slots_.size() - 1)];
        if (slot.tag != Tag(hash)) return false;
        *first = slot.first;
        return true;
    }

private:
    struct Slot {
        uint32_t tag = 0;
        uint32_t first = 0;
    };
    static constexpr size_t kFirstSlots = 64;

    // Never 0, so that a used slot is told from a free one.
    static uint32_t Tag(uint64_t hash) { return static_cast<uint32_t>(hash >> 32) | 1; }

    std::vector<Slot> slots_;  // a power of two long
    size_t used_ = 0;
};

}  // namespace qav
