// Joins and merges of the search object's result slots.
#include "qav/index/engine/qav_engine.h"
#include "qav/search/merge/merge_run.h"
#include "qav/index/engine/qav_engine.h"
#include "qav/search/atom/capacity_cut.h"
#include "qav/search/merge/merge_run.h"
#include "qav/search/qav_search.h"
#include "qav/search/filter/sentence_document.h"

namespace {

// The search object as the environment of one join or merge.
class SearchMergeEnv final : public MergeEnv {
public:
    explicit SearchMergeEnv(CQAVSearch& search) : m_search(search) {}

    const RecordCompareContext& Corpus() const override { return m_search.m_Corpus; }
    bool IsInLimit(uint8_t fileNo, uint32_t position, bool skipBase) override {
        return m_search.IsInLimit(fileNo, position, skipBase);
    }
    bool IsOk(const CRetInfo& hit) override {
        // Merges read no hit parts, so without checks the word test is all.
        if (m_search.m_Condition.Checks().empty()) return IsWordAt(m_search.m_Corpus, hit.file_no, hit.position);
        return m_search.IsOk(hit, -1);
    }
    bool GetDocument(uint8_t fileNo, uint32_t position, uint32_t& doc) override {
        int64_t document = 0;
        if (!g_pCQAVEngine ||
            !DocumentOfSentence(*g_pCQAVEngine, static_cast<uint64_t>(SentenceKey(fileNo, position)), document))
            return false;
        doc = static_cast<uint32_t>(document);
        return true;
    }
    void SetApproximate() override {
        m_search.m_bApproximate = 1;
        m_cut = true;
    }
    bool Cut() const { return m_cut; }

private:
    CQAVSearch& m_search;
    bool m_cut = false;
};

// The input named by a handle. A free atom slot counts as empty: the use
// counts that kept its records loaded are already lowered.
MergeSide SideOf(CQAVSearch& search, uint64_t handle) {
    if (CAtomRet* atom = search.AtomSlot(handle)) {
        static const CAtomRet kEmpty;
        return MergeSide::Atom(atom->IsFree() ? kEmpty : *atom);
    }
    return MergeSide::Merged(*search.MergedSlot(handle));
}

// Whether the result named by a handle already misses hits.
bool IsApproximate(CQAVSearch& search, uint64_t handle) {
    if (const CAtomRet* atom = search.AtomSlot(handle)) return !atom->IsFree() && atom->m_bApproximate;
    const CQAVRet* merged = search.MergedSlot(handle);
    return merged && merged->m_bApproximate;
}

const char* MergeStepName(int type) {
    switch (type) {
    case kMergeAnd: return "AND";
    case kMergeOr: return "OR";
    case kMergeNot: return "NOT";
    default: return "merge";
    }
}

}  // namespace

void CQAVSearch::MarkCutResult(CQAVRet& out, bool inputCut, bool timeCut, const char* step) {
    if (out.m_nLeftOut > 0)
        LogCapacityCut("RetInfoMaxSize", out.m_nCapacity, step, "hits", out.m_nCount, out.m_nLeftOut);
    if (inputCut || timeCut || out.m_nLeftOut > 0) out.m_bApproximate = 1;
}

CQAVRet* CQAVSearch::MergeSearch(uint64_t left, uint64_t right, int code) {
    CQAVRet* out = MergeTarget(left, right);
    if (!out) return nullptr;
    const bool inputCut = IsApproximate(*this, left) || IsApproximate(*this, right);
    SearchMergeEnv env(*this);
    MergeRun(m_ForMerge, env).Join(SideOf(*this, left), SideOf(*this, right), *out, code);
    MarkCutResult(*out, inputCut, env.Cut(), "join");
    FreeSlot(left);
    FreeSlot(right);
    return out;
}

CQAVRet* CQAVSearch::MergeRet(uint64_t first, uint64_t second, int type, bool docLevel) {
    CQAVRet* out = MergeTarget(first, second);
    if (!out) return nullptr;
    // A hit missing from either side changes any merge: even a NOT, whose
    // cut second side lets hits through that it would have excluded.
    const bool inputCut = IsApproximate(*this, first) || IsApproximate(*this, second);
    SearchMergeEnv env(*this);
    MergeRun(m_ForMerge, env).Merge(SideOf(*this, first), SideOf(*this, second), *out, type, docLevel);
    MarkCutResult(*out, inputCut, env.Cut(), MergeStepName(type));
    FreeSlot(first);
    FreeSlot(second);
    return out;
}
