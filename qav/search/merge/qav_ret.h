// A merged result: hits made by joins, merges and filters.
#pragma once

#include <cstdint>

#include "qav/search/atom/ret_info.h"
#include "qav/search/atom/zeroed_array.h"

namespace qav {

class CQAVRet {
public:
    // Room for n hits, count 0, free. The hit array does not move until
    // QAVRetExit, so the slot's handle stays the same meanwhile. False when
    // memory is short: the slot then has no handle.
    bool QAVRetInit(int n);
    void QAVRetExit();
    // Count 0, nothing left out, and the slot in use: the start of a new
    // result.
    void Clear() {
        m_nCount = 0;
        m_nLeftOut = 0;
        m_bApproximate = 0;
        m_bFree = 0;
    }
    // Readies the result for count more hits: many are laid on huge pages.
    // A few keep small pages, which a short result fills at less cost.
    void ExpectHits(int64_t count);
    // Appends a copy of the hit; false, with the hit counted as left out,
    // when the result is full.
    bool Add2QAVRetEx(const CRetInfo& info);

    // The slot's handle: address of its hit array; 0 before set-up.
    uint64_t Handle() const;
    bool IsFree() const { return m_bFree != 0; }

    ZeroedArray<CRetInfo> m_Hits;  // m_nCapacity entries; the first m_nCount are set
    int m_nCount = 0;
    int m_nCapacity = 0;
    int64_t m_nLeftOut = 0;      // hits refused for want of room
    uint8_t m_bApproximate = 0;  // hits are missing: cut by a capacity or the time limit, or made from such a result
    uint8_t m_bFree = 1;
};

}  // namespace qav
