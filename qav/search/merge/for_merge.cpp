#include "qav/search/merge/for_merge.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "qav/search/merge/merge_hash.h"

namespace qav {

namespace {

// Sizes come from the configuration and from hit counts; keep them in int.
int ClampSize(int64_t size) { return static_cast<int>(std::clamp<int64_t>(size, 0, INT_MAX)); }

}  // namespace

bool CForMerge::ForMergeInit(int hashSize, int tagSize, CQAVSearch* owner) {
    m_pOwner = owner;
    hashSize = std::max(hashSize, 0);
    tagSize = std::max(tagSize, 0);
    // Arrays made for other sizes are not reused.
    if (hashSize != m_nBucketCount) {
        m_Buckets.reset();
        for (auto& counts : m_BucketCount) counts.reset();
    }
    if (tagSize != m_nTagSize)
        for (auto& map : m_Tag) map.reset();
    m_nBucketCount = hashSize;
    m_nTagSize = tagSize;
    bool ok = true;
    if (m_nBucketCount > 0) {
        const size_t buckets = static_cast<size_t>(m_nBucketCount);
        // Fresh arrays come zeroed; only reused ones are cleared.
        if (m_Buckets) ClearHashList();
        else m_Buckets = MakeZeroedArray<CRetInfoEx*>(buckets);
        for (auto& counts : m_BucketCount)
            if (!counts) counts = MakeZeroedArray<uint16_t>(buckets);
        if (!m_Buckets || !m_BucketCount[0] || !m_BucketCount[1]) {
            m_Buckets.reset();
            for (auto& counts : m_BucketCount) counts.reset();
            m_nBucketCount = 0;
            ok = false;
        }
        if (!m_Pool) {
            const int64_t entries = 4 * int64_t{m_nBucketCount};
            m_Pool = MakeZeroedArray<CRetInfoEx>(static_cast<size_t>(entries));
            m_nPoolCapacity = m_Pool ? ClampSize(entries) : 0;
        }
        m_nPoolUsed = 0;
    }
    if (m_nTagSize > 0) {
        for (auto& map : m_Tag) {
            if (map) std::memset(map.get(), 0, static_cast<size_t>(m_nTagSize));
            else map = MakeZeroedArray<uint8_t>(static_cast<size_t>(m_nTagSize));
        }
        if (!m_Tag[0] || !m_Tag[1]) {
            for (auto& map : m_Tag) map.reset();
            m_nTagSize = 0;
            ok = false;
        }
    }
    return ok;
}

bool CForMerge::PrepareForMerge(int64_t larger, int64_t smaller) {
    bool ok = true;
    if (m_nBucketCount < larger / 4 || m_nTagSize < 10 * smaller) {
        const int buckets = ClampSize(std::max<int64_t>(m_nBucketCount, larger / 4));
        const int tagBytes = ClampSize(std::max<int64_t>(m_nTagSize, 10 * smaller));
        CQAVSearch* owner = m_pOwner;
        ForMergeExit();
        ok = ForMergeInit(buckets, tagBytes, owner);
    }
    if (m_nPoolCapacity < larger) {
        m_Pool = MakeZeroedArray<CRetInfoEx>(static_cast<size_t>(ClampSize(larger)));
        m_nPoolCapacity = m_Pool ? ClampSize(larger) : 0;
    }
    m_nPoolUsed = 0;
    return ok;
}

void CForMerge::ForMergeExit() {
    m_Pool.reset();
    m_Buckets.reset();
    for (auto& counts : m_BucketCount) counts.reset();
    for (auto& map : m_Tag) map.reset();
    m_nBucketCount = 0;
    m_nTagSize = 0;
    m_nPoolUsed = 0;
    m_nPoolCapacity = 0;
    m_Candidates.clear();
    m_TagKeys.clear();
    m_Passed.clear();
    m_JoinMarks.Release();
    std::vector<std::vector<CRetInfo>>().swap(m_JoinProbeHits);
    m_JoinHits.Release();
}

void CForMerge::ClearHashList() {
    const size_t buckets = m_Buckets ? static_cast<size_t>(m_nBucketCount) : 0;
    if (buckets > 0) {
        std::fill_n(m_Buckets.get(), buckets, nullptr);
        for (auto& counts : m_BucketCount) std::memset(counts.get(), 0, buckets * sizeof(uint16_t));
    }
    m_nPoolUsed = 0;
}

void CForMerge::ClearTag() {
    for (auto& map : m_Tag)
        if (map) std::memset(map.get(), 0, static_cast<size_t>(m_nTagSize));
    m_TagKeys.clear();
}

void CForMerge::SetTag(int map, uint32_t h) {
    if (m_nTagSize <= 0 || !m_Tag[map]) return;
    const uint64_t bit = TagBit(h);
    m_Tag[map][bit / 8] |= static_cast<uint8_t>(1u << (bit % 8));
}

bool CForMerge::HasTag(int map, uint32_t h) const {
    if (m_nTagSize <= 0 || !m_Tag[map]) return false;
    const uint64_t bit = TagBit(h);
    return (m_Tag[map][bit / 8] >> (bit % 8)) & 1u;
}

void CForMerge::ResetTag(int map, uint32_t h) {
    if (m_nTagSize <= 0 || !m_Tag[map]) return;
    const uint64_t bit = TagBit(h);
    m_Tag[map][bit / 8] &= static_cast<uint8_t>(~(1u << (bit % 8)));
}

void CForMerge::SetTagKey(uint32_t key) {
    SetTag(0, Hash_Jenkins(key));
    SetTag(1, Hash_Tomas_Wang(key));
}

bool CForMerge::HasTagKeyBits(uint32_t key) const {
    return HasTag(0, Hash_Jenkins(key)) && HasTag(1, Hash_Tomas_Wang(key));
}

bool CForMerge::HasNoTagKeyBits(uint32_t key) const {
    return !HasTag(0, Hash_Jenkins(key)) && !HasTag(1, Hash_Tomas_Wang(key));
}

void CForMerge::ResetTagKey(uint32_t key) {
    ResetTag(0, Hash_Jenkins(key));
    ResetTag(1, Hash_Tomas_Wang(key));
}

bool CForMerge::HasTagKey(uint32_t key, uint64_t exactKey) const {
    return HasTagKeyBits(key) && std::binary_search(m_TagKeys.begin(), m_TagKeys.end(), exactKey);
}

void CForMerge::SortTagKeys() {
    std::sort(m_TagKeys.begin(), m_TagKeys.end());
    m_TagKeys.erase(std::unique(m_TagKeys.begin(), m_TagKeys.end()), m_TagKeys.end());
}

CRetInfoEx* CForMerge::NewEntry() {
    if (!m_Pool || m_nPoolUsed >= m_nPoolCapacity) return nullptr;
    CRetInfoEx* entry = &m_Pool[static_cast<size_t>(m_nPoolUsed++)];
    entry->next = nullptr;
    return entry;
}

}  // namespace qav
