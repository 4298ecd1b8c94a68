// Ranges of sentence keys that narrow a search, each from and to inclusive,
// kept in the order they were added.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

namespace qav {

// The key of a sentence: data file number in the upper 32 bits, the
// sentence's position in its data file in the lower 32.
inline int64_t SentenceKey(uint32_t file, uint32_t position) {
    return static_cast<int64_t>((static_cast<uint64_t>(file) << 32) | position);
}

class CLimitList {
public:
    using Range = std::pair<int64_t, int64_t>;

    void Add2Limit(const Range& range);
    void ClearLimit();

    bool empty() const { return m_ranges.empty(); }
    int size() const { return static_cast<int>(m_ranges.size()); }
    const std::vector<Range>& Ranges() const { return m_ranges; }

    // Index of the range within [lo, hi] that holds key; -1 when none, 0 for
    // an empty list. Bisects while the ranges ascend without overlap and
    // scans them in order otherwise, so any order finds the key.
    int RetLimitNo(int64_t key, int lo, int hi) const;
    // Over the whole list.
    int RetLimitNo(int64_t key) const { return RetLimitNo(key, 0, size() - 1); }

private:
    std::vector<Range> m_ranges;
    bool m_bAscending = true;
};

}  // namespace qav
