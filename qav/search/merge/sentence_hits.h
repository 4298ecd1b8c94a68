// The list side of a join: its hits in the order they were added, reachable
// by sentence. Hits are gathered first and laid out by hash bucket once their
// number is known: the hits of a bucket then lie side by side, in the order
// they were added, so a look-up reads one short run of hits instead of
// following links across the whole table.
#pragma once

#include <cstdint>
#include <memory>
#include <new>
#include <vector>

#include "qav/search/atom/ret_info.h"

namespace qav {

class SentenceHits {
public:
    // Empties the table.
    void Clear();
    // Adds a hit; throws std::bad_alloc when memory is short.
    void Add(const CRetInfo& hit) {
        if (m_chunks.empty() || !m_lastIsOwn) {
            m_chunks.emplace_back();
            m_lastIsOwn = true;
        }
        m_chunks.back().push_back(hit);
    }
    // Adds the hits of every list in order, as Add would one by one; the
    // lists are taken over, not copied.
    void AddAll(std::vector<std::vector<CRetInfo>> lists);
    // Lays out the hits added so far by sentence; call once after the last
    // Add. Throws std::bad_alloc when memory is short or the table could not
    // count the hits.
    void Index();
    // Calls visit(hit) for every hit of exactly this sentence, the last added
    // first. Returns whether there was one.
    template <typename Visit>
    bool ForEachOfSentence(uint8_t fileNo, uint32_t position, Visit&& visit) const;
    // Asks the processor for the bucket of a sentence that a look-up soon
    // after will read, so that look-ups in a row overlap their memory waits.
    void Prefetch(uint8_t fileNo, uint32_t position) const {
        if (!m_start.empty()) __builtin_prefetch(&m_start[BucketOf(fileNo, position)]);
    }
    // Once the bucket is at hand (after Prefetch): asks for the hits of the
    // sentence's bucket; false when the bucket holds none.
    bool PrefetchHits(uint8_t fileNo, uint32_t position) const {
        if (m_start.empty()) return false;
        const uint32_t bucket = BucketOf(fileNo, position);
        if (m_start[bucket] == m_start[bucket + 1]) return false;
        __builtin_prefetch(m_hits.get() + m_start[bucket]);
        return true;
    }
    // Hits added or indexed.
    int64_t size() const;
    // Gives the memory back.
    void Release();

private:
    uint32_t BucketOf(uint8_t fileNo, uint32_t position) const {
        const uint64_t key = (uint64_t{fileNo} << 32) | position;
        return static_cast<uint32_t>((key * 0x9E3779B97F4A7C15ull) >> m_shift);
    }

    // Calls take(hit) for every hit not yet indexed, in the order added.
    template <typename Take>
    void ForEachAdded(Take&& take) const {
        for (const std::vector<CRetInfo>& chunk : m_chunks)
            for (const CRetInfo& hit : chunk) take(hit);
    }

    // Hits not yet indexed, in the order added: runs of Add, lists of AddAll.
    std::vector<std::vector<CRetInfo>> m_chunks;
    bool m_lastIsOwn = false;  // the last chunk takes the next Add
    // Indexed hits: by bucket, each bucket's in the order added. Not cleared
    // between joins: every place below m_count is written before it is read.
    std::unique_ptr<CRetInfo[]> m_hits;
    size_t m_count = 0;
    size_t m_capacity = 0;
    std::vector<uint32_t> m_start;  // per bucket: its first hit; one more entry ends the last
    int m_shift = 64;
};

template <typename Visit>
bool SentenceHits::ForEachOfSentence(uint8_t fileNo, uint32_t position, Visit&& visit) const {
    if (m_start.empty()) return false;
    const uint32_t bucket = BucketOf(fileNo, position);
    bool found = false;
    for (uint32_t i = m_start[bucket + 1]; i > m_start[bucket];) {
        const CRetInfo& hit = m_hits[--i];
        if (hit.file_no == fileNo && hit.position == position) {
            found = true;
            visit(hit);
        }
    }
    return found;
}

}  // namespace qav
