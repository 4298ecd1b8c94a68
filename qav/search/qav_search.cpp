#include "qav/search/qav_search.h"

#include <lua.hpp>

#include "qav/index/engine/qav_engine.h"
#include "qav/search/atom/engine_views.h"

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
