#include "qav/search/merge/sentence_hits.h"

#include <algorithm>
#include <utility>

#include "qav/search/merge/parallel_shares.h"

namespace qav {

void SentenceHits::Clear() {
    m_chunks.clear();
    m_lastIsOwn = false;
    m_count = 0;
    m_start.clear();
    m_shift = 64;
}

void SentenceHits::AddAll(std::vector<std::vector<CRetInfo>> lists) {
    for (std::vector<CRetInfo>& list : lists) {
        if (list.empty()) continue;
        m_chunks.push_back(std::move(list));
        m_lastIsOwn = false;
    }
}

int64_t SentenceHits::size() const {
    size_t total = m_count;
    for (const std::vector<CRetInfo>& chunk : m_chunks) total += chunk.size();
    return static_cast<int64_t>(total);
}

void SentenceHits::Index() {
    // Hits indexed before go through the layout again, ahead of the new ones.
    if (m_count > 0) {
        m_chunks.insert(m_chunks.begin(), std::vector<CRetInfo>(m_hits.get(), m_hits.get() + m_count));
        m_count = 0;
    }
    const size_t total = static_cast<size_t>(size());
    if (total >= static_cast<size_t>(UINT32_MAX)) throw std::bad_alloc();
    // About four hits per bucket: a bucket's run mostly fits one cache line,
    // and the bucket table stays small enough to be counted into quickly.
    int bits = 4;
    while (bits < 31 && (size_t{4} << bits) < total) ++bits;
    m_shift = 64 - bits;
    const size_t buckets = size_t{1} << bits;
    if (total > m_capacity) {
        m_hits.reset();
        m_hits.reset(new CRetInfo[total]);
        m_capacity = total;
    }
    m_start.assign(buckets + 1, 0);

    // A counting sort by bucket, stable: every bucket keeps the order added.
    // Large tables are laid out by several threads, each owning a range of
    // buckets: it reads every hit in order and places those of its range.
    const int shares = total >= static_cast<size_t>(kSharedPassFrom) ? PassShares() : 1;
    auto bucketRange = [&](int share, uint32_t bucket) {
        return static_cast<int>((uint64_t{bucket} * static_cast<uint64_t>(shares)) >> bits) == share;
    };
    RunShares(shares, [&](int share) {
        ForEachAdded([&](const CRetInfo& hit) {
            const uint32_t bucket = BucketOf(hit.file_no, hit.position);
            if (bucketRange(share, bucket)) ++m_start[bucket + 1];
        });
    });
    for (size_t b = 1; b <= buckets; ++b) m_start[b] += m_start[b - 1];
    // Each bucket's next free place, moved on as its hits are placed: it ends
    // at the next bucket's first place, and is set back below.
    RunShares(shares, [&](int share) {
        ForEachAdded([&](const CRetInfo& hit) {
            const uint32_t bucket = BucketOf(hit.file_no, hit.position);
            if (bucketRange(share, bucket)) m_hits[m_start[bucket]++] = hit;
        });
    });
    for (size_t b = buckets; b > 0; --b) m_start[b] = m_start[b - 1];
    m_start[0] = 0;
    m_count = total;
    m_chunks.clear();
    m_lastIsOwn = false;
}

void SentenceHits::Release() {
    Clear();
    m_chunks.shrink_to_fit();
    m_hits.reset();
    m_capacity = 0;
    std::vector<uint32_t>().swap(m_start);
}

}  // namespace qav
