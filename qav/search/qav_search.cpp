// The search object: its life, its atom searches, joins and merges, and the
// admission of hits by the limits, the document filters and the base set.
#include "qav/search/qav_search.h"

#include <algorithm>
#include <lua.hpp>

#include "qav/index/base/config.h"
#include "qav/index/engine/qav_engine.h"
#include "qav/index/engine/sent_info.h"
#include "qav/search/atom/atom_query.h"
#include "qav/search/atom/atom_search.h"
#include "qav/search/atom/capacity_cut.h"
#include "qav/search/atom/engine_views.h"
#include "qav/search/filter/condition.h"
#include "qav/search/filter/limit_list.h"
#include "qav/search/filter/sentence_document.h"
#include "qav/search/merge/merge_run.h"

namespace qav {

namespace {

// The engine's sizes; the defaults when no engine is loaded.
const CSizeInfo& Sizes() {
    static const CSizeInfo defaults;
    return g_pCQAVEngine ? g_pCQAVEngine->m_config.m_SizeInfo : defaults;
}

}  // namespace

void CQAVSearch::LuaCloser::operator()(lua_State* L) const { lua_close(L); }

bool CQAVSearch::QAVSearchInit(bool flag) {
    if (!m_lua && m_makeLuaState) {
        m_lua.reset(m_makeLuaState(this));
        if (!m_lua) return false;
    }
    const CSizeInfo& sizes = Sizes();
    m_Corpus = g_pCQAVEngine ? MakeRecordCompareContext(*g_pCQAVEngine) : RecordCompareContext{};
    m_FinalRect.FinalRectInit(sizes.RetBuffSize);
    m_ForMerge.ForMergeInit(sizes.HashSize_IdxUnit, sizes.HashTagSize_Merge, this);
    bool ok = true;
    for (CAtomRet& slot : m_AtomRet) ok = slot.AtomRetInit(sizes.MaxAtomSearchRetSize) && ok;
    for (CQAVRet& slot : m_QAVRet) ok = slot.QAVRetInit(sizes.RetInfoMaxSize) && ok;
    m_bInitFlag = flag;
    m_Limits.ClearLimit();
    return ok;
}

void CQAVSearch::QAVSearchExit() {
    for (CAtomRet& slot : m_AtomRet) slot.AtomRetExit();
    for (CQAVRet& slot : m_QAVRet) slot.QAVRetExit();
    m_FinalRect.FinalRectExit();
    m_ForMerge.ForMergeExit();
    m_Condition.BaseExit();
    if (CQAVEngine* engine = g_pCQAVEngine; engine && engine->m_loadedRecords > engine->m_config.m_SizeInfo.MaxMemCount)
        FreeMem();
    m_lua.reset();
}

void CQAVSearch::Clear() {
    m_ConditionText.clear();
    m_FinalRect.m_nCount = 0;
    m_Condition.Clear();
}

CAtomRet* CQAVSearch::AtomSlot(uint64_t handle) {
    if (handle == 0) return nullptr;
    for (CAtomRet& slot : m_AtomRet)
        if (slot.Handle() == handle) return &slot;
    return nullptr;
}

CQAVRet* CQAVSearch::MergedSlot(uint64_t handle) {
    if (handle == 0) return nullptr;
    for (CQAVRet& slot : m_QAVRet)
        if (slot.Handle() == handle) return &slot;
    return nullptr;
}

CAtomRet* CQAVSearch::TakeAtomSlot() {
    for (CAtomRet& slot : m_AtomRet) {
        if (slot.Handle() != 0 && slot.IsFree()) {
            slot.Take();
            return &slot;
        }
    }
    return nullptr;
}

CQAVRet* CQAVSearch::MergeTarget(uint64_t left, uint64_t right) {
    const bool leftAtom = AtomSlot(left) != nullptr;
    const bool rightAtom = AtomSlot(right) != nullptr;
    if (left == right || !(leftAtom || rightAtom)) return nullptr;
    if (leftAtom && rightAtom) return &m_QAVRet[0];
    const uint64_t merged = leftAtom ? right : left;
    if (merged == m_QAVRet[0].Handle() && merged != 0) return &m_QAVRet[1];
    if (merged == m_QAVRet[1].Handle() && merged != 0) return &m_QAVRet[0];
    return nullptr;
}

CQAVRet* CQAVSearch::FirstFreeMergedSlot() {
    for (CQAVRet& slot : m_QAVRet)
        if (slot.Handle() != 0 && slot.IsFree()) return &slot;
    return nullptr;
}

void CQAVSearch::FreeSlot(uint64_t handle) {
    if (CAtomRet* atom = AtomSlot(handle)) {
        atom->Release();
    } else if (CQAVRet* merged = MergedSlot(handle)) {
        merged->m_bFree = 1;
    }
}

// Atom searches of a search object, into its atom slots.
namespace {

// Unit "的_n|" with the pattern "的" (GBK).
constexpr char kBuiltInUnit[] = "\xB5\xC4_n|";
constexpr char kBuiltInPattern[] = "\xB5\xC4";

}  // namespace

CAtomRet* CQAVSearch::AtomSearch(const CAtomSearchQuery& query) {
    CAtomRet* slot = TakeAtomSlot();
    if (!slot) return nullptr;
    if (CQAVEngine* engine = g_pCQAVEngine)
        qav::AtomSearch(*engine, query, *slot);
    else
        slot->SetAtomSearchQuery(query);
    return slot;
}

CAtomRet* CQAVSearch::GetAS() {
    CQAVEngine* engine = g_pCQAVEngine;
    if (g_nEngineType != kEngineStructured || !engine) return nullptr;
    CAtomSearchQuery query;
    query.SetAtomSearchQuery(MakeAtomQueryEnv(engine), kBuiltInUnit, kBuiltInPattern, "", "", "", "");
    return AtomSearch(query);
}

// Joins and merges of the search object's result slots.
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

// Admission of a record's sentence by the limits, the document checks and
// the base, and the filtering of results by the document filters.
namespace {

// Without an engine nothing is known about any sentence.
const CHashTableInfo& SentInfo() {
    static const CHashTableInfo none;
    return g_pCQAVEngine ? g_pCQAVEngine->m_sentInfo : none;
}

const COrgInfo* Documents() { return g_pCQAVEngine ? &g_pCQAVEngine->m_orgInfo : nullptr; }

}  // namespace

bool CQAVSearch::IsInLimit(uint32_t file, uint32_t position, bool skipBase) const {
    const int64_t key = SentenceKey(file, position);
    if (!m_Limits.empty() && m_Limits.RetLimitNo(key) < 0) return false;
    const CHashTableInfo& info = SentInfo();
    if (!m_Condition.IsOK(key, info, Documents())) return false;
    return skipBase || m_Condition.IsInBase(key, info, Documents());
}

bool CQAVSearch::IsInFilter(uint32_t file, uint32_t position) const {
    return m_Condition.IsInFilter(SentenceKey(file, position), SentInfo(), Documents());
}

void CQAVSearch::SetFilterRet(const CAtomRet& atom, CQAVRet& out) const {
    out.Clear();
    ForEachAtomRecord(atom, [&](const OffsetRecordInfo& record) {
        if (!IsOverFlow(m_Corpus, record.position, record.fileNo, record.wordIndex) ||
            !IsInLimit(record.fileNo, record.position, false) || !IsInFilter(record.fileNo, record.position))
            return true;
        CRetInfo hit;
        if (MakeRetInfo(m_Corpus, atom.m_Query, record, hit)) out.Add2QAVRetEx(hit);
        return true;
    });
}

void CQAVSearch::SetFilterRet(const CQAVRet& merged, CQAVRet& out) const {
    out.Clear();
    for (int i = 0; i < merged.m_nCount; ++i) {
        const CRetInfo& hit = merged.m_Hits[static_cast<size_t>(i)];
        if (IsInFilter(hit.file_no, hit.position)) out.Add2QAVRetEx(hit);
    }
}

void CQAVSearch::SetFilterRet(CQAVRet& out) {
    out.Clear();
    CAtomRet* atom = GetAS();
    if (!atom) return;
    SetFilterRet(*atom, out);
    if (atom->m_bApproximate) out.m_bApproximate = 1;
    atom->Clear();
    FreeSlot(atom->Handle());
}

CQAVRet* CQAVSearch::GetFilterRet(uint64_t handle) {
    CQAVRet* out = FirstFreeMergedSlot();
    if (!out) return nullptr;
    // A free slot holds no result: an atom slot's records may be released.
    if (CAtomRet* atom = AtomSlot(handle)) {
        if (atom->IsFree()) return nullptr;
        SetFilterRet(*atom, *out);
        MarkCutResult(*out, atom->m_bApproximate, false, "filter");
        atom->Clear();
    } else if (CQAVRet* merged = MergedSlot(handle)) {
        if (merged->IsFree()) return nullptr;
        SetFilterRet(*merged, *out);
        MarkCutResult(*out, merged->m_bApproximate, false, "filter");
        merged->m_nCount = 0;
    } else if (handle == 0) {
        SetFilterRet(*out);
        MarkCutResult(*out, false, false, "filter");
        return out;
    } else {
        return nullptr;
    }
    FreeSlot(handle);
    return out;
}

// The acceptance test of one hit: admission of its sentence, its span, and
// the conditions on its parts.
bool CQAVSearch::IsOk(const CRetInfo& hit, int width) {
    return IsWordAt(m_Corpus, hit.file_no, hit.position) && GetSplitedRet(hit, width) && m_Condition.IsOK(m_SplitedRet);
}

bool CQAVSearch::IsOkForRow(const CRetInfo& hit, int width) {
    if (!m_Condition.Checks().empty()) return IsOk(hit, width);
    return IsWordAt(m_Corpus, hit.file_no, hit.position) && IsInDataFiles(hit);
}

bool CQAVSearch::IsRecordHit(const CAtomRet& atom, const OffsetRecordInfo& record, CRetInfo& hit, bool skipBase) {
    hit.Clear();
    return IsOverFlow(m_Corpus, record.position, record.fileNo, record.wordIndex) &&
           IsInLimit(record.fileNo, record.position, skipBase) && MakeRetInfo(m_Corpus, atom.m_Query, record, hit);
}

bool CQAVSearch::IsOKContext(const CAtomRet& atom, const OffsetRecordInfo& record, CRetInfo& hit, int width,
                             bool skipBase) {
    return IsRecordHit(atom, record, hit, skipBase) && IsOk(hit, width);
}

// The base set of a search: the sentences (or documents) of an earlier
// result that later hits must come from, or must avoid.
bool CConditionEx::BaseKey(int64_t key, const CHashTableInfo* info, const COrgInfo* documents,
                           uint64_t& baseKey) const {
    if (!m_bBaseDocLevel) {
        baseKey = static_cast<uint64_t>(key);
        return true;
    }
    int64_t doc = 0;
    if (!info || !DocumentOfSentence(*info, documents, static_cast<uint64_t>(key), doc)) return false;
    baseKey = static_cast<uint64_t>(doc);
    return true;
}

bool CConditionEx::SetBase(CQAVSearch& search, uint64_t handle, bool keep, bool variant) {
    CAtomRet* atom = search.AtomSlot(handle);
    CQAVRet* merged = search.MergedSlot(handle);
    // A free slot holds no result: its records may already be released.
    if ((atom && !atom->IsFree()) || (merged && !merged->IsFree())) {
        const CHashTableInfo* info = g_pCQAVEngine ? &g_pCQAVEngine->m_sentInfo : nullptr;
        const COrgInfo* documents = g_pCQAVEngine ? &g_pCQAVEngine->m_orgInfo : nullptr;
        m_BaseKeys.clear();
        m_bBaseSet = true;
        m_bBaseDocLevel = variant;
        auto tag = [&](uint32_t file, uint32_t position) {
            uint64_t baseKey = 0;
            if (BaseKey(SentenceKey(file, position), info, documents, baseKey)) m_BaseKeys.push_back(baseKey);
        };
        // Hits are tagged as merges tag them: admitted by the limits and
        // document checks (records only), a word at the sentence position,
        // and parts that pass the conditions (split only when there are
        // checks to read them).
        const bool readParts = !m_checks.empty();
        auto accept = [&](const CRetInfo& hit) {
            return readParts ? search.IsOk(hit, -1) : IsWordAt(search.m_Corpus, hit.file_no, hit.position);
        };
        if (atom) {
            ForEachAtomRecord(*atom, [&](const OffsetRecordInfo& record) {
                CRetInfo hit;
                hit.Clear();
                if (IsOverFlow(search.m_Corpus, record.position, record.fileNo, record.wordIndex) &&
                    search.IsInLimit(record.fileNo, record.position, true) &&
                    MakeRetInfo(search.m_Corpus, atom->m_Query, record, hit) && accept(hit))
                    tag(hit.file_no, hit.position);
                return true;
            });
            atom->Clear();
        } else {
            for (int i = 0; i < merged->m_nCount; ++i) {
                const CRetInfo& hit = merged->m_Hits[static_cast<size_t>(i)];
                if (accept(hit)) tag(hit.file_no, hit.position);
            }
            merged->m_nCount = 0;
        }
        search.FreeSlot(handle);
        std::sort(m_BaseKeys.begin(), m_BaseKeys.end());
        m_BaseKeys.erase(std::unique(m_BaseKeys.begin(), m_BaseKeys.end()), m_BaseKeys.end());
    }
    m_bBaseMode = keep;
    return true;
}

bool CConditionEx::IsInBase(int64_t key, const CHashTableInfo& info, const COrgInfo* documents) const {
    if (!m_bBaseSet) return true;
    uint64_t baseKey = 0;
    const bool inBase = BaseKey(key, &info, documents, baseKey) && std::binary_search(m_BaseKeys.begin(), m_BaseKeys.end(), baseKey);
    return m_bBaseMode ? inBase : !inBase;
}

void CConditionEx::BaseExit() {
    m_BaseKeys = {};
    m_bBaseSet = false;
    m_bBaseDocLevel = false;
}

}  // namespace qav
