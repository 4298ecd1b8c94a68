// Filtering a result slot by the document information of its records.
#include <vector>

#include "qav/fulltext/search/bm_search.h"
#include "qav/index/base/qav_log.h"

namespace qav {

bool CBMSearch::DecodeDocument(int64_t key, bm::CDocInfo* doc) {
    if (!g_pBMEngine) return false;
    const BMRecordBuffer record =
        g_pBMEngine->GetDocInfoBuffer(static_cast<uint32_t>(key), static_cast<uint8_t>(key >> 32));
    if (!record) return false;
    const CConfig& config = g_pBMEngine->m_Config;
    return bm::DecodeDocInfo(config.m_DocInfo, config.m_Field.size(),
                                 std::string(record->begin(), record->end()), doc);
}

bool CBMSearch::IsConditionOk(uint8_t shard, uint32_t /*unused*/, uint32_t docOffset) {
    bm::CDocInfo doc;
    // An unreadable record has no information, so only an empty check map
    // that needs no key can let it through.
    DecodeDocument(bm::DocKey(shard, docOffset), &doc);
    bm::Posting record;
    record.shard = shard;
    record.docOffset = docOffset;
    if (!IsSetBaseOk(record)) return false;
    return g_pBMEngine && m_Condition.IsOk(doc, g_pBMEngine->m_Config);
}

CBMRet* CBMSearch::GetBMConditionRet(int64_t handle) {
    CBMRet* out = nullptr;
    for (int number = 1; number <= 3 && !out; ++number)
        if (Slot(number).m_bFree) out = &Slot(number);
    if (!out) return nullptr;
    CBMRet* source = SlotOf(handle);
    if (!source) {
        if (handle == 0) QavLog("pBMRet == 0 && nHandle==0\n");
        return handle == 0 ? out : nullptr;
    }
    // The records are tested before the output is written, so a free source
    // that is also the first free slot keeps its records until they are read.
    std::vector<bm::Posting> passing;
    for (int32_t i = 0; i < source->m_nDocNum; ++i)
        if (IsConditionOk((*source)[i].shard, 0, (*source)[i].docOffset)) passing.push_back((*source)[i]);
    source->Clear();
    out->Clear();
    out->m_bFree = false;
    for (const bm::Posting& record : passing)
        if (!out->Append(record)) break;
    return out;
}

}  // namespace qav
