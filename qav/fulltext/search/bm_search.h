// One full-text query run: three result slots that a query program names by
// handle, the merges between them, the term fetch and the base filter. It
// reads the process's full-text engine g_pBMEngine.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "qav/fulltext/engine/bm_engine.h"
#include "qav/fulltext/search/bm_condition.h"
#include "qav/fulltext/search/bm_ret.h"

class CBMSearch {
public:
    CBMSearch() = default;
    CBMSearch(const CBMSearch&) = delete;
    CBMSearch& operator=(const CBMSearch&) = delete;

    // Sizes the slots ("RetBuffSize" records) and the merge work area from
    // the engine's configuration. False without an engine.
    bool BMSearchInit();
    void BMSearchExit();

    // The slot a handle names (slot 3, then 2, then 1), or null.
    CBMRet* SlotOf(int64_t handle);
    CBMRet& Slot(int number) { return m_Ret[static_cast<size_t>(number - 1)]; }

    // Merges into out; with second null each copies first through the base
    // filter. The result is built before out is written, so out may be one
    // of the operands: it then holds the result alone.
    bool MergeBM(const CBMRet& first, const CBMRet* second, CBMRet& out);     // AND
    bool MergeBM_OR(const CBMRet& first, const CBMRet* second, CBMRet& out);  // OR
    bool MergeBM_NOT(const CBMRet& first, const CBMRet* second, CBMRet& out); // NOT

    // Handle merges: choose the output slot, merge, free both operands and
    // mark the output in use. Null when the handles name no two slots (OR
    // then gives the one slot named, NOT a's slot).
    CBMRet* GetBMDoc_AND(int64_t a, int64_t b);
    CBMRet* GetBMDoc_OR(int64_t a, int64_t b);
    CBMRet* GetBMDoc_NOT(int64_t a, int64_t b);
    // The documents of a term, ANDed with the slot of handle (0: none).
    CBMRet* GetBMDoc(const std::string& term, int64_t handle);

    bool IsSetBaseOk(const qav_bm::Posting& record) const { return m_Condition.IsSetBaseOk(record); }
    // include = true keeps only the documents of the handle's slot.
    void SetBase(int64_t handle, bool include) { m_Condition.SetBase(handle ? SlotOf(handle) : nullptr, include); }

    CForMergeBM m_ForMerge;
    CConditionBM m_Condition;
    std::array<CBMRet, 3> m_Ret;

private:
    enum class Rule { kAnd, kOr, kNot };
    bool Merge(Rule rule, const CBMRet& first, const CBMRet* second, CBMRet& out);
    CBMRet* MergeHandles(Rule rule, int64_t a, int64_t b);
    // Appends the records that pass the base filter, up to out's capacity.
    void AppendPassing(const std::vector<qav_bm::Posting>& records, CBMRet& out) const;
};
