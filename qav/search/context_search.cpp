// Context lines of the search object: the engine's side of the walks in
// context_walk.cpp, the hit parts and the rows.
#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>

#include "qav/index/engine/qav_engine.h"
#include "qav/search/rows/context_line.h"
#include "qav/search/rows/context_walk.h"
#include "qav/search/filter/hit_parts.h"
#include "qav/search/atom/make_ret_info.h"
#include "qav/index/engine/qav_engine.h"
#include "qav/search/atom/capacity_cut.h"
#include "qav/search/rows/context_line.h"
#include "qav/search/rows/context_walk.h"
#include "qav/search/filter/hit_parts.h"
#include "qav/search/atom/make_ret_info.h"
#include "qav/search/qav_search.h"

namespace {

uint64_t SentenceKey(const CRetInfo& hit) { return (uint64_t{hit.file_no} << 32) | hit.position; }

}  // namespace

bool CQAVSearch::HasContextConditions() const {
    return !m_Limits.empty() || !m_Condition.m_filters.empty() || !m_Condition.Checks().empty() ||
           m_Condition.HasBase();
}

void CQAVSearch::ResetContextOutput() {
    // Rows are rebuilt from empty, so no text of an earlier output stays.
    m_FinalRect.m_Rows.clear();
    m_FinalRect.Clear();
    m_SentKeys.clear();
    m_bApproximate = 0;
}

ContextWalkSetup CQAVSearch::ContextSetup(int page, int pageSize) const {
    ContextWalkSetup setup;
    setup.conditions = HasContextConditions();
    setup.hasLimits = !m_Limits.empty();
    setup.page = page;
    setup.pageSize = NormalContextPageSize(pageSize);
    return setup;
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
    if (!result) return 0;
    const ContextWalkSetup setup = ContextSetup(page, pageSize);
    const ContextWalkResult walk = WalkAtomContext(
        *result, setup, m_SentKeys,
        [&](const unsigned char* record, uint8_t recordWidth, uint64_t& key) {
            CRetInfo hit;
            if (!IsOKContext(*result, ReadOffsetRecord(record, recordWidth), hit, width, false)) return false;
            key = SentenceKey(hit);
            return true;
        },
        [&](uint64_t key) { Add2Context(static_cast<uint8_t>(key >> 32), static_cast<uint32_t>(key)); });
    SetContextTotal(walk);
    MarkOutputCut(result->m_bApproximate, "context lines");
    return 0;
}

int CQAVSearch::GetContext(CQAVRet* result, char*, int width, int page, int pageSize) {
    ResetContextOutput();
    if (!result) return 0;
    const ContextWalkSetup setup = ContextSetup(page, pageSize);
    const bool estimateAllowed =
        m_Limits.empty() && m_Condition.m_filters.empty() && m_Condition.Checks().empty();
    const ContextWalkResult walk = WalkMergedContext(
        *result, estimateAllowed, setup, m_SentKeys,
        [&](const CRetInfo& hit, uint64_t& key) {
            if (!IsOk(hit, width)) return false;
            key = SentenceKey(hit);
            return true;
        },
        [&](uint64_t key) { Add2Context(static_cast<uint8_t>(key >> 32), static_cast<uint32_t>(key)); });
    SetContextTotal(walk);
    MarkOutputCut(result->m_bApproximate, "context lines");
    return 0;
}

void CQAVSearch::MarkOutputCut(bool resultCut, const char* what) {
    if (m_FinalRect.m_nLeftOut > 0)
        LogCapacityCut("RetBuffSize", m_FinalRect.m_nCapacity, what, "rows", m_FinalRect.m_nCount,
                       m_FinalRect.m_nLeftOut);
    if (resultCut || m_FinalRect.m_nLeftOut > 0) m_bApproximate = 1;
}
