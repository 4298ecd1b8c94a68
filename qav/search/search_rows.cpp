// Output rows of the search object: context lines, counts, frequency lists and
// the documents of a result's hits.
#include "qav/search/qav_search.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <new>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "qav/index/base/qav_log.h"
#include "qav/index/engine/qav_engine.h"
#include "qav/index/engine/sent_info.h"
#include "qav/search/atom/capacity_cut.h"
#include "qav/search/atom/make_ret_info.h"
#include "qav/search/atom/record_walk.h"
#include "qav/search/filter/hit_parts.h"
#include "qav/search/filter/query_time.h"
#include "qav/search/filter/sentence_document.h"
#include "qav/search/merge/parallel_shares.h"
#include "qav/search/rows/context_line.h"
#include "qav/search/rows/context_walk.h"
#include "qav/search/rows/count_maps.h"
#include "qav/search/rows/freq_form.h"
#include "qav/search/rows/freq_map.h"
#include "qav/search/rows/freq_key_hits.h"

namespace qav {

// Context lines of the search object: the engine's side of the walks in
// context_walk.cpp, the hit parts and the rows.
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

bool CQAVSearch::IsInDataFiles(const CRetInfo& hit) {
    return g_pCQAVEngine && hit.file_no < g_pCQAVEngine->DataFileCount();
}

bool CQAVSearch::GetSplitedRet(const CRetInfo& hit, int width) { return SplitHitParts(hit, width, m_SplitedRet); }

bool CQAVSearch::SplitHitParts(const CRetInfo& hit, int width, CSplitedRet& parts) {
    parts.Clear();
    if (!IsInDataFiles(hit)) return false;
    const CQAVEngine* engine = g_pCQAVEngine;
    HitPartsSource source;
    source.words = engine->m_pWordList.get();
    source.config = &engine->m_config;
    source.english = engine->m_config.m_Language == 1;
    SplitHit(source, engine->m_corpus[hit.file_no].get(), engine->m_corpusLength[hit.file_no], hit, width, parts);
    return true;
}

void CQAVSearch::AddAcceptedRow(const CRetInfo& hit, int width, uint64_t key) {
    // IsOk split the hit already when checks read its parts.
    if (m_Condition.Checks().empty()) GetSplitedRet(hit, width);
    Add2Context(static_cast<uint8_t>(key >> 32), static_cast<uint32_t>(key));
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
    ContextWalkSetup setup = ContextSetup(page, pageSize);
    // Without checks the test reads no hit parts of this object, so it may
    // run on several threads at once.
    const AcceptRecordFn concurrentAccept = [&](const unsigned char* record, uint8_t recordWidth, uint64_t& key) {
        CRetInfo hit;
        if (!IsRecordHit(*result, ReadOffsetRecord(record, recordWidth), hit, false) || !IsOkForRow(hit, width))
            return false;
        key = SentenceKey(hit);
        return true;
    };
    if (m_Condition.Checks().empty()) setup.concurrentAccept = &concurrentAccept;
    // A row is made right after its hit is accepted: the walks accept many
    // hits for the total and the page, and only the rows' hits are split.
    CRetInfo accepted{};
    const ContextWalkResult walk = WalkAtomContext(
        *result, setup, m_SentKeys,
        [&](const unsigned char* record, uint8_t recordWidth, uint64_t& key) {
            if (!IsRecordHit(*result, ReadOffsetRecord(record, recordWidth), accepted, false) ||
                !IsOkForRow(accepted, width))
                return false;
            key = SentenceKey(accepted);
            return true;
        },
        [&](uint64_t key) { AddAcceptedRow(accepted, width, key); });
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
    CRetInfo accepted{};
    const ContextWalkResult walk = WalkMergedContext(
        *result, estimateAllowed, setup, m_SentKeys,
        [&](const CRetInfo& hit, uint64_t& key) {
            if (!IsOkForRow(hit, width)) return false;
            accepted = hit;
            key = SentenceKey(hit);
            return true;
        },
        [&](uint64_t key) { AddAcceptedRow(accepted, width, key); });
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

// Counts of the search object: the hits of a result per limit range, either
// as numbers or with the most frequent texts of a hit part.
namespace {

constexpr size_t kCountsPerCacheLine = 64 / sizeof(int64_t);

int32_t ClampCount(int64_t count) { return static_cast<int32_t>(std::min<int64_t>(count, INT32_MAX)); }

// Hits whose first units of the match a walk reads in a row (TouchMatchUnits).
constexpr size_t kTouchedHits = 64;

// Reads the first unit of the match of each hit of [hits, end), so that a
// walk making their keys or parts one by one afterwards finds them in the
// cache: the hits lie far apart in the corpus, and reads with nothing between
// them wait for memory side by side, where the work between two hits lets
// only one wait at a time.
void TouchMatchUnits(const CQAVEngine& engine, const CRetInfo* hits, const CRetInfo* end) {
    uint32_t units = 0;
    for (const CRetInfo* hit = hits; hit != end; ++hit) {
        if (hit->file_no >= engine.DataFileCount()) continue;
        const int64_t start = int64_t{hit->position} + hit->start;
        if (start >= 0 && start < int64_t{engine.m_corpusLength[hit->file_no]})
            units += engine.m_corpus[hit->file_no][static_cast<size_t>(start)];
    }
    // The sum is of no use; this keeps the compiler from dropping the reads.
    asm volatile("" : : "r"(units));
}

// Reads the word at the anchor of each record, which making its hit reads or
// covers from; the same waits side by side as in TouchMatchUnits.
void TouchAnchorWords(const RecordCompareContext& corpus, const OffsetRecordInfo* records,
                      const OffsetRecordInfo* end) {
    uint32_t units = 0;
    for (const OffsetRecordInfo* record = records; record != end; ++record)
        if (IsOverFlow(corpus, record->position, record->fileNo, record->wordIndex))
            units += corpus.files[record->fileNo].words[int64_t{record->position} + record->wordIndex];
    asm volatile("" : : "r"(units));
}

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
    return MakeRetInfo(m_Corpus, result.m_Query, record, hit) && IsWordAt(m_Corpus, hit.file_no, hit.position);
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
        // Without checks no hit parts are read: the test is the workers' one.
        const bool checks = !m_Condition.Checks().empty();
        const bool makingReadsWords = result->m_Query.queryLength > 0;
        // Segments of no offset records are logged once, as a single walk would.
        for (int s = 0; s < result->m_nSegCount; ++s) RecordsOfSegment(*result, s);
        // The anchor words of a batch are read together, as the workers do:
        // a query on a cold cache waits for each of them.
        const bool stop = ForEachRecordBatchInRange<kTouchedHits>(
            *result, 0, CountSegmentRecords(*result), [&](const OffsetRecordInfo* batch, int count) {
                if (makingReadsWords) TouchAnchorWords(m_Corpus, batch, batch + count);
                for (int i = 0; i < count; ++i) {
                    const OffsetRecordInfo& info = batch[i];
                    if (checks ? !IsOKContext(*result, info, hit, -1, false) : !IsCountedRecord(*result, info, hit))
                        continue;
                    const int range = CountRangeOf(info.fileNo, info.position);
                    if (range < 0) continue;
                    ++counts[static_cast<size_t>(range)];
                    if (clock.Step()) return true;
                }
                return false;
            });
        if (stop) m_bApproximate = 1;
    }
    m_FinalRect.ResetRows(ranges);
    for (int i = 0; i < m_FinalRect.m_nCount; ++i)
        m_FinalRect.m_Rows[static_cast<size_t>(i)].count = ClampCount(counts[static_cast<size_t>(i)]);
}

bool CQAVSearch::CountInParallel(const CAtomRet& result, std::vector<int64_t>& counts) const {
    std::atomic<bool> stop{false};
    // Each worker counts in a block of its own, a cache line apart from the
    // next worker's, so that the threads do not fight over one line.
    const size_t stride = counts.size() + kCountsPerCacheLine;
    const int workers = PassShares();
    std::vector<int64_t> own(static_cast<size_t>(workers) * stride, 0);
    // Segments of no offset records are logged once, as a single walk would.
    for (int s = 0; s < result.m_nSegCount; ++s) RecordsOfSegment(result, s);
    const int64_t records = CountSegmentRecords(result);

    // Making a hit reads words only to cover a pattern.
    const bool makingReadsWords = result.m_Query.queryLength > 0;
    // The workers keep the caller's time limit.
    RunShares(workers, [&](int t) noexcept {
        QueryTimeCheck clock;
        CRetInfo hit;
        // Shares of the records rather than of the segments: a frequent word
        // may have all its records in one segment.
        const int64_t from = records * t / workers;
        const int64_t to = records * (t + 1) / workers;
        // Records come in batches whose anchor words are read together
        // before the hits are made one by one.
        ForEachRecordBatchInRange<kTouchedHits>(result, from, to, [&](const OffsetRecordInfo* batch, int count) {
            if (makingReadsWords) TouchAnchorWords(m_Corpus, batch, batch + count);
            for (int i = 0; i < count && !stop.load(std::memory_order_relaxed); ++i) {
                const int range = CountRangeOf(batch[i].fileNo, batch[i].position);
                if (range < 0 || !IsCountedRecord(result, batch[i], hit)) continue;
                ++own[static_cast<size_t>(t) * stride + static_cast<size_t>(range)];
                if (clock.Step()) stop = true;
            }
            return stop.load(std::memory_order_relaxed);
        });
    });
    for (size_t t = 0; t < static_cast<size_t>(workers); ++t)
        for (size_t r = 0; r < counts.size(); ++r) counts[r] += own[t * stride + r];
    return stop;
}

void CQAVSearch::GetCount_Complex(CAtomRet* result, const std::string& form, const std::string& /*condition*/,
                                  int top) {
    m_FinalRect.Clear();
    std::vector<CCountMap> maps;
    InitFreq(maps, m_Limits.size());
    bool stop = false;
    // Without checks no condition reads this object's one set of parts, so
    // large results are counted on workers with parts of their own.
    if (!m_Condition.Checks().empty() || CountSegmentRecords(*result) < kSharedAtomCountFrom ||
        !CountTextsInShares(*result, form, maps, stop)) {
        InitFreq(maps, m_Limits.size());
        stop = CountTextsInWalk(*result, form, maps);
    }
    if (stop) m_bApproximate = 1;
    AddvmFreq2RetBuff(maps, top, m_FinalRect);
}

bool CQAVSearch::CountTextsInWalk(const CAtomRet& result, const std::string& form, std::vector<CCountMap>& maps) {
    QueryTimeCheck clock;
    CRetInfo hit;
    // Records wait in a batch whose anchor words, near every word a hit's
    // parts are read from, are read together before the records are taken
    // one by one.
    std::array<OffsetRecordInfo, kTouchedHits> batch;
    size_t waiting = 0;
    bool stop = false;
    auto countBatch = [&] {
        TouchAnchorWords(m_Corpus, batch.data(), batch.data() + waiting);
        for (size_t i = 0; i < waiting && !stop; ++i) {
            if (!IsOKContext(result, batch[i], hit, -1, false)) continue;
            const int range = m_Limits.RetLimitNo(SentenceKey(hit.file_no, hit.position));
            if (range >= 0) Add2Freq(maps[static_cast<size_t>(range)], form);
            stop = clock.Step();
        }
        waiting = 0;
    };
    ForEachRecord(result, [&](const OffsetRecordInfo& info) {
        batch[waiting++] = info;
        if (waiting == kTouchedHits) countBatch();
        return stop;
    });
    countBatch();
    return stop;
}

namespace {

// The texts one share of a count met in one limit range, with the order in
// which it met them first.
struct ShareTexts {
    CCountMap counts;
    std::vector<const CCountMap::value_type*> firstMet;

    void Add(std::string text) {
        const auto [entry, added] = counts.try_emplace(std::move(text), 0);
        if (added) firstMet.push_back(&*entry);
        ++entry->second;
    }
};

}  // namespace

bool CQAVSearch::CountTextsInShares(const CAtomRet& result, const std::string& form, std::vector<CCountMap>& maps,
                                    bool& stopped) const {
    // Segments of no offset records are logged once, as a single walk would.
    for (int s = 0; s < result.m_nSegCount; ++s) RecordsOfSegment(result, s);
    const int64_t records = CountSegmentRecords(result);
    // The forms of the match and the groups do not read the context.
    const int width = form == "$B" || form == "$E" ? -1 : 0;
    std::vector<std::vector<ShareTexts>> shares(PassShares());
    std::atomic<bool> noMemory{false};
    std::atomic<bool> stop{false};
    // Shares of the records rather than of the segments: a frequent word may
    // have all its records in one segment. The workers keep the caller's
    // time limit.
    RunShares(PassShares(), [&](int share) {
        try {
            std::vector<ShareTexts> texts(maps.size());
            const int64_t from = records * share / PassShares();
            const int64_t to = records * (share + 1) / PassShares();
            QueryTimeCheck clock;
            CRetInfo hit;
            CSplitedRet parts;
            ForEachRecordBatchInRange<kTouchedHits>(result, from, to, [&](const OffsetRecordInfo* batch, int count) {
                TouchAnchorWords(m_Corpus, batch, batch + count);
                for (int i = 0; i < count && !stop.load(std::memory_order_relaxed); ++i) {
                    const OffsetRecordInfo& info = batch[i];
                    hit.Clear();
                    if (!IsOverFlow(m_Corpus, info.position, info.fileNo, info.wordIndex) ||
                        !IsInLimit(info.fileNo, info.position, false) ||
                        !MakeRetInfo(m_Corpus, result.m_Query, info, hit) ||
                        !IsWordAt(m_Corpus, hit.file_no, hit.position) || !SplitHitParts(hit, width, parts))
                        continue;
                    const int range = m_Limits.RetLimitNo(SentenceKey(hit.file_no, hit.position));
                    if (range >= 0 && static_cast<size_t>(range) < texts.size())
                        texts[static_cast<size_t>(range)].Add(CountFormText(form, parts));
                    if (clock.Step()) stop = true;
                }
                return stop.load(std::memory_order_relaxed);
            });
            shares[static_cast<size_t>(share)] = std::move(texts);
        } catch (const std::bad_alloc&) {
            noMemory = true;
        }
    });
    if (noMemory) return false;
    stopped = stop;
    // The shares follow one another in the order of the single walk: taking
    // each share's texts in the order it met them first fills the maps in
    // the walk's order, so that they list equal counts in the same order.
    for (size_t range = 0; range < maps.size(); ++range)
        for (const std::vector<ShareTexts>& texts : shares)
            for (const CCountMap::value_type* text : texts[range].firstMet)
                maps[range][text->first] += text->second;
    return true;
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
        if (g_pCQAVEngine && i % kTouchedHits == 0)
            TouchMatchUnits(*g_pCQAVEngine, &hit, &hit + std::min<int64_t>(kTouchedHits, result->m_nCount - i));
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

// Frequency lists of the search object: the quick count of a complex unit's
// hits, and the frequency map of the keys a form takes from each hit.
namespace {

// Without conditions, results of this many hits are counted without a walk.
constexpr int64_t kFreqQuickCountFrom = 204801;
// Without checks, frequency lists of atom results of this many records are
// made on workers.
constexpr int64_t kSharedAtomFreqFrom = 4096;

// The document names that SourceNumber indexes, ascending.
const std::vector<std::string>& SourceNames() {
    static const std::vector<std::string> none;
    const CQAVEngine* engine = g_pCQAVEngine;
    return engine ? engine->m_orgInfo.SortedNames() : none;
}

// The entry of the document holding the sentence; -1 when there is no
// document table, no such document, or its name begins with "Doc".
int64_t SourceEntry(const COrgInfo& documents, uint8_t fileNo, uint32_t position) {
    if (documents.EntryCount() == 0) return -1;
    const int64_t entry = documents.EntryOf((uint64_t{fileNo} << 32) | position);
    if (entry < 0 || documents.Names()[static_cast<size_t>(entry)].compare(0, 3, "Doc") == 0) return -1;
    return entry;
}

// The name of the document holding a sentence as an index of SourceNames(),
// so that numbers compare as names do; -1 where SourceEntry finds none.
// Names that begin with "Doc", being ascending, are one range of numbers, so
// a hit's name is never read.
class SourceNumbering {
public:
    SourceNumbering() : m_engine(g_pCQAVEngine) {
        if (!m_engine) return;
        const std::vector<std::string>& names = m_engine->m_orgInfo.SortedNames();
        m_docFrom = std::lower_bound(names.begin(), names.end(), "Doc") - names.begin();
        m_docTo = std::lower_bound(names.begin(), names.end(), "Dod") - names.begin();
    }

    int32_t Of(uint8_t fileNo, uint32_t position) const {
        if (!m_engine) return -1;
        const int64_t number = m_engine->m_orgInfo.NameNumberOf((uint64_t{fileNo} << 32) | position);
        return number >= m_docFrom && number < m_docTo ? -1 : static_cast<int32_t>(number);
    }

private:
    const CQAVEngine* m_engine;
    int64_t m_docFrom = 0;  // [m_docFrom, m_docTo): numbers of names beginning with "Doc"
    int64_t m_docTo = 0;
};

// Name of the document holding the sentence; empty when SourceEntry finds
// none.
std::string SourceName(uint8_t fileNo, uint32_t position) {
    const CQAVEngine* engine = g_pCQAVEngine;
    if (!engine) return {};
    const int64_t entry = SourceEntry(engine->m_orgInfo, fileNo, position);
    return entry < 0 ? std::string() : engine->m_orgInfo.Names()[static_cast<size_t>(entry)];
}

// The keys and documents of the accepted hits of one share of a frequency
// list, in a run of its own. Without context (width 0) a key is made of the
// units of the match and groups alone: a hit is split only when those units
// are new to the share, as reading the texts of every hit's units costs
// more than the walk.
class ShareKeys {
public:
    ShareKeys(const CFreqForm& form, int width, size_t hits)
        : m_form(form), m_width(width), m_engine(width == 0 ? g_pCQAVEngine : nullptr) {
        m_run.Reserve(hits);
    }

    // Adds a hit whose sentence position holds a word.
    void Add(const CRetInfo& hit) {
        if (!m_engine) {
            if (CQAVSearch::SplitHitParts(hit, m_width, m_parts))
                m_run.Add(BuildFreqKey(m_form, m_parts), m_sources.Of(hit.file_no, hit.position));
            return;
        }
        if (!CQAVSearch::IsInDataFiles(hit)) return;
        const uint32_t* data = m_engine->m_corpus[hit.file_no].get();
        const size_t count = m_engine->m_corpusLength[hit.file_no];
        // Hits come by the text that follows a word, so a hit often has the
        // key of the one before.
        if (PackHitSpanSignature(data, count, hit, m_packed)) {
            if (!m_lastWasPacked || m_packed != m_lastPacked) {
                m_lastKey = KeyOf(m_keyOfPacked, m_packed, hit);
                m_lastPacked = m_packed;
                m_lastWasPacked = true;
            }
        } else {
            HitSpanSignature(data, count, hit, m_signature);
            if (m_lastWasPacked || m_signature != m_lastSignature) {
                m_lastKey = KeyOf(m_keyOfSignature, m_signature, hit);
                m_lastSignature.swap(m_signature);
                m_lastWasPacked = false;
            }
        }
        m_run.AddHit(m_lastKey, m_sources.Of(hit.file_no, hit.position));
    }

    // Reads the first units of the matches of [hits, end) before Add reads
    // them one by one.
    void Touch(const CRetInfo* hits, const CRetInfo* end) const {
        if (m_engine) TouchMatchUnits(*m_engine, hits, end);
    }

    FreqKeyRun& Run() { return m_run; }

private:
    // The number of the key of hits of the signature, the hit being split
    // when the signature is new.
    template <typename Table, typename Signature>
    uint32_t KeyOf(Table& keyOfSignature, const Signature& signature, const CRetInfo& hit) {
        auto [known, isNew] = keyOfSignature.try_emplace(signature, 0);
        if (isNew) {
            CQAVSearch::SplitHitParts(hit, m_width, m_parts);
            known->second = m_run.KeyNumber(BuildFreqKey(m_form, m_parts));
        }
        return known->second;
    }

    const CFreqForm& m_form;
    const int m_width;
    const CQAVEngine* m_engine;  // null: every hit is split
    const SourceNumbering m_sources;
    CSplitedRet m_parts;
    FreqKeyRun m_run;
    std::unordered_map<PackedSpanSignature, uint32_t, PackedSpanSignatureHash> m_keyOfPacked;
    std::unordered_map<std::string, uint32_t> m_keyOfSignature;
    PackedSpanSignature m_packed{};
    PackedSpanSignature m_lastPacked{};
    std::string m_signature;
    std::string m_lastSignature;
    bool m_lastWasPacked = false;  // which of the two last signatures the last hit had
    uint32_t m_lastKey = 0;
};

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
        // No conditions: the hit parts are never read, so no hit is split.
        CRetInfo hit;
        ForEachRecord(*result, [&](const OffsetRecordInfo& info) {
            if (IsCountedRecord(*result, info, hit)) ++count;
            return false;
        });
    }
    m_FinalRect.AddRow(result->m_Query.pattern, static_cast<int32_t>(std::min<int64_t>(count, INT32_MAX)));
}

int CQAVSearch::FreqSplitWidth() const {
    // A key is made of the match and the groups, which do not depend on the
    // width; only checks read the context around the hit.
    return m_Condition.Checks().empty() ? 0 : -1;
}

void CQAVSearch::GetFreq_Complex(CAtomRet* result, const std::string& form, const std::string& /*condition*/) {
    CFreqForm parsed;
    ParseObj(form, parsed);
    const int width = FreqSplitWidth();
    std::vector<FreqKeyRow> rows;
    bool stopped = false;
    if (m_Condition.Checks().empty() && CountSegmentRecords(*result) >= kSharedAtomFreqFrom &&
        CountFreqKeysInShares(*result, parsed, width, rows, stopped)) {
        if (stopped) m_bApproximate = 1;
        AddFreqRows(rows);
        return;
    }
    CFreqMap map;
    QueryTimeCheck clock;
    CRetInfo hit;
    const bool stop = ForEachRecord(*result, [&](const OffsetRecordInfo& info) {
        if (!IsOKContext(*result, info, hit, width, false)) return false;
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
    const int width = FreqSplitWidth();
    std::vector<FreqKeyRow> rows;
    if (m_Condition.Checks().empty() && result->m_nCount >= kSharedPassFrom &&
        CountFreqKeysInShares(*result, parsed, width, rows)) {
        result->m_bFree = 1;
        AddFreqRows(rows);
    } else {
        CFreqMap map;
        for (int i = 0; i < result->m_nCount; ++i) {
            const CRetInfo& hit = result->m_Hits[static_cast<size_t>(i)];
            if (IsOk(hit, width)) Add2FreqEx(map, parsed, hit.position, hit.file_no);
        }
        result->m_bFree = 1;
        AddFreqRows(map);
    }
    MarkOutputCut(result->m_bApproximate, "frequency list");
    return 0;
}

bool CQAVSearch::CountFreqKeysInShares(const CQAVRet& result, const CFreqForm& form, int width,
                                       std::vector<FreqKeyRow>& rows) const {
    // The key and document of each accepted hit, found in shares with parts
    // of their own, then counted on the workers by classes of keys.
    std::vector<FreqKeyRun> runs(PassShares());
    std::atomic<bool> noMemory{false};
    const int64_t count = result.m_nCount;
    RunShares(PassShares(), [&](int share) {
        try {
            const int64_t from = count * share / PassShares();
            const int64_t to = count * (share + 1) / PassShares();
            // Filled apart and moved in at the end, so that the threads do
            // not share the cache line of the runs side by side.
            ShareKeys keys(form, width, static_cast<size_t>(to - from));
            const CRetInfo* hits = &result.m_Hits[0];
            for (int64_t batch = from; batch < to; batch += kTouchedHits) {
                const int64_t end = std::min<int64_t>(to, batch + kTouchedHits);
                keys.Touch(hits + batch, hits + end);
                for (const CRetInfo* hit = hits + batch; hit != hits + end; ++hit)
                    if (IsWordAt(m_Corpus, hit->file_no, hit->position)) keys.Add(*hit);
            }
            runs[static_cast<size_t>(share)] = std::move(keys.Run());
        } catch (const std::bad_alloc&) {
            noMemory = true;
        }
    });
    return !noMemory && CountFreqKeyRuns(runs, SourceNames(), PassShares(), rows);
}

bool CQAVSearch::CountFreqKeysInShares(const CAtomRet& result, const CFreqForm& form, int width,
                                       std::vector<FreqKeyRow>& rows, bool& stopped) const {
    // Segments of no offset records are logged once, as a single walk would.
    for (int s = 0; s < result.m_nSegCount; ++s) RecordsOfSegment(result, s);
    const int64_t records = CountSegmentRecords(result);
    std::vector<FreqKeyRun> runs(PassShares());
    std::atomic<bool> noMemory{false};
    std::atomic<bool> stop{false};
    // Shares of the records rather than of the segments: a frequent word may
    // have all its records in one segment. The workers keep the caller's
    // time limit.
    RunShares(PassShares(), [&](int share) {
        try {
            const int64_t from = records * share / PassShares();
            const int64_t to = records * (share + 1) / PassShares();
            ShareKeys keys(form, width, static_cast<size_t>(to - from));
            QueryTimeCheck clock;
            CRetInfo hit;
            // Records wait in a batch and are made into hits together, and
            // the hits are keyed together: the words each step reads are read
            // for the whole batch first. Making a hit reads words only to
            // cover a pattern.
            const bool makingReadsWords = result.m_Query.queryLength > 0;
            std::vector<OffsetRecordInfo> batch;
            std::vector<CRetInfo> hits;
            batch.reserve(kTouchedHits);
            hits.reserve(kTouchedHits);
            auto addBatch = [&] {
                if (makingReadsWords) TouchAnchorWords(m_Corpus, batch.data(), batch.data() + batch.size());
                for (const OffsetRecordInfo& info : batch) {
                    if (stop.load(std::memory_order_relaxed)) break;
                    if (!IsOverFlow(m_Corpus, info.position, info.fileNo, info.wordIndex) ||
                        !IsInLimit(info.fileNo, info.position, false) ||
                        !MakeRetInfo(m_Corpus, result.m_Query, info, hit) ||
                        !IsWordAt(m_Corpus, hit.file_no, hit.position))
                        continue;
                    hits.push_back(hit);
                    if (clock.Step()) stop = true;
                }
                keys.Touch(hits.data(), hits.data() + hits.size());
                for (const CRetInfo& made : hits) keys.Add(made);
                hits.clear();
                batch.clear();
            };
            ForEachRecordInRange(result, from, to, [&](const OffsetRecordInfo& info) {
                if (stop.load(std::memory_order_relaxed)) return true;
                batch.push_back(info);
                if (batch.size() == kTouchedHits) addBatch();
                return false;
            });
            addBatch();
            runs[static_cast<size_t>(share)] = std::move(keys.Run());
        } catch (const std::bad_alloc&) {
            noMemory = true;
        }
    });
    stopped = stop;
    return !noMemory && CountFreqKeyRuns(runs, SourceNames(), PassShares(), rows);
}

void CQAVSearch::Add2FreqEx(CFreqMap& map, const CFreqForm& form, uint32_t position, uint8_t fileNo) {
    CountFreqKey(map, BuildFreqKey(form, m_SplitedRet), SourceName(fileNo, position));
}

void CQAVSearch::AddFreqRows(const CFreqMap& map) {
    m_FinalRect.Clear();
    // Rows past the capacity are counted, not kept.
    for (const auto& [key, entry] : map) m_FinalRect.AddRectEx(key, entry);
}

void CQAVSearch::AddFreqRows(std::vector<FreqKeyRow>& rows) {
    m_FinalRect.Clear();
    // Rows past the capacity are counted, not kept.
    for (FreqKeyRow& row : rows) m_FinalRect.AddRow(std::move(row.text), static_cast<int32_t>(row.count));
}

// The documents of a result's hits as log lines.
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

}  // namespace qav
