// Context lines of the search object: the engine's side of the walks in
// context_walk.cpp, the hit parts and the rows.
#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>

#include "qav/index/qav_engine.h"
#include "qav/search/context_line.h"
#include "qav/search/context_walk.h"
#include "qav/search/engine_views.h"
#include "qav/search/hit_parts.h"
#include "qav/search/make_ret_info.h"
#include "qav/search/qav_search.h"

bool CQAVSearch::HasContextConditions() const {
    return !m_Limits.empty() || !m_Condition.m_filters.empty() || !m_Condition.Checks().empty() ||
           m_Condition.HasBase();
}

void CQAVSearch::ResetContextOutput() {
    // Rows are rebuilt from empty, so no text of an earlier output stays.
    m_FinalRect.m_Rows.clear();
    m_FinalRect.m_nCount = 0;
    m_FinalRect.m_nTotal = 0;
    m_SentKeys.clear();
    m_bApproximate = 0;
}

void CQAVSearch::SetContextTotal(const ContextWalkResult& walk) {
    m_FinalRect.m_nTotal = static_cast<int32_t>(std::min<int64_t>(walk.total, INT32_MAX));
    m_bApproximate = walk.approximate ? 1 : 0;
}

bool CQAVSearch::GetSplitedRet(const CRetInfo& hit, int width) {
    m_SplitedRet.Clear();
    const CQAVEngine* engine = g_pCQAVEngine;
    if (!engine || hit.file_no >= engine->DataFileCount()) return false;
    HitPartsSource source;
    source.words = engine->m_pWordList.get();
    source.config = &engine->m_config;
    source.english = engine->m_config.m_Language == 1;
    SplitHit(source, engine->m_corpus[hit.file_no].get(), engine->m_corpusLength[hit.file_no], hit, width,
             m_SplitedRet);
    return true;
}

bool CQAVSearch::AcceptContextHit(const CRetInfo& hit, int width, uint64_t& key) {
    const CQAVEngine* engine = g_pCQAVEngine;
    if (!engine || hit.file_no >= engine->DataFileCount() || !engine->m_pWordList) return false;
    if (hit.position >= engine->m_corpusLength[hit.file_no]) return false;
    if (!engine->m_pWordList->No2Word(engine->m_corpus[hit.file_no][hit.position])) return false;
    if (!GetSplitedRet(hit, width) || !m_Condition.IsOK(m_SplitedRet)) return false;
    key = (uint64_t{hit.file_no} << 32) | hit.position;
    return true;
}

bool CQAVSearch::AcceptContextRecord(const RecordCompareContext& corpus, const CAtomRet& result,
                                     const unsigned char* record, uint8_t recordWidth, int width, uint64_t& key) {
    const CQAVEngine* engine = g_pCQAVEngine;
    const OffsetRecordInfo info = ReadOffsetRecord(record, recordWidth);
    if (!engine || info.fileNo >= engine->DataFileCount()) return false;
    const int64_t count = engine->m_corpusLength[info.fileNo];
    const int64_t word = int64_t{info.position} + info.wordIndex;
    if (info.position >= count || word < 0 || word >= count) return false;
    if (!IsInLimit(info.fileNo, info.position, false)) return false;
    CRetInfo hit = ClearedRetInfo();
    if (!MakeRetInfo(corpus, result.m_Query, info, hit)) return false;
    return AcceptContextHit(hit, width, key);
}

void CQAVSearch::Add2Context(uint8_t fileNo, uint32_t position) {
    std::string line;
    const CQAVEngine* engine = g_pCQAVEngine;
    if (m_bOriOn && engine && engine->m_orgInfo.EntryCount() > 0)
        line = SourcePrefix(engine->m_orgInfo, engine->m_sentInfo, fileNo, position);
    AppendContextBody(m_SplitedRet, m_Condition.m_bPrint, line);
    CutByGroup(line);
    m_FinalRect.AddRow(std::move(line), CFinalRect::kContextRow);
}

int CQAVSearch::GetContext(CAtomRet* result, char*, int width, int page, int pageSize) {
    ResetContextOutput();
    if (!result || !g_pCQAVEngine) return 0;
    ContextWalkSetup setup;
    setup.conditions = HasContextConditions();
    setup.hasLimits = !m_Limits.empty();
    setup.page = page;
    setup.pageSize = NormalContextPageSize(pageSize);
    const RecordCompareContext corpus = MakeRecordCompareContext(*g_pCQAVEngine);
    const ContextWalkResult walk = WalkAtomContext(
        *result, setup, m_SentKeys,
        [&](const unsigned char* record, uint8_t recordWidth, uint64_t& key) {
            return AcceptContextRecord(corpus, *result, record, recordWidth, width, key);
        },
        [&](uint64_t key) { Add2Context(static_cast<uint8_t>(key >> 32), static_cast<uint32_t>(key)); });
    SetContextTotal(walk);
    return 0;
}

int CQAVSearch::GetContext(CQAVRet* result, char*, int width, int page, int pageSize) {
    ResetContextOutput();
    if (!result) return 0;
    ContextWalkSetup setup;
    setup.conditions = HasContextConditions();
    setup.hasLimits = !m_Limits.empty();
    setup.page = page;
    setup.pageSize = NormalContextPageSize(pageSize);
    const bool estimateAllowed =
        m_Limits.empty() && m_Condition.m_filters.empty() && m_Condition.Checks().empty();
    const ContextWalkResult walk = WalkMergedContext(
        *result, estimateAllowed, setup, m_SentKeys,
        [&](const CRetInfo& hit, uint64_t& key) { return AcceptContextHit(hit, width, key); },
        [&](uint64_t key) { Add2Context(static_cast<uint8_t>(key >> 32), static_cast<uint32_t>(key)); });
    SetContextTotal(walk);
    return 0;
}
