#include "qav/search/merge/sentence_hits.h"

namespace qav {

void SentenceHits::Clear() {
    m_hits.clear();
    m_next.clear();
    m_buckets.clear();
    m_shift = 64;
}

void SentenceHits::AddAll(const std::vector<std::vector<CRetInfo>>& lists) {
    size_t total = m_hits.size();
    for (const std::vector<CRetInfo>& list : lists) {
        total += list.size();
        if (total > static_cast<size_t>(INT32_MAX)) throw std::bad_alloc();
    }
    m_hits.reserve(total);
    for (const std::vector<CRetInfo>& list : lists) m_hits.insert(m_hits.end(), list.begin(), list.end());
}

void SentenceHits::Index() {
    // At least as many buckets as hits: chains stay about one hit long.
    int bits = 4;
    while (bits < 31 && (size_t{1} << bits) < m_hits.size()) ++bits;
    m_shift = 64 - bits;
    m_buckets.assign(size_t{1} << bits, kEnd);
    m_next.resize(m_hits.size());
    for (size_t i = 0; i < m_hits.size(); ++i) {
        int32_t& head = m_buckets[BucketOf(m_hits[i].file_no, m_hits[i].position)];
        m_next[i] = head;
        head = static_cast<int32_t>(i);
    }
}

void SentenceHits::Release() {
    std::vector<CRetInfo>().swap(m_hits);
    std::vector<int32_t>().swap(m_next);
    std::vector<int32_t>().swap(m_buckets);
    m_shift = 64;
}

}  // namespace qav
