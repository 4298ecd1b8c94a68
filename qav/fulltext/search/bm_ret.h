// Document sets of a full-text search: result slots of 10-byte document
// records, and the exact document set the merges work with.
#pragma once

#include <cstdint>
#include <memory>
#include <unordered_set>
#include <vector>

#include "qav/fulltext/format/bm_files.h"

namespace qav {

// One result slot. Its handle, the integer a query program sees, is the
// address of its record array, which stays in place from BMRetInit to
// BMRetExit.
class CBMRet {
public:
    bool BMRetInit(int32_t capacity);
    void BMRetExit();
    // Free again, no records.
    void Clear();

    int64_t handle() const { return reinterpret_cast<int64_t>(m_pDocs.get()); }
    bool HasArray() const { return m_pDocs != nullptr; }
    // Appends below the capacity and marks the slot in use; false when full.
    bool Append(const bm::Posting& record);
    const bm::Posting& operator[](int32_t i) const { return m_pDocs[static_cast<size_t>(i)]; }

    std::unique_ptr<bm::Posting[]> m_pDocs;
    int32_t m_nDocNum = 0;
    int32_t m_nCapacity = 0;
    bool m_bFree = true;
};

// Documents identified exactly by (shard, document offset).
inline uint64_t DocumentKey(const bm::Posting& record) {
    return static_cast<uint64_t>(bm::DocKey(record.shard, record.docOffset));
}

// The work area of the merges: the documents of one operand, kept between
// merges so that its buckets are reused.
class CForMergeBM {
public:
    bool ForMergeInit(int32_t buckets);
    void ForMergeExit();
    // Replaces the set with the documents of the slot; false for a slot
    // without records array.
    bool SetHashTag(const CBMRet& slot);
    void Clear() { m_Documents.clear(); }
    bool Contains(const bm::Posting& record) const { return m_Documents.count(DocumentKey(record)) != 0; }
    bool Contains(uint64_t key) const { return m_Documents.count(key) != 0; }

private:
    std::unordered_set<uint64_t> m_Documents;
};

}  // namespace qav
