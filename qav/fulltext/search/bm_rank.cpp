// Ranked search: query terms, candidate collection, BM25 scoring, merging a
// document's fields and placing the best documents in a result slot.
#include <algorithm>
#include <thread>
#include <unordered_set>

#include "qav/fulltext/search/bm_search.h"
#include "qav/index/base/qav_log.h"

namespace qav {

namespace {

// Candidate lists from this size on are scored on several threads.
constexpr size_t kThreadedScoringFrom = 1024001;

uint64_t PostingDocKey(const bm::Posting& posting) {
    return static_cast<uint64_t>(bm::DocKey(posting.shard, posting.docOffset));
}

bool Allowed(const TermFields& fields, const std::string& term, int32_t field) {
    const auto allowed = fields.find(term);
    return allowed != fields.end() && allowed->second.count(field) != 0;
}

}  // namespace

bool CBMSearch::CountAndLookUp(const std::string& text) {
    const CConfig& config = g_pBMEngine->m_Config;
    TermCounts counts;
    TermFields fields;
    CountQueryEx(text, config.m_Field, config.m_StopWord, config.m_StopPOS, config.m_DelNumber, &counts, &fields);
    return m_Query.QueryTerm2Doc(counts, fields);
}

bool CBMSearch::CollectItem(const CBMQuery::Item& item, bool allFields) {
    const int32_t limit = g_pBMEngine->m_Config.m_SizeInfo.MaxAtomSearchRetSize;
    for (uint32_t j = 0; item.postings && j < item.node->postingCount; ++j) {
        const bm::Posting posting = bm::DecodeDocOffset(item.postings->data(), j);
        if (!allFields && !Allowed(m_Query.m_Fields, item.node->name, posting.field)) continue;
        CBMOneDoc candidate;
        candidate.terms = g_pBMEngine->GetDoc2TermBuffer(posting.termListOffset, posting.shard, &candidate.dl);
        if (!candidate.terms) continue;
        candidate.fieldKey = bm::DocKey(posting.shard, posting.termListOffset);
        candidate.docKey = bm::DocKey(posting.shard, posting.docOffset);
        candidate.field = posting.field;
        if (!m_BMDoc.Add(candidate, limit)) return false;
    }
    return true;
}

size_t CBMSearch::SelectedItems(int32_t mode) const {
    const size_t items = m_Query.m_Items.size();
    if (items == 1) return 1;
    if (mode <= 0) return 0;
    return static_cast<size_t>(static_cast<int64_t>(mode) * static_cast<int64_t>(items) / 100);
}

// Documents holding every term (each in one of its allowed fields); the
// candidates are the first term's records of those documents, any field.
void CBMSearch::CollectAnd() {
    const std::vector<CBMQuery::Item>& items = m_Query.m_Items;
    std::unordered_set<uint64_t> common;
    for (size_t i = 0; i < items.size(); ++i) {
        std::unordered_set<uint64_t> documents;
        for (uint32_t j = 0; items[i].postings && j < items[i].node->postingCount; ++j) {
            const bm::Posting posting = bm::DecodeDocOffset(items[i].postings->data(), j);
            if (!Allowed(m_Query.m_Fields, items[i].node->name, posting.field)) continue;
            if (i == 0 || common.count(PostingDocKey(posting))) documents.insert(PostingDocKey(posting));
        }
        common.swap(documents);
    }
    if (items.size() == 1) {
        CollectItem(items[0], false);
        return;
    }
    const int32_t limit = g_pBMEngine->m_Config.m_SizeInfo.MaxAtomSearchRetSize;
    const CBMQuery::Item& first = items[0];
    for (uint32_t j = 0; first.postings && j < first.node->postingCount; ++j) {
        const bm::Posting posting = bm::DecodeDocOffset(first.postings->data(), j);
        if (!common.count(PostingDocKey(posting))) continue;
        CBMOneDoc candidate;
        candidate.terms = g_pBMEngine->GetDoc2TermBuffer(posting.termListOffset, posting.shard, &candidate.dl);
        if (!candidate.terms) continue;
        candidate.fieldKey = bm::DocKey(posting.shard, posting.termListOffset);
        candidate.docKey = bm::DocKey(posting.shard, posting.docOffset);
        candidate.field = posting.field;
        if (!m_BMDoc.Add(candidate, limit)) return;
    }
}

void CBMSearch::GetCandidateDoc(int32_t mode) {
    m_BMDoc.clear();
    if (mode == -1) {
        CollectAnd();
        return;
    }
    // Each collection starts afresh: a list filled by an earlier query does
    // not cut this one short.
    m_bOverflow = false;
    const std::vector<CBMQuery::Item>& items = m_Query.m_Items;
    const size_t fieldCount = g_pBMEngine->m_Config.m_Field.size();
    const size_t selected = mode == 0 ? items.size() : std::min(SelectedItems(mode), items.size());
    for (size_t s = 0; s < selected && !m_bOverflow; ++s) {
        const CBMQuery::Item& item = items[items.size() - 1 - s];
        const auto fields = m_Query.m_Fields.find(item.node->name);
        const bool allFields = fields != m_Query.m_Fields.end() && fields->second.size() == fieldCount;
        if (!CollectItem(item, allFields)) m_bOverflow = true;
    }
    std::vector<CBMOneDoc>& candidates = m_BMDoc.m_vBMCandidateDoc;
    QavLog("pBMDoc->m_nBMCandidateDocNum: %zu\n", candidates.size());
    std::sort(candidates.begin(), candidates.end(),
              [](const CBMOneDoc& a, const CBMOneDoc& b) { return a.fieldKey > b.fieldKey; });
    candidates.erase(std::unique(candidates.begin(), candidates.end(),
                                 [](const CBMOneDoc& a, const CBMOneDoc& b) { return a.fieldKey == b.fieldKey; }),
                     candidates.end());
    QavLog("pBMDoc->m_nBMCandidateDocNum: %zu\n", candidates.size());
}

void CBMSearch::CalCandidateDoc(int32_t mode) { ScoreBlock(mode, 0, m_BMDoc.m_vBMCandidateDoc.size()); }

void CBMSearch::CalCandidateDocEx(int32_t mode) {
    const size_t count = m_BMDoc.m_vBMCandidateDoc.size();
    const int32_t configured = std::max(g_pBMEngine->m_Config.m_SizeInfo.ThreadNum_Count, 1);
    const size_t threads = std::min(count, static_cast<size_t>(configured));
    std::vector<std::thread> workers;
    size_t begin = 0;
    for (size_t t = 0; t < threads; ++t) {
        const size_t end = begin + count / threads + (t < count % threads ? 1 : 0);
        workers.emplace_back([this, mode, begin, end] { ScoreBlock(mode, begin, end); });
        begin = end;
    }
    for (std::thread& worker : workers) worker.join();
}

// Reads only the query, the block's own candidates and the engine's counts,
// so blocks may be scored side by side.
void CBMSearch::ScoreBlock(int32_t mode, size_t begin, size_t end) {
    if (mode == 0 || mode == -1) mode = 100;
    const std::vector<CBMQuery::Item>& items = m_Query.m_Items;
    const size_t selected = std::min(SelectedItems(mode), items.size());
    const CSizeInfo& sizes = g_pBMEngine->m_Config.m_SizeInfo;
    const bm::CHashTableBM& table = *g_pBMEngine->m_pHashTable;
    for (size_t c = begin; c < end; ++c) {
        CBMOneDoc& candidate = m_BMDoc.m_vBMCandidateDoc[c];
        const auto average = table.m_FieldAvgLen.find(static_cast<uint32_t>(candidate.field));
        const uint32_t avgdl = average == table.m_FieldAvgLen.end() ? 0 : average->second;
        for (size_t s = 0; s < selected; ++s) {
            const CBMQuery::Item& item = items[items.size() - 1 - s];
            const uint32_t tf = TermFreq(*candidate.terms, item.node->termNumber);
            if (tf == 0) continue;
            candidate.score += ScoreTerm(table.m_nDocNum, item.node->df, tf, candidate.dl, avgdl, item.qtf,
                                         sizes.BM_K1, sizes.BM_B, sizes.BM_K2);
        }
    }
}

void CBMSearch::MergeCandidateDoc() {
    std::vector<CBMOneDoc>& candidates = m_BMDoc.m_vBMCandidateDoc;
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const CBMOneDoc& a, const CBMOneDoc& b) { return a.docKey > b.docKey; });
    std::vector<CBMOneDoc>& merged = m_BMDoc.m_Merged;
    merged.clear();
    for (const CBMOneDoc& candidate : candidates) {
        if (!merged.empty() && merged.back().docKey == candidate.docKey) merged.back().score += candidate.score;
        else merged.push_back(candidate);
    }
}

bool CBMSearch::SetBMRet(CBMRet** out, int32_t n) {
    *out = nullptr;
    for (int number = 1; number <= 3 && !*out; ++number)
        if (Slot(number).m_bFree) *out = &Slot(number);
    if (!*out) {
        QavLogOnly("Free BMRet NOT FOUND\n");
        return false;
    }
    const std::vector<CBMOneDoc>& merged = m_BMDoc.m_Merged;
    const size_t limit = n == -1 ? merged.size() : static_cast<size_t>(std::max(n, 0));
    for (size_t i = 0; i < merged.size() && static_cast<size_t>((*out)->m_nDocNum) < limit; ++i) {
        (*out)->m_bFree = false;
        bm::Posting record;
        record.shard = static_cast<uint8_t>(static_cast<uint64_t>(merged[i].docKey) >> 32);
        record.termListOffset = static_cast<uint32_t>(merged[i].fieldKey);
        record.docOffset = static_cast<uint32_t>(merged[i].docKey);
        record.field = static_cast<uint8_t>(merged[i].field);
        if (IsSetBaseOk(record) && !(*out)->Append(record)) break;
    }
    m_BMDoc.clear();
    return true;
}

CBMRet* CBMSearch::Rank(const std::string& text, int32_t n, int32_t mode, int32_t scoringMode) {
    if (!g_pBMEngine || !g_pBMEngine->m_pHashTable || !g_pBMEngine->RefreshCache()) return nullptr;
    if (!CountAndLookUp(text)) return nullptr;
    GetCandidateDoc(mode);
    if (m_BMDoc.m_vBMCandidateDoc.size() < kThreadedScoringFrom) {
        CalCandidateDoc(scoringMode);
    } else {
        QavLog("m_BMDoc.m_nBMCandidateDocNum > 1024000\n");
        CalCandidateDocEx(scoringMode);
    }
    MergeCandidateDoc();
    std::stable_sort(m_BMDoc.m_Merged.begin(), m_BMDoc.m_Merged.end(),
                     [](const CBMOneDoc& a, const CBMOneDoc& b) { return a.score > b.score; });
    CBMRet* out = nullptr;
    SetBMRet(&out, n);
    return out;
}

CBMRet* CBMSearch::BM25(const std::string& text, int32_t n, int32_t mode) { return Rank(text, n, mode, mode); }

CBMRet* CBMSearch::KeyWordSearch(const std::string& text, int32_t n, int32_t mode) { return Rank(text, n, mode, 0); }

bool CBMSearch::KeyWord(const std::string& text, int32_t n, std::vector<std::string>* words,
                        std::vector<float>* scores) {
    words->clear();
    scores->clear();
    if (!g_pBMEngine || !g_pBMEngine->m_pHashTable || !CountAndLookUp(text)) return false;
    const float k3 = g_pBMEngine->m_Config.m_SizeInfo.BM_K2;
    std::vector<std::pair<uint32_t, float>> scored;
    for (const CBMQuery::Item& item : m_Query.m_Items) {
        const float qtf = static_cast<float>(item.qtf);
        const int32_t number = static_cast<int32_t>(item.node->termNumber);
        scored.emplace_back(item.node->termNumber, (k3 + 1) * qtf / (k3 + qtf) * g_pBMEngine->No2Idf(number));
    }
    std::stable_sort(scored.begin(), scored.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
    const size_t count = n == -1 ? scored.size() : std::min(scored.size(), static_cast<size_t>(std::max(n, 0)));
    for (size_t i = 0; i < count; ++i) {
        words->push_back(g_pBMEngine->No2Word(static_cast<int32_t>(scored[i].first)));
        scores->push_back(scored[i].second);
    }
    return true;
}

CBMRet* CBMSearch::BM25(const std::string& text1, int32_t mode1, const std::string& text2, int32_t mode2,
                        int32_t n) {
    if (!g_pBMEngine || !g_pBMEngine->m_pHashTable) return nullptr;
    if (!CountAndLookUp(text2)) return nullptr;
    const CBMQuery second = m_Query;
    if (!CountAndLookUp(text1)) return nullptr;
    GetCandidateDoc(mode1);
    std::vector<CBMOneDoc> first = std::move(m_BMDoc.m_vBMCandidateDoc);
    const CBMQuery query1 = m_Query;
    m_Query = second;
    GetCandidateDoc(mode2);
    std::vector<CBMOneDoc> other = std::move(m_BMDoc.m_vBMCandidateDoc);
    m_Query = query1;
    m_Query.m_Items.insert(m_Query.m_Items.end(), second.m_Items.begin(), second.m_Items.end());

    // The candidates of the smaller list whose document the other list holds.
    const bool firstSmaller = first.size() <= other.size();
    const std::vector<CBMOneDoc>& smaller = firstSmaller ? first : other;
    const std::vector<CBMOneDoc>& larger = firstSmaller ? other : first;
    std::unordered_set<int64_t> documents;
    for (const CBMOneDoc& candidate : larger) documents.insert(candidate.docKey);
    m_BMDoc.clear();
    const int32_t limit = g_pBMEngine->m_Config.m_SizeInfo.MaxAtomSearchRetSize;
    for (const CBMOneDoc& candidate : smaller)
        if (documents.count(candidate.docKey) && !m_BMDoc.Add(candidate, limit)) break;

    CalCandidateDoc(0);
    MergeCandidateDoc();
    std::stable_sort(m_BMDoc.m_Merged.begin(), m_BMDoc.m_Merged.end(),
                     [](const CBMOneDoc& a, const CBMOneDoc& b) { return a.score > b.score; });
    CBMRet* out = nullptr;
    SetBMRet(&out, n);
    return out;
}

}  // namespace qav
