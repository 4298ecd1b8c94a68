// The base set of a search: the sentences (or documents) of an earlier
// result that later hits must come from, or must avoid.
#include <algorithm>

#include "qav/index/qav_engine.h"
#include "qav/index/sent_info.h"
#include "qav/search/condition.h"
#include "qav/search/limit_list.h"
#include "qav/search/offset_record_fields.h"
#include "qav/search/qav_search.h"

bool CConditionEx::BaseKey(int64_t key, const CHashTableInfo* info, uint64_t& baseKey) const {
    if (!m_bBaseDocLevel) {
        baseKey = static_cast<uint64_t>(key);
        return true;
    }
    // A sentence without sentence information belongs to no document.
    uint32_t doc = 0, tag = 0;
    if (!info || !info->GetSentInfo(static_cast<uint64_t>(key), doc, tag)) return false;
    baseKey = doc;
    return true;
}

bool CConditionEx::SetBase(CQAVSearch& search, uint64_t handle, bool keep, bool variant) {
    CAtomRet* atom = search.AtomSlot(handle);
    CQAVRet* merged = search.MergedSlot(handle);
    // A free slot holds no result: its records may already be released.
    if ((atom && !atom->IsFree()) || (merged && !merged->IsFree())) {
        const CHashTableInfo* info = g_pCQAVEngine ? &g_pCQAVEngine->m_sentInfo : nullptr;
        m_BaseKeys.clear();
        m_bBaseSet = true;
        m_bBaseDocLevel = variant;
        auto tag = [&](uint32_t file, uint32_t position) {
            uint64_t baseKey = 0;
            if (BaseKey(SentenceKey(file, position), info, baseKey)) m_BaseKeys.push_back(baseKey);
        };
        if (atom) {
            for (int s = 0; s < atom->m_nSegCount; ++s) {
                const size_t i = static_cast<size_t>(s);
                const unsigned char* record = atom->m_SegRecords[i] + atom->m_SegOffset[i];
                for (int32_t r = 0; r < atom->m_SegCount[i]; ++r, record += atom->m_SegWidth[i]) {
                    const uint8_t file = GetFileNo(record);
                    if (file != kNoDataFile && search.IsInLimit(file, GetOffset(record), true))
                        tag(file, GetOffset(record));
                }
            }
            atom->Clear();
        } else {
            for (int i = 0; i < merged->m_nCount; ++i) {
                const CRetInfo& hit = merged->m_Hits[static_cast<size_t>(i)];
                if (hit.file_no != kNoDataFile) tag(hit.file_no, hit.position);
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

bool CConditionEx::IsInBase(int64_t key, const CHashTableInfo& info) const {
    if (!m_bBaseSet) return true;
    uint64_t baseKey = 0;
    const bool inBase = BaseKey(key, &info, baseKey) && std::binary_search(m_BaseKeys.begin(), m_BaseKeys.end(), baseKey);
    return m_bBaseMode ? inBase : !inBase;
}

void CConditionEx::BaseExit() {
    m_BaseKeys = {};
    m_bBaseSet = false;
    m_bBaseDocLevel = false;
}
