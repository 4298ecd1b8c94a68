#include "zel/models/bt_parser.h"

#include <algorithm>
#include <utility>

#include "zel/models/bt_chars.h"

namespace zel {

int GetNBest(int f, int t) {
    const int width = t - f;
    return width < 5 ? 1 : width < 10 ? 2 : width < 20 ? 3 : 4;
}

bool CBT::SpanFits(const BTSentence& sentence, int first, int last) const {
    return first >= 0 && first <= last && last < sentence.ColumnCount() && last < kMaxNodes;
}

// Runs of one-byte text, digits, letters and symbols are not split.
void CBT::SetTag_LatticeInit(int first, int last) {
    marks_.assign(static_cast<size_t>(sentence_->ColumnCount()), 0);
    for (int p = std::max(first, 1); p <= last; ++p)
        if (IsBTRunChar(sentence_->NormalChar(p)) && IsBTRunChar(sentence_->NormalChar(p - 1))) marks_[p - 1] = 1;
}

void CBT::SetTag_LatticeUnit(bool terminalOnly) {
    const int columns = sentence_->ColumnCount();
    marks_.assign(static_cast<size_t>(columns), 0);
    std::vector<std::pair<int, int>> spans;
    sentence_->UnitSpans(terminalOnly, spans);
    for (const auto& [from, to] : spans)
        for (int p = std::max(from, 0); p < std::min(to, columns); ++p) marks_[p] = 1;
}

bool CBT::IsAdmissible(int p) const {
    if (marks_[p]) return false;
    const char* c = sentence_->NormalChar(p);
    const char* n = sentence_->NormalChar(p + 1);
    if (IsBTPunctuation(c) && IsBTPunctuation(n)) return false;
    if (IsBTDigit(c) && (IsBTDigit(n) || IsBTFullStop(n))) return false;
    return !(IsBTFullStop(c) && IsBTDigit(n));
}

float CBT::CompProbEx(int p, int f, int t) const {
    if (t <= f) return -48.0f;
    const BTSentence& s = *sentence_;
    float score = CompBoundaryProb_L(s, p, f, t, 7);
    score += CompBoundaryProb_L(s, p, f, t, 8);
    score += CompBoundaryProb_R(s, p, f, t, 8);
    score += CompBoundaryProb_R(s, p, f, t, 7);
    score += CompBoundaryProb_LM(s, p, f, t, 3);
    return score;
}

// Admissible positions of f..t, best first; equal scores keep column order.
std::vector<CLMItem> CBT::ScoredPositions(int f, int t) const {
    std::vector<CLMItem> items;
    for (int p = f; p <= t; ++p)
        if (IsAdmissible(p)) items.push_back({CompProbEx(p, f, t), static_cast<int16_t>(p)});
    std::stable_sort(items.begin(), items.end(), [](const CLMItem& a, const CLMItem& b) { return a.score > b.score; });
    return items;
}

// The best split of f..t, then those of its left side, then those of its
// right side: the splits in pre-order. A stack instead of recursion keeps
// long unbalanced spans off the call stack.
void CBT::Split(int f, int t, std::vector<CLMItem>& kept) const {
    std::vector<std::pair<int, int>> spans = {{f, t}};
    while (!spans.empty()) {
        const auto [from, to] = spans.back();
        spans.pop_back();
        if (from > to) continue;
        const std::vector<CLMItem> items = ScoredPositions(from, to);
        if (items.empty()) continue;
        const int p = items.front().position;
        kept.push_back(items.front());
        spans.emplace_back(p + 1, to);
        spans.emplace_back(from, p - 1);
    }
}

void CBT::CompTreeVector(const std::vector<CLMItem>& items, int first, int last, BTNodes& nodes) {
    nodes.clear();
    CNode_BT root;
    root.first = static_cast<int16_t>(first);
    root.last = static_cast<int16_t>(last);
    nodes.push_back(root);
    for (const CLMItem& item : items) {
        if (static_cast<int>(nodes.size()) + 2 > kMaxNodes) break;
        const int p = item.position;
        int target = static_cast<int>(nodes.size()) - 1;
        while (target >= 0 && !(nodes[target].first <= p && p < nodes[target].last)) --target;
        if (target < 0 || !nodes[target].IsLeaf()) continue;
        CNode_BT left, right;
        left.parent = right.parent = static_cast<int16_t>(target);
        left.depth = right.depth = nodes[target].depth + 1;
        left.first = nodes[target].first;
        left.last = static_cast<int16_t>(p);
        right.first = static_cast<int16_t>(p + 1);
        right.last = nodes[target].last;
        nodes[target].firstChild = static_cast<int16_t>(nodes.size());
        nodes[target].secondChild = static_cast<int16_t>(nodes.size() + 1);
        nodes.push_back(left);
        nodes.push_back(right);
    }
}

bool CBT::CreateBT(const BTSentence& sentence, int mode, int first, int last) {
    if (mode < 0 || mode > 3 || !SpanFits(sentence, first, last)) return false;
    sentence_ = &sentence;
    if (mode == 0)
        SetTag_LatticeInit(first, last);
    else
        SetTag_LatticeUnit(mode == 3);
    std::vector<CLMItem> kept;
    Split(first, last - 1, kept);
    if (kept.empty()) return false;
    if (mode == 2) {
        // The top-n search of the first candidate takes the best split at
        // every level (rank 0 throughout), over the positions not yet kept.
        SetTag_LatticeUnit(false);
        for (const CLMItem& item : kept) marks_[item.position] = 1;
        std::vector<CLMItem> more;
        Split(first, last - 1, more);
        kept.insert(kept.end(), more.begin(), more.end());
    }
    for (const CLMItem& item : kept) marks_[item.position] = 0;
    CompTreeVector(kept, first, last, nodes_);
    return true;
}

void CBT::StoreTree(const BTNodes& tree) {
    if (treeCount_ < static_cast<int>(trees_.size()))
        trees_[treeCount_] = tree;
    else
        trees_.push_back(tree);
    ++treeCount_;
}

}  // namespace zel
