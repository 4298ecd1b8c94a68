// What the joins make of a complete search of one loaded index and keep for
// the joins after it: made once per index (its offset file generation, above
// 0) and search (its unit, kind and segments), the least recently used going
// first beyond a budget of bytes. A value is made for one join alone under
// generation 0 (no loaded index) or for a search without a unit (one filled
// by hand), which has nothing to name its records by.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "qav/search/atom/atom_ret.h"

namespace qav {

// What names the records of a search within one loaded index: its unit and
// kind, and where its segments lie in their units' records.
struct SearchKey {
    uint64_t generation = 0;
    std::string unit;
    UnitType type{};
    std::vector<std::pair<uint64_t, int32_t>> segments;  // offset, count

    bool operator==(const SearchKey& other) const {
        return generation == other.generation && type == other.type && unit == other.unit &&
               segments == other.segments;
    }
};

inline SearchKey KeyOf(uint64_t generation, const CAtomRet& atom) {
    SearchKey key{generation, atom.m_Query.unit, atom.m_Query.type, {}};
    for (int s = 0; s < atom.m_nSegCount; ++s)
        key.segments.emplace_back(atom.m_SegOffset[static_cast<size_t>(s)], atom.m_SegCount[static_cast<size_t>(s)]);
    return key;
}

// Values of type T (with a Bytes() member) kept by search. Safe to use from
// several threads at once.
template <typename T>
class KeptSearches {
public:
    explicit KeptSearches(size_t budget) : m_budget(budget) {}

    // The value of atom under generation: the kept one, or one that
    // fill(T&, cut) makes, returning whether the search can be taken (null
    // when not; a refusal is kept as well). When the query time runs out
    // while it is made (cut), what was made is given for this join only.
    template <typename Fill>
    std::shared_ptr<const T> Of(const CAtomRet& atom, uint64_t generation, bool& cut, Fill&& fill) {
        cut = false;
        const bool shared = generation > 0 && !atom.m_Query.unit.empty();
        SearchKey key;
        if (shared) {
            key = KeyOf(generation, atom);
            std::lock_guard<std::mutex> lock(m_mutex);
            if (Kept* kept = Find(key)) {
                kept->lastUse = ++m_useClock;
                return kept->value;
            }
        }
        auto value = std::make_shared<T>();
        const bool taken = fill(*value, cut);
        if (cut || !shared) return taken ? value : nullptr;
        std::lock_guard<std::mutex> lock(m_mutex);
        return Keep(std::move(key), taken ? std::move(value) : nullptr);
    }

    // Gives back the memory of the values kept (joins still holding some
    // keep theirs until they end).
    void Drop() {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::vector<Kept>().swap(m_kept);
    }

private:
    struct Kept {
        SearchKey key;
        std::shared_ptr<const T> value;  // null: the search was refused
        uint64_t lastUse;
    };

    // Holds m_mutex.
    Kept* Find(const SearchKey& key) {
        for (Kept& kept : m_kept)
            if (kept.key == key) return &kept;
        return nullptr;
    }

    // Keeps value unless another thread kept one meanwhile, which it then
    // gives; drops the entries of other indexes and the least recently used
    // beyond the budget. Holds m_mutex.
    std::shared_ptr<const T> Keep(SearchKey key, std::shared_ptr<const T> value) {
        m_kept.erase(std::remove_if(m_kept.begin(), m_kept.end(),
                                    [&](const Kept& kept) { return kept.key.generation != key.generation; }),
                     m_kept.end());
        if (Kept* kept = Find(key)) return kept->value;
        m_kept.push_back({std::move(key), value, ++m_useClock});
        auto bytes = [this] {
            size_t total = 0;
            for (const Kept& kept : m_kept) total += kept.value ? kept.value->Bytes() : 0;
            return total;
        };
        while (m_kept.size() > 1 && bytes() > m_budget) {
            auto oldest = std::min_element(m_kept.begin(), m_kept.end(),
                                           [](const Kept& a, const Kept& b) { return a.lastUse < b.lastUse; });
            m_kept.erase(oldest);
        }
        return value;
    }

    const size_t m_budget;
    std::mutex m_mutex;
    std::vector<Kept> m_kept;  // under m_mutex
    uint64_t m_useClock = 0;   // under m_mutex
};

}  // namespace qav
