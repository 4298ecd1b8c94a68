// The list side of a join: its hits in the order they were added, reachable
// by sentence. Hits are gathered first and chained once their number is
// known, so the buckets fit them (a power of two, one 32-bit link each)
// instead of a fixed table that would have to be cleared for every join.
#pragma once

#include <cstdint>
#include <new>
#include <vector>

#include "qav/search/atom/ret_info.h"

namespace qav {

class SentenceHits {
public:
    // Empties the table, keeping its memory.
    void Clear();
    // Adds a hit; throws std::bad_alloc when memory is short or the links
    // could not count it.
    void Add(const CRetInfo& hit) {
        if (m_hits.size() >= static_cast<size_t>(INT32_MAX)) throw std::bad_alloc();
        m_hits.push_back(hit);
    }
    // Adds the hits of every list in order, as Add would one by one, with
    // room for all of them made at once.
    void AddAll(const std::vector<std::vector<CRetInfo>>& lists);
    // Chains the hits added so far by sentence; call once after the last Add.
    void Index();
    // Calls visit(hit) for every hit of exactly this sentence, the last added
    // first. Returns whether there was one.
    template <typename Visit>
    bool ForEachOfSentence(uint8_t fileNo, uint32_t position, Visit&& visit) const;
    int64_t size() const { return static_cast<int64_t>(m_hits.size()); }
    // Gives the memory back.
    void Release();

private:
    static constexpr int32_t kEnd = -1;
    uint32_t BucketOf(uint8_t fileNo, uint32_t position) const {
        const uint64_t key = (uint64_t{fileNo} << 32) | position;
        return static_cast<uint32_t>((key * 0x9E3779B97F4A7C15ull) >> m_shift);
    }

    std::vector<CRetInfo> m_hits;
    std::vector<int32_t> m_next;     // per hit: the hit added before it in its bucket
    std::vector<int32_t> m_buckets;  // per bucket: the hit added last
    int m_shift = 64;
};

template <typename Visit>
bool SentenceHits::ForEachOfSentence(uint8_t fileNo, uint32_t position, Visit&& visit) const {
    if (m_buckets.empty()) return false;
    bool found = false;
    for (int32_t i = m_buckets[BucketOf(fileNo, position)]; i != kEnd; i = m_next[static_cast<size_t>(i)]) {
        const CRetInfo& hit = m_hits[static_cast<size_t>(i)];
        if (hit.file_no == fileNo && hit.position == position) {
            found = true;
            visit(hit);
        }
    }
    return found;
}

}  // namespace qav
