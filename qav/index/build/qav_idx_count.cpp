// Counting, merging and list stages of the builder, over the counting pass's
// tables and work records.
#include <algorithm>

#include "qav/index/build/count_units.h"
#include "qav/index/build/qav_idx.h"

namespace qav {

void CQAVIdx::InitHash() {
    m_Tables.InitHash(m_Config, m_nGroupCount);
    const int32_t unitBuckets = m_Config.m_SizeInfo.HashSize_IdxUnit;
    m_SplitUnitHash.Reset(unitBuckets > 0 ? static_cast<uint32_t>(unitBuckets) : 0);
}

bool CQAVIdx::CountUnitWord() {
    const size_t groups = static_cast<size_t>(std::max(m_nGroupCount, 0));
    if (m_Tables.group_units.size() < groups || m_Tables.group_words.size() < groups || m_FileGroups.size() < groups)
        return false;
    m_SentenceStreams.Name(m_Config.m_FileInfo.Data, static_cast<int>(groups));
    std::vector<CThreadInfo> infos(groups);
    for (size_t g = 0; g < groups; ++g) {
        CThreadInfo& info = infos[g];
        info.number = static_cast<uint32_t>(g);
        info.unit_counts = m_Tables.group_units[g].get();
        info.word_counts = m_Tables.group_words[g].get();
        info.files = m_FileGroups[g];
        if (g < m_KindGroups.size()) info.kinds = m_KindGroups[g];
        info.config = &m_Config;
        info.stream_path = m_SentenceStreams.Path(g);
    }
    return qav::CountUnitWord(infos);
}

void CQAVIdx::MergeHash() { m_Tables.MergeHash(); }

void CQAVIdx::HashTables2WordList() { m_Tables.HashTables2WordList(m_WordList_U, m_WordList_W); }

bool CQAVIdx::PruneWordList() { return qav::PruneWordList(m_WordList_U, m_WordList_W, m_nMaxUnitListSize); }

}  // namespace qav
