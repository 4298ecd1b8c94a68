// The result of one atom search: segments of offset records, each a run of
// matching records inside one unit's loaded record buffer.
#pragma once

#include <cstdint>
#include <vector>

#include "qav/search/atom/atom_query.h"
#include "qav/search/atom/zeroed_array.h"

namespace qav {

class CHashNode;

class CAtomRet {
public:
    CAtomRet() = default;
    ~CAtomRet() { AtomRetExit(); }
    CAtomRet(const CAtomRet&) = delete;
    CAtomRet& operator=(const CAtomRet&) = delete;

    // Segment arrays of n entries each, no segments, free. The arrays do not
    // move until AtomRetExit, so the slot's handle stays the same meanwhile.
    // False when memory is short: the slot then has no handle.
    bool AtomRetInit(int n);
    // Lowers the use counts the slot still holds and frees the arrays.
    void AtomRetExit();
    // Drops the segments (the use counts stay with the slot).
    void Clear() { m_nSegCount = 0; }

    // The slot's handle: address of its segment record array; 0 before set-up.
    uint64_t Handle() const;
    bool IsFree() const { return m_bFree != 0; }
    // Marks the slot in use for a new result, without segments, exact.
    void Take();
    // Ends the slot's result: lowers, once, the use count of every node the
    // slot raised, and marks the slot free. A second call does nothing more.
    void Release();

    // Copies the query the result answers; joins read its kind, pattern
    // length, waves and bracket marks.
    void SetAtomSearchQuery(const CAtomSearchQuery& query) { m_Query = query; }

    // Appends a segment; false, with the result marked approximate, when the
    // capacity is reached.
    bool AddSegment(const unsigned char* records, uint64_t offset, int32_t count, uint8_t width);
    // Sum of the segment counts.
    int64_t TotalHits() const;

    // Raises node's use count for this result; Release lowers it again. The
    // caller holds the node's load stripe when the records were just loaded,
    // so that nothing frees them in between.
    void RaiseUse(CHashNode* node);

    // Segment arrays, m_nCapacity entries each; the first m_nSegCount are set.
    ZeroedArray<const unsigned char*> m_SegRecords;  // start of a unit's loaded records
    ZeroedArray<uint64_t> m_SegOffset;                // byte offset of the first matching record
    ZeroedArray<int32_t> m_SegCount;                  // matching records
    ZeroedArray<uint8_t> m_SegWidth;                  // record width, 8 or 9
    int m_nCapacity = 0;
    int m_nSegCount = 0;
    uint8_t m_bApproximate = 0;  // hits are missing: a capacity stopped the search
    uint8_t m_bFree = 1;
    CAtomSearchQuery m_Query;  // the query that made the result

private:
    void LowerRaised();

    std::vector<CHashNode*> m_raised;
};

}  // namespace qav
