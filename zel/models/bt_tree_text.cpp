// Bracketed text of the trees: "(" ")" for stored trees, "[" "]" for the
// current one.
#include "zel/models/bt_parser.h"

namespace zel {
namespace {

std::string ColumnsText(const BTSentence& sentence, const CNode_BT& node) {
    std::string text;
    for (int c = node.first; c <= node.last; ++c) text += sentence.ColumnText(c);
    return text;
}

}  // namespace

void CBT::LeafText(const CNode_BT& leaf, bool every, std::string& out, bool stored) const {
    out += stored ? '(' : '[';
    out += ColumnsText(*sentence_, leaf);
    sentence_->AppendWordTags(leaf.first, leaf.last, every, out);
    out += stored ? ')' : ']';
}

void CBT::NodeText(const BTNodes& nodes, int node, std::string& out, bool flag, bool stored) const {
    const CNode_BT& n = nodes[node];
    if (n.IsLeaf()) return;
    out += stored ? '(' : '[';
    if (!flag)
        out += ColumnsText(*sentence_, n);
    else if (!stored)
        out += std::to_string(node);
    const int children[] = {n.firstChild, n.secondChild};
    for (int i = 0; i < 2; ++i) {
        if (children[i] < 0) continue;
        NodeText(nodes, children[i], out, flag, stored);
        if (nodes[children[i]].IsLeaf()) LeafText(nodes[children[i]], i == 1, out, stored);
    }
    out += stored ? ')' : ']';
}

int CBT::GetTree(int tree, int node, std::string& out, bool flag) const {
    if (!sentence_) return 0;
    if (treeCount_ == 0 && !nodes_.empty()) {
        if (node < 0 || node >= static_cast<int>(nodes_.size())) return 0;
        NodeText(nodes_, node, out, flag, false);
        return 1;
    }
    if (tree < 0 || tree >= treeCount_ || node < 0 || node >= static_cast<int>(trees_[tree].size())) return 0;
    NodeText(trees_[tree], node, out, flag, true);
    return treeCount_;
}

}  // namespace zel
