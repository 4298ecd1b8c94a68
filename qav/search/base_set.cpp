// The base set of a search: the sentences (or documents) of an earlier
// result that later hits must come from, or must avoid.
#include <algorithm>

#include "qav/index/engine/qav_engine.h"
#include "qav/index/engine/sent_info.h"
#include "qav/search/filter/condition.h"
#include "qav/search/filter/limit_list.h"
#include "qav/search/merge/merge_run.h"
#include "qav/search/qav_search.h"
#include "qav/search/filter/sentence_document.h"

bool CConditionEx::BaseKey(int64_t key, const CHashTableInfo* info, const COrgInfo* documents,
                           uint64_t& baseKey) const {
    if (!m_bBaseDocLevel) {
        baseKey = static_cast<uint64_t>(key);
        return true;
    }
    int64_t doc = 0;
    if (!info || !DocumentOfSentence(*info, documents, static_cast<uint64_t>(key), doc)) return false;
    baseKey = static_cast<uint64_t>(doc);
    return true;
}

bool CConditionEx::SetBase(CQAVSearch& search, uint64_t handle, bool keep, bool variant) {
    CAtomRet* atom = search.AtomSlot(handle);
    CQAVRet* merged = search.MergedSlot(handle);
    // A free slot holds no result: its records may already be released.
    if ((atom && !atom->IsFree()) || (merged && !merged->IsFree())) {
        const CHashTableInfo* info = g_pCQAVEngine ? &g_pCQAVEngine->m_sentInfo : nullptr;
        const COrgInfo* documents = g_pCQAVEngine ? &g_pCQAVEngine->m_orgInfo : nullptr;
        m_BaseKeys.clear();
        m_bBaseSet = true;
        m_bBaseDocLevel = variant;
        auto tag = [&](uint32_t file, uint32_t position) {
            uint64_t baseKey = 0;
            if (BaseKey(SentenceKey(file, position), info, documents, baseKey)) m_BaseKeys.push_back(baseKey);
        };
        // Hits are tagged as merges tag them: admitted by the limits and
        // document checks (records only), a word at the sentence position,
        // and parts that pass the conditions (split only when there are
        // checks to read them).
        const bool readParts = !m_checks.empty();
        auto accept = [&](const CRetInfo& hit) {
            return readParts ? search.IsOk(hit, -1) : IsWordAt(search.m_Corpus, hit.file_no, hit.position);
        };
        if (atom) {
            ForEachAtomRecord(*atom, [&](const OffsetRecordInfo& record) {
                CRetInfo hit;
                hit.Clear();
                if (IsOverFlow(search.m_Corpus, record.position, record.fileNo, record.wordIndex) &&
                    search.IsInLimit(record.fileNo, record.position, true) &&
                    MakeRetInfo(search.m_Corpus, atom->m_Query, record, hit) && accept(hit))
                    tag(hit.file_no, hit.position);
                return true;
            });
            atom->Clear();
        } else {
            for (int i = 0; i < merged->m_nCount; ++i) {
                const CRetInfo& hit = merged->m_Hits[static_cast<size_t>(i)];
                if (accept(hit)) tag(hit.file_no, hit.position);
            }
            merged->m_nCount = 0;
        }
        search.FreeSlot(handle);
        std::sort(m_BaseKeys.begin(), m_BaseKeys.end());
        m_BaseKeys.erase(std::unique(m_BaseKeys.begin(), m_BaseKeys.end()), m_BaseKeys.end());
    }
    m_bBaseMode = keep;
    return true;
}

bool CConditionEx::IsInBase(int64_t key, const CHashTableInfo& info, const COrgInfo* documents) const {
    if (!m_bBaseSet) return true;
    uint64_t baseKey = 0;
    const bool inBase = BaseKey(key, &info, documents, baseKey) && std::binary_search(m_BaseKeys.begin(), m_BaseKeys.end(), baseKey);
    return m_bBaseMode ? inBase : !inBase;
}

void CConditionEx::BaseExit() {
    m_BaseKeys = {};
    m_bBaseSet = false;
    m_bBaseDocLevel = false;
}
