// The documents of a result's hits as log lines.
#include <string>

#include "qav/index/engine/qav_engine.h"
#include "qav/index/base/qav_log.h"
#include "qav/index/engine/sent_info.h"
#include "qav/search/atom/make_ret_info.h"
#include "qav/search/qav_search.h"
#include "qav/search/atom/record_walk.h"
#include "qav/search/filter/sentence_document.h"

bool CQAVSearch::GetOrgBuff(uint64_t handle, void* response, int count, const std::string& tag) {
    const CQAVEngine* engine = g_pCQAVEngine;
    // The web output of the structured engine is empty: with a response the
    // listing would reach no one.
    if (!engine || response || count <= 0) return true;
    const CHashTableInfo& info = engine->m_sentInfo;
    int listed = 0;
    // Logs the line of one hit; false once count hits have been counted.
    auto list = [&](uint8_t fileNo, uint32_t position) {
        const uint64_t key = static_cast<uint64_t>(SentenceKey(fileNo, position));
        int64_t doc = 0;
        if (DocumentOfSentence(*engine, key, doc)) {
            std::string tags;
            if (tag.empty()) {
                info.GetDocTagInfo(doc, tags);
            } else {
                info.GetOrgTagInfo(doc, tags, tag);
            }
            if (tags.empty()) return true;
            // Only sentences with sentence information carry a tag.
            uint32_t recordDoc = 0, tagId = 0;
            std::string pos;
            if (info.GetSentInfo(key, recordDoc, tagId) && static_cast<int64_t>(tagId) < info.TagCount())
                info.GetSentPosInfo(static_cast<int32_t>(tagId), pos);
            QavLog("%s\n", ("(ID=" + std::to_string(doc) + ";Pos=" + pos + ";" + tags + ")").c_str());
        }
        return ++listed < count;
    };
    if (const CAtomRet* atom = AtomSlot(handle)) {
        ForEachRecord(*atom, [&](const OffsetRecordInfo& rec) { return !list(rec.fileNo, rec.position); });
    } else if (const CQAVRet* merged = MergedSlot(handle)) {
        for (int i = 0; i < merged->m_nCount; ++i) {
            const CRetInfo& hit = merged->m_Hits[static_cast<size_t>(i)];
            if (!list(hit.file_no, hit.position)) return true;
        }
    }
    return true;
}
