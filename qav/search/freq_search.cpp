// Frequency lists of the search object: the quick count of a complex unit's
// hits, and the frequency map of the keys a form takes from each hit.
#include <algorithm>
#include <cstdint>
#include <string>

#include "qav/index/engine/qav_engine.h"
#include "qav/search/rows/freq_form.h"
#include "qav/search/rows/freq_map.h"
#include "qav/search/atom/make_ret_info.h"
#include "qav/search/qav_search.h"
#include "qav/search/filter/query_time.h"
#include "qav/search/atom/record_walk.h"

namespace {

// Without conditions, results of this many hits are counted without a walk.
constexpr int64_t kFreqQuickCountFrom = 204801;

// Name of the document holding the sentence; empty when there is no
// document table, no such document, or its name begins with "Doc".
std::string SourceName(uint8_t fileNo, uint32_t position) {
    const CQAVEngine* engine = g_pCQAVEngine;
    if (!engine || engine->m_orgInfo.EntryCount() == 0) return {};
    std::string name;
    uint64_t first = 0;
    uint64_t last = 0;
    if (!engine->m_orgInfo.GetLimit((uint64_t{fileNo} << 32) | position, name, first, last)) return {};
    if (name.compare(0, 3, "Doc") == 0) return {};
    return name;
}

}  // namespace

bool CQAVSearch::NeedsComplexBuilder(const CAtomRet& result, const std::string& form,
                                     const std::string& condition) {
    return !condition.empty() || !form.empty() ||
           (result.m_Query.type != UNIT_HZ_L && result.m_Query.type != UNIT_HZ_R);
}

int CQAVSearch::GetFreq(CAtomRet* result, const std::string& form, const std::string& condition) {
    m_bApproximate = 0;
    if (!result) return 1;
    if (NeedsComplexBuilder(*result, form, condition)) {
        GetFreq_Complex(result, form, condition);
    } else {
        GetFreq_Simple(result);
    }
    MarkOutputCut(result->m_bApproximate, "frequency list");
    return 1;
}

void CQAVSearch::GetFreq_Simple(CAtomRet* result) {
    m_FinalRect.Clear();
    int64_t count = 0;
    if (HasContextConditions()) {
        QueryTimeCheck clock;
        const bool stop = ForEachRecord(*result, [&](const OffsetRecordInfo& info) {
            if (!IsInLimit(info.fileNo, info.position, false)) return false;
            ++count;
            return clock.Step();
        });
        if (stop) m_bApproximate = 1;
    } else if (const int64_t hits = result->TotalHits(); hits >= kFreqQuickCountFrom) {
        count = hits;
    } else {
        CRetInfo hit;
        ForEachRecord(*result, [&](const OffsetRecordInfo& info) {
            if (IsOKContext(*result, info, hit, -1, false)) ++count;
            return false;
        });
    }
    m_FinalRect.AddRow(result->m_Query.pattern, static_cast<int32_t>(std::min<int64_t>(count, INT32_MAX)));
}

void CQAVSearch::GetFreq_Complex(CAtomRet* result, const std::string& form, const std::string& /*condition*/) {
    CFreqForm parsed;
    ParseObj(form, parsed);
    CFreqMap map;
    QueryTimeCheck clock;
    CRetInfo hit;
    const bool stop = ForEachRecord(*result, [&](const OffsetRecordInfo& info) {
        if (!IsOKContext(*result, info, hit, -1, false)) return false;
        Add2FreqEx(map, parsed, hit.position, hit.file_no);
        return clock.Step();
    });
    if (stop) m_bApproximate = 1;
    AddFreqRows(map);
}

int CQAVSearch::GetFreq(CQAVRet* result, const std::string& form, const std::string& /*condition*/) {
    m_FinalRect.Clear();
    m_bApproximate = 0;
    if (!result) return 0;
    CFreqForm parsed;
    ParseObj(form, parsed);
    CFreqMap map;
    for (int i = 0; i < result->m_nCount; ++i) {
        const CRetInfo& hit = result->m_Hits[static_cast<size_t>(i)];
        if (IsOk(hit, -1)) Add2FreqEx(map, parsed, hit.position, hit.file_no);
    }
    result->m_bFree = 1;
    AddFreqRows(map);
    MarkOutputCut(result->m_bApproximate, "frequency list");
    return 0;
}

void CQAVSearch::Add2FreqEx(CFreqMap& map, const CFreqForm& form, uint32_t position, uint8_t fileNo) {
    CountFreqKey(map, BuildFreqKey(form, m_SplitedRet), SourceName(fileNo, position));
}

void CQAVSearch::AddFreqRows(const CFreqMap& map) {
    m_FinalRect.Clear();
    // Rows past the capacity are counted, not kept.
    for (const auto& [key, entry] : map) m_FinalRect.AddRectEx(key, entry);
}
