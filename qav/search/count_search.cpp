// Counts of the search object: the hits of a result per limit range, either
// as numbers or with the most frequent texts of a hit part.
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "qav/search/rows/count_maps.h"
#include "qav/search/atom/make_ret_info.h"
#include "qav/search/qav_search.h"
#include "qav/search/filter/query_time.h"
#include "qav/search/atom/record_walk.h"

namespace {

constexpr int kCountWorkers = 4;

int32_t ClampCount(int64_t count) { return static_cast<int32_t>(std::min<int64_t>(count, INT32_MAX)); }

}  // namespace

int CQAVSearch::GetCount(CAtomRet* result, const std::string& form, const std::string& condition, int top) {
    m_bApproximate = 0;
    if (!result) return 1;
    if (NeedsComplexBuilder(*result, form, condition)) {
        GetCount_Complex(result, form, condition, top);
    } else {
        GetCount_Simple(result);
    }
    MarkOutputCut(result->m_bApproximate, "count");
    return 1;
}

int CQAVSearch::CountRangeOf(uint8_t fileNo, uint32_t position) const {
    const int range = m_Limits.RetLimitNo(SentenceKey(fileNo, position));
    return range < m_FinalRect.m_nCapacity ? range : -1;
}

bool CQAVSearch::IsCountedRecord(const CAtomRet& result, const OffsetRecordInfo& record, CRetInfo& hit) const {
    hit.Clear();
    if (!IsOverFlow(m_Corpus, record.position, record.fileNo, record.wordIndex)) return false;
    if (!IsInLimit(record.fileNo, record.position, false)) return false;
    if (!MakeRetInfo(m_Corpus, result.m_Query, record, hit)) return false;
    const CorpusFile& file = m_Corpus.files[hit.file_no];
    return hit.position < file.count && m_Corpus.WordText(file.words[hit.position]) != nullptr;
}

void CQAVSearch::GetCount_Simple(CAtomRet* result, int64_t parallelFrom) {
    const int ranges = std::max(m_Limits.size(), 1);
    std::vector<int64_t> counts(static_cast<size_t>(ranges), 0);
    // Conditions on the hit parts need the one set of parts of this object,
    // so only counts without them are spread over workers.
    if (result->TotalHits() >= parallelFrom && m_Condition.Checks().empty()) {
        m_bApproximate = CountInParallel(*result, counts) ? 1 : 0;
    } else {
        QueryTimeCheck clock;
        CRetInfo hit;
        const bool stop = ForEachRecord(*result, [&](const OffsetRecordInfo& info) {
            if (!IsOKContext(*result, info, hit, -1, false)) return false;
            const int range = CountRangeOf(info.fileNo, info.position);
            if (range < 0) return false;
            ++counts[static_cast<size_t>(range)];
            return clock.Step();
        });
        if (stop) m_bApproximate = 1;
    }
    m_FinalRect.ResetRows(ranges);
    for (int i = 0; i < m_FinalRect.m_nCount; ++i)
        m_FinalRect.m_Rows[static_cast<size_t>(i)].count = ClampCount(counts[static_cast<size_t>(i)]);
}

bool CQAVSearch::CountInParallel(const CAtomRet& result, std::vector<int64_t>& counts) const {
    std::atomic<bool> stop{false};
    const int64_t timeoutMs = g_nQueryTimeoutMs;
    const auto startTime = g_queryStartTime;
    std::vector<std::vector<int64_t>> own(kCountWorkers, std::vector<int64_t>(counts.size(), 0));

    auto work = [&](int t) noexcept {
        // Each worker keeps the caller's time limit.
        g_nQueryTimeoutMs = static_cast<decltype(g_nQueryTimeoutMs)>(timeoutMs);
        g_queryStartTime = startTime;
        QueryTimeCheck clock;
        CRetInfo hit;
        for (int s = t; s < result.m_nSegCount && !stop.load(std::memory_order_relaxed); s += kCountWorkers) {
            const SegmentRecords segment = RecordsOfSegment(result, s);
            const unsigned char* record = segment.first;
            for (int32_t i = 0; i < segment.count; ++i, record += segment.width) {
                const OffsetRecordInfo info = ReadOffsetRecord(record, segment.width);
                const int range = CountRangeOf(info.fileNo, info.position);
                if (range < 0 || !IsCountedRecord(result, info, hit)) continue;
                ++own[static_cast<size_t>(t)][static_cast<size_t>(range)];
                if (clock.Step()) {
                    stop = true;
                    return;
                }
            }
        }
    };

    std::vector<std::thread> threads;
    std::vector<int> inlineShares;
    for (int t = 1; t < kCountWorkers; ++t) {
        try {
            threads.emplace_back(work, t);
        } catch (const std::system_error&) {
            inlineShares.push_back(t);  // no thread to be had: the caller does this share
        }
    }
    work(0);
    for (int t : inlineShares) work(t);
    for (std::thread& thread : threads) thread.join();
    for (const std::vector<int64_t>& worker : own)
        for (size_t r = 0; r < counts.size(); ++r) counts[r] += worker[r];
    return stop;
}

void CQAVSearch::GetCount_Complex(CAtomRet* result, const std::string& form, const std::string& /*condition*/,
                                  int top) {
    m_FinalRect.Clear();
    std::vector<CCountMap> maps;
    InitFreq(maps, m_Limits.size());
    QueryTimeCheck clock;
    CRetInfo hit;
    const bool stop = ForEachRecord(*result, [&](const OffsetRecordInfo& info) {
        if (!IsOKContext(*result, info, hit, -1, false)) return false;
        const int range = m_Limits.RetLimitNo(SentenceKey(hit.file_no, hit.position));
        if (range >= 0) Add2Freq(maps[static_cast<size_t>(range)], form);
        return clock.Step();
    });
    if (stop) m_bApproximate = 1;
    AddvmFreq2RetBuff(maps, top, m_FinalRect);
}

int CQAVSearch::GetCount(CQAVRet* result, const std::string& form, const std::string& /*condition*/, int top) {
    m_FinalRect.Clear();
    m_bApproximate = 0;
    if (!result) return 0;
    std::vector<CCountMap> maps;
    InitFreq(maps, m_Limits.size());
    const int width = form == "$B" || form == "$E" ? -1 : 0;
    for (int i = 0; i < result->m_nCount; ++i) {
        const CRetInfo& hit = result->m_Hits[static_cast<size_t>(i)];
        if (!IsOk(hit, width)) continue;
        const int range = m_Limits.RetLimitNo(SentenceKey(hit.file_no, hit.position));
        if (range >= 0) Add2Freq(maps[static_cast<size_t>(range)], form);
    }
    AddvmFreq2RetBuff(maps, top, m_FinalRect);
    MarkOutputCut(result->m_bApproximate, "count");
    return 0;
}

void CQAVSearch::Add2Freq(CCountMap& map, const std::string& form) { ++map[CountFormText(form, m_SplitedRet)]; }

void CQAVSearch::ClearRetBuf_Limit() { m_FinalRect.ResetRows(m_Limits.size()); }
