#include "qav/fulltext/search/bm_search.h"

namespace qav {

bool CBMSearch::BMSearchInit() {
    if (!g_pBMEngine) return false;
    const CSizeInfo& sizes = g_pBMEngine->m_Config.m_SizeInfo;
    for (CBMRet& slot : m_Ret) slot.BMRetInit(sizes.RetBuffSize);
    m_ForMerge.ForMergeInit(sizes.HashSize_IdxUnit);
    m_Condition.m_Base.ForMergeInit(0);
    if (!m_pFSTSearch) m_pFSTSearch = std::make_unique<FSTSearch>();
    m_pFSTSearch->FSTSearchInit();
    return true;
}

void CBMSearch::BMSearchExit() {
    for (CBMRet& slot : m_Ret) slot.BMRetExit();
    m_ForMerge.ForMergeExit();
    m_Condition.m_Base.ForMergeExit();
    if (m_pFSTSearch) m_pFSTSearch->FSTSearchExit();
}

bool CBMSearch::GetFSTCandidateDoc(const std::string& names) {
    if (!g_pBMEngine || !m_pFSTSearch) return false;
    const auto fst = g_pBMEngine->m_FST.find(g_pBMEngine->m_Config.m_FileInfo.Data);
    return fst != g_pBMEngine->m_FST.end() && m_pFSTSearch->GetFSTCandidateDoc(names, fst->second);
}

CBMRet* CBMSearch::SlotOf(int64_t handle) {
    if (handle == 0) return nullptr;
    for (int number = 3; number >= 1; --number)
        if (Slot(number).HasArray() && Slot(number).handle() == handle) return &Slot(number);
    return nullptr;
}

void CBMSearch::AppendPassing(const std::vector<bm::Posting>& records, CBMRet& out) const {
    out.m_bFree = false;
    for (const bm::Posting& record : records)
        if (IsSetBaseOk(record) && !out.Append(record)) break;
}

bool CBMSearch::Merge(Rule rule, const CBMRet& first, const CBMRet* second, CBMRet& out) {
    if (!first.HasArray() || (second && !second->HasArray())) return false;
    std::vector<bm::Posting> result;
    auto keep = [&](const CBMRet& slot, bool inSet) {
        for (int32_t i = 0; i < slot.m_nDocNum; ++i)
            if (m_ForMerge.Contains(slot[i]) == inSet) result.push_back(slot[i]);
    };
    if (!second) {
        result.assign(first.m_pDocs.get(), first.m_pDocs.get() + first.m_nDocNum);
    } else if (rule == Rule::kNot) {
        m_ForMerge.SetHashTag(*second);
        keep(first, false);
    } else {
        const bool firstSmaller = first.m_nDocNum <= second->m_nDocNum;
        const CBMRet& smaller = firstSmaller ? first : *second;
        const CBMRet& larger = firstSmaller ? *second : first;
        if (rule == Rule::kAnd) {
            m_ForMerge.SetHashTag(larger);
            keep(smaller, true);
        } else {
            m_ForMerge.SetHashTag(smaller);
            keep(larger, false);
            result.insert(result.end(), smaller.m_pDocs.get(), smaller.m_pDocs.get() + smaller.m_nDocNum);
        }
    }
    // An operand that is also the output holds the result alone.
    if (&out == &first || &out == second) out.Clear();
    AppendPassing(result, out);
    return true;
}

bool CBMSearch::MergeBM(const CBMRet& first, const CBMRet* second, CBMRet& out) {
    return Merge(Rule::kAnd, first, second, out);
}

bool CBMSearch::MergeBM_OR(const CBMRet& first, const CBMRet* second, CBMRet& out) {
    return Merge(Rule::kOr, first, second, out);
}

bool CBMSearch::MergeBM_NOT(const CBMRet& first, const CBMRet* second, CBMRet& out) {
    return Merge(Rule::kNot, first, second, out);
}

CBMRet* CBMSearch::MergeHandles(Rule rule, int64_t a, int64_t b) {
    CBMRet* first = SlotOf(a);
    CBMRet* second = SlotOf(b);
    if (!first || !second || first == second) {
        if (rule == Rule::kAnd) return nullptr;
        if (rule == Rule::kNot) return first;
        for (int number = 1; number <= 3; ++number)
            if (first == &Slot(number) || second == &Slot(number)) return &Slot(number);
        return nullptr;
    }
    const std::array<int, 3> order = rule == Rule::kNot ? std::array<int, 3>{1, 2, 3} : std::array<int, 3>{3, 2, 1};
    CBMRet* out = &Slot(order[2]);
    for (int i = 0; i < 2 && out == &Slot(order[2]); ++i)
        if (Slot(order[i]).m_bFree) out = &Slot(order[i]);
    if (!Merge(rule, *first, second, *out)) return nullptr;
    for (CBMRet* operand : {first, second})
        if (operand != out) operand->Clear();
    out->m_bFree = false;
    return out;
}

CBMRet* CBMSearch::GetBMDoc_AND(int64_t a, int64_t b) { return MergeHandles(Rule::kAnd, a, b); }
CBMRet* CBMSearch::GetBMDoc_OR(int64_t a, int64_t b) { return MergeHandles(Rule::kOr, a, b); }
CBMRet* CBMSearch::GetBMDoc_NOT(int64_t a, int64_t b) { return MergeHandles(Rule::kNot, a, b); }

CBMRet* CBMSearch::GetBMDoc(const std::string& term, int64_t handle) {
    CBMRet* partner = nullptr;
    CBMRet* out = nullptr;
    if (handle == 0) {
        for (int number = 1; number <= 3 && !out; ++number)
            if (Slot(number).m_bFree) out = &Slot(number);
    } else {
        partner = SlotOf(handle);
        if (partner) out = &Slot(partner == &Slot(3) ? 1 : partner == &Slot(1) ? 2 : 3);
    }
    if (!g_pBMEngine || !g_pBMEngine->m_pHashTable) return nullptr;
    const bm::CHashNodeBM* node = g_pBMEngine->m_pHashTable->GetHashNode(term);
    if (!node || !out) return nullptr;
    const BMRecordBuffer postings = g_pBMEngine->GetTerm2DocBuffer(*node);
    CBMRet fetched;
    fetched.BMRetInit(static_cast<int32_t>(node->postingCount));
    for (uint32_t j = 0; postings && j < node->postingCount; ++j)
        fetched.Append(bm::DecodeDocOffset(postings->data(), j));
    if (!MergeBM(fetched, partner, *out)) return nullptr;
    if (partner) partner->Clear();
    out->m_bFree = false;
    return out;
}

}  // namespace qav
