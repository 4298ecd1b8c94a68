// The two-layer build: alternative trees for the halves of a span's best splits.
#include <algorithm>

#include "zel/models/bt_parser.h"

namespace zel {

bool CBT::CreateBT_Simple(const BTSentence& sentence, bool unitFlag, int first, int last) {
    if (!SpanFits(sentence, first, last)) return false;
    sentence_ = &sentence;
    if (unitFlag)
        SetTag_LatticeUnit(false);
    else
        marks_.assign(static_cast<size_t>(sentence.ColumnCount()), 0);

    const std::vector<CLMItem> top = ScoredPositions(first, last - 1);
    if (top.empty()) return false;
    std::vector<std::pair<int, int>> halves;
    const size_t splits = std::min(top.size(), static_cast<size_t>(GetNBest(first, last)));
    for (size_t i = 0; i < splits; ++i) {
        halves.emplace_back(first, top[i].position);
        halves.emplace_back(top[i].position + 1, last);
    }
    for (const auto& [a, b] : halves) {
        const std::vector<CLMItem> items = ScoredPositions(a, b - 1);
        const size_t alternatives = std::min(items.size(), static_cast<size_t>(GetNBest(a, b)));
        for (size_t j = 0; j < alternatives; ++j) {
            std::vector<CLMItem> candidate = items;
            std::swap(candidate[0], candidate[j]);
            BTNodes tree;
            CompTreeVector(candidate, a, b, tree);
            StoreTree(tree);
        }
    }
    return true;
}

}  // namespace zel
