// Table set-up and the merge, list and pruning stages of the builder.
#include <algorithm>

#include "qav/index/hash_merge.h"
#include "qav/index/qav_idx.h"
#include "qav/index/qav_log.h"
#include "qav/index/word_list_build.h"

namespace {

// Smallest bucket count of a group's word table when groups share the total.
constexpr uint32_t kMinGroupWordBuckets = 102400;

// A configured bucket count; 0 (or a negative value) gives the table's default.
uint32_t Buckets(int32_t configured) { return configured > 0 ? static_cast<uint32_t>(configured) : 0; }

std::vector<std::unique_ptr<CHashTable>> MakeTables(int count, uint32_t buckets) {
    std::vector<std::unique_ptr<CHashTable>> tables;
    for (int g = 0; g < count; ++g) tables.push_back(std::make_unique<CHashTable>(buckets));
    return tables;
}

}  // namespace

void CQAVIdx::InitHash() {
    const uint32_t unitBuckets = Buckets(m_Config.m_SizeInfo.HashSize_IdxUnit);
    uint32_t wordBuckets = Buckets(m_Config.m_SizeInfo.HashSize_WordList);
    if (wordBuckets == 0) wordBuckets = CHashTable::kDefaultBucketCount;
    const int groups = std::max(m_nGroupCount, 0);

    m_UnitHash.Reset(unitBuckets);
    m_SplitUnitHash.Reset(unitBuckets);
    m_WordHash.Reset(wordBuckets);
    m_GroupUnitHash = MakeTables(groups, unitBuckets);
    const uint32_t groupWordBuckets =
        groups >= 2 ? std::max(wordBuckets / static_cast<uint32_t>(groups), kMinGroupWordBuckets) : wordBuckets;
    m_GroupWordHash = MakeTables(groups, groupWordBuckets);
}

void CQAVIdx::MergeHash() {
    ::MergeHash(m_UnitHash, m_GroupUnitHash);
    ::MergeHash(m_WordHash, m_GroupWordHash);
}

void CQAVIdx::HashTables2WordList() {
    ToWordList(m_UnitHash, m_WordList_U, kUnitListMode);
    ToWordList(m_WordHash, m_WordList_W, kWordListMode);
}

bool CQAVIdx::PruneWordList() {
    const int64_t units = m_WordList_U.length();
    const int64_t words = m_WordList_W.length();
    QavLog("WordList size: U=%lld, W=%lld\n", static_cast<long long>(units), static_cast<long long>(words));
    if (units <= m_nMaxUnitListSize) {
        QavLogOnly("  No pruning needed.\n");
        return true;
    }
    const uint32_t threshold = static_cast<uint32_t>(m_WordList_U.words[m_nMaxUnitListSize - 1].count);
    m_WordList_U.words.resize(static_cast<size_t>(m_nMaxUnitListSize));
    m_WordList_U.words.shrink_to_fit();
    QavLog("  WordList_U pruned: %lld -> %lld  (freq threshold >= %u, removed %lld entries)\n",
           static_cast<long long>(units), static_cast<long long>(m_nMaxUnitListSize), threshold,
           static_cast<long long>(units - m_nMaxUnitListSize));
    QavLog("  WordList pruning done. U=%lld, W=%lld\n", static_cast<long long>(m_WordList_U.length()),
           static_cast<long long>(words));
    return true;
}
