#include "qav/search/filter/sentence_document.h"

#include "qav/index/engine/org_info.h"
#include "qav/index/engine/qav_engine.h"
#include "qav/index/engine/sent_info.h"

namespace qav {

bool DocumentInTable(const COrgInfo& documents, uint64_t key, int64_t& doc) {
    const std::vector<uint64_t>& keys = documents.Keys();
    const int64_t count = static_cast<int64_t>(keys.size());
    if (count < 2) return false;
    // Entry p ends document p - 1, which starts at entry p - 1.
    const int64_t p = COrgInfo::RetNo(key, keys.data(), 0, count - 1, true);
    if (p < 1 || p >= count) return false;
    const size_t end = static_cast<size_t>(p);
    if (key < keys[end - 1] || key >= keys[end]) return false;
    doc = p - 1;
    return true;
}

bool DocumentOfSentence(const CHashTableInfo& sentences, const COrgInfo* documents, uint64_t key,
                        int64_t& doc) {
    uint32_t recorded = 0, tag = 0;
    if (sentences.GetSentInfo(key, recorded, tag)) {
        doc = recorded;
        return true;
    }
    return documents && DocumentInTable(*documents, key, doc);
}

bool DocumentOfSentence(const CQAVEngine& engine, uint64_t key, int64_t& doc) {
    return DocumentOfSentence(engine.m_sentInfo, &engine.m_orgInfo, key, doc);
}

}  // namespace qav
