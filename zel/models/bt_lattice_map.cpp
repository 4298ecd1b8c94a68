#include "zel/models/bt_lattice_map.h"

#include "zel/models/bt_parser.h"

namespace zel {

uint32_t GenerateFromTo(int first, int last) {
    return (static_cast<uint32_t>(first) << 16) | (static_cast<uint32_t>(last) & 0xFFFFu);
}

void GetFromTo(uint32_t key, int& first, int& last) {
    first = static_cast<int>(key >> 16);
    last = static_cast<int>(key & 0xFFFFu);
}

void CBT2Lattice::ClearBT2Lattice() {
    spans_.clear();
    for (std::vector<int>& list : starts_) list.clear();
    for (std::vector<int>& list : ends_) list.clear();
    identified_.clear();
}

void CBT2Lattice::Append(std::vector<int>& list, int k) {
    if (list.size() < kMaxPerList) list.push_back(k);
}

const std::vector<int>& CBT2Lattice::ListAt(const std::vector<std::vector<int>>& lists, int column) {
    static const std::vector<int> kNone;
    return column >= 0 && static_cast<size_t>(column) < lists.size() ? lists[static_cast<size_t>(column)] : kNone;
}

void CBT2Lattice::Add(int tree, int node, int first, int last) {
    if (first < 0 || last < first) return;
    const int k = static_cast<int>(identified_.size());
    identified_.emplace_back(tree, node);
    if (starts_.size() <= static_cast<size_t>(last)) {
        starts_.resize(static_cast<size_t>(last) + 1);
        ends_.resize(static_cast<size_t>(last) + 1);
    }
    Append(starts_[static_cast<size_t>(first)], k);
    Append(ends_[static_cast<size_t>(last)], k);
    Append(spans_[GenerateFromTo(first, last)], k);
}

int CBT2Lattice::GetBTNode(int first, int last) const {
    const auto found = spans_.find(GenerateFromTo(first, last));
    return found == spans_.end() || found->second.empty() ? -1 : found->second.front();
}

bool CBT::SetBT2LatticeInitInfo() {
    latticeMap.ClearBT2Lattice();
    for (int t = 0; t < treeCount_; ++t) {
        const BTNodes& tree = trees_[static_cast<size_t>(t)];
        for (size_t n = 0; n < tree.size(); ++n)
            if (!tree[n].IsLeaf()) latticeMap.Add(t, static_cast<int>(n), tree[n].first, tree[n].last);
    }
    return true;
}

}  // namespace zel
