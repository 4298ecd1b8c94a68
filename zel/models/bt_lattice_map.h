// Where the stored bracketing trees lie over the sentence: every internal
// node gets a running number; the numbers are listed per span, per first
// column and per last column.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

namespace zel {

class CBT2Lattice {
public:
    // A span or a column lists at most this many nodes.
    static constexpr size_t kMaxPerList = 128;

    // Empties the map and every list.
    void ClearBT2Lattice();
    // Records the next internal node (node of stored tree) over first..last.
    void Add(int tree, int node, int first, int last);
    // The first node number recorded for exactly first..last, or -1.
    int GetBTNode(int first, int last) const;

    int IdentifiedCount() const { return static_cast<int>(identified_.size()); }
    // (stored tree, node within it) of a running number.
    const std::pair<int, int>& Identified(int k) const { return identified_[static_cast<size_t>(k)]; }
    // The node numbers that start (end) at a column; empty outside the trees.
    const std::vector<int>& StartingAt(int column) const { return ListAt(starts_, column); }
    const std::vector<int>& EndingAt(int column) const { return ListAt(ends_, column); }

private:
    static void Append(std::vector<int>& list, int k);
    static const std::vector<int>& ListAt(const std::vector<std::vector<int>>& lists, int column);

    std::map<uint32_t, std::vector<int>> spans_;
    // Sized by the columns the trees reach, so no column is out of range.
    std::vector<std::vector<int>> starts_;
    std::vector<std::vector<int>> ends_;
    std::vector<std::pair<int, int>> identified_;
};

// (first << 16) | (last & 0xFFFF), and back.
uint32_t GenerateFromTo(int first, int last);
void GetFromTo(uint32_t key, int& first, int& last);

}  // namespace zel
