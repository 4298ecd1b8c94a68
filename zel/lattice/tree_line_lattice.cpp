// A read tree line laid out over the sentence and turned into lattice
// units, tree links and relations.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/text/gbk_char.h"
#include "zel/lattice/char_class.h"
#include "zel/lattice/lattice.h"
#include "zel/lattice/scripting_hooks.h"
#include "zel/lattice/tree_line.h"

namespace zel {

namespace {

// The attribute text of a node's unit is cut to this many bytes less one.
constexpr size_t kPosAttributeSize = 64;
// The full-width text of one leaf holds at most this many bytes less one.
constexpr size_t kLeafTextSize = 51200;

void Append(std::vector<UnitId>& list, int& count, UnitId id) {
    if (list.size() <= static_cast<size_t>(count)) list.resize(static_cast<size_t>(count) + 1);
    list[static_cast<size_t>(count++)] = id;
}

std::string FullWidth(const std::string& text) {
    std::vector<char> out(kLeafTextSize);
    Banjiao2Quanjiao(text.c_str(), out.data(), static_cast<int>(out.size()));
    return out.data();
}

}  // namespace

std::string CTreeNode::UnitText() const { return UnitIdText({unitColumn, unitIndex}); }

void CQAVTree::LayLeaf(CTreeNode* leaf) {
    const std::string full = FullWidth(leaf->word);
    rawText_ += leaf->word;
    leaf->from = static_cast<int>(normText_.size() / 2);
    normText_ += full;
    leaf->to = static_cast<int>(normText_.size() / 2) - 1;
    leaf->normText = full;
    AddFromTo2ID(leaf->from, leaf->to, leaf->number);
    leaves_.push_back(leaf);
}

// Leaves in order; every inner node below the top takes its children's
// text and span once they are laid out. The top node keeps no span.
void CQAVTree::VisitNode(CTreeNode* top) {
    if (!top->firstChild) {
        LayLeaf(top);
        return;
    }
    struct Frame {
        CTreeNode* node;
        CTreeNode* nextChild;
    };
    std::vector<Frame> stack = {{top, top->firstChild}};
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (!frame.nextChild) {
            CTreeNode* done = frame.node;
            stack.pop_back();
            if (stack.empty()) break;
            done->normText.clear();
            for (CTreeNode* c = done->firstChild; c; c = c->next) {
                done->normText += c->normText;
                done->to = c->to;
            }
            done->from = done->firstChild->from;
            AddFromTo2ID(done->from, done->to, done->number);
            continue;
        }
        CTreeNode* child = frame.nextChild;
        frame.nextChild = child->next;
        if (child->firstChild)
            stack.push_back({child, child->firstChild});
        else
            LayLeaf(child);
    }
}

bool CQAVTree::SetWordNodeInfo() {
    if (firstTop_) VisitNode(firstTop_);
    return true;
}

void CQAVTree::Add2Lattice(bool asChunks, bool withHeads, int offset, const char* source, const char* rootUnit) {
    if (!lattice_) return;
    std::string id;
    for (int k = 1; k < nodeCount_; ++k) {
        CTreeNode& node = *Node(k);
        std::string attributes = "POS=" + node.label;
        attributes.resize(qz::GbkPrefixLength(attributes, kPosAttributeSize - 1));
        const int kind = !node.firstChild ? kUnitWord : asChunks ? kUnitChunk : kUnitPhrase;
        // A node without characters has no span and gets no unit.
        if (node.to < 0) continue;
        lattice_->AddNewUnit(node.to + offset, node.normText.c_str(), kind, id, node.number, true, attributes.c_str());
        if (id.empty() || !lattice_->GetNode(id.c_str(), node.unitColumn, node.unitIndex)) {
            node.unitColumn = node.unitIndex = -1;
        }
    }
    GetParentChild(withHeads, source ? source : "");
    AddRootInfo(source ? source : "", rootUnit);
}

void CQAVTree::GetParentChild(bool withHeads, const char* source) {
    for (int k = 0; k < nodeCount_; ++k) {
        CTreeNode* node = Node(k);
        if (!node->firstChild) continue;
        CUnit* unit = node->HasUnit() ? lattice_->GetLatticeUnit(node->UnitText().c_str()) : nullptr;
        for (CTreeNode* child = node->firstChild; child; child = child->next) {
            if (!unit) continue;
            Append(unit->links.treeChildren, unit->links.treeChildCount, {child->unitColumn, child->unitIndex});
            CUnit* childUnit = child->HasUnit() ? lattice_->GetLatticeUnit(child->UnitText().c_str()) : nullptr;
            if (!childUnit) continue;
            unit->InsertRelationInfo(child->UnitText().c_str(), source, "", child->label.c_str(), true);
            childUnit->InsertRelationInfo(node->UnitText().c_str(), source, "", child->label.c_str(), false);
        }
        if (withHeads) SetArgHeadInfo(node);
        if (unit && node->parent)
            Append(unit->links.treeParents, unit->links.treeParentCount,
                   {node->parent->unitColumn, node->parent->unitIndex});
    }
}

void CQAVTree::AddRootInfo(const char* source, const char* rootUnit) {
    CUnit* root = rootUnit && *rootUnit ? lattice_->GetLatticeUnit(rootUnit) : nullptr;
    if (!root || !firstTop_) return;
    for (CTreeNode* child = firstTop_->firstChild; child; child = child->next) {
        CUnit* childUnit = child->HasUnit() ? lattice_->GetLatticeUnit(child->UnitText().c_str()) : nullptr;
        if (!childUnit) continue;
        root->InsertRelationInfo(child->UnitText().c_str(), source, "", "Link", true);
        childUnit->InsertRelationInfo(root->Unit.c_str(), source, "", "Link", false);
    }
}

// A predicate phrase takes its heads from its children: every child whose
// label contains "VP-PRD", and every leaf that is not a particle.
void CQAVTree::SetArgHeadInfo(CTreeNode* node) {
    if (node->label != "VP-PRD") return;
    for (CTreeNode* child = node->firstChild; child; child = child->next) {
        if (child->label.find("VP-PRD") != std::string::npos) AddHeadChild(node, child);
        if (!child->firstChild && child->label != "u" && child->label != "ul") AddHeadChild(node, child);
    }
}

void CQAVTree::AddHeadChild(CTreeNode* node, CTreeNode* child) {
    if (!node->HasUnit() || !child->HasUnit()) return;
    CUnit* nodeUnit = lattice_->GetLatticeUnit(node->UnitText().c_str());
    CUnit* childUnit = lattice_->GetLatticeUnit(child->UnitText().c_str());
    if (!nodeUnit || !childUnit) return;
    CUnitStruct& to = childUnit->links;
    Append(to.dependents, to.dependentCount, nodeUnit->id);
    nodeUnit->links.head = childUnit->id;
    // The count is read once: a node sharing its child's unit would
    // otherwise walk the list it grows.
    const int n = nodeUnit->links.dependentCount;
    for (int i = 0; i < n; ++i) Append(to.dependents, to.dependentCount, nodeUnit->links.dependents[static_cast<size_t>(i)]);
}

bool CQAVTree::GetUnit(int number, std::string& out) const {
    const CTreeNode* node = Node(number);
    if (!node) return false;
    out = node->UnitText();
    return true;
}

bool CQAVTree::AddBit2Unit(int number, const char* attributes) {
    const CTreeNode* node = Node(number);
    if (!node || !node->HasUnit() || !lattice_) return false;
    CUnit* unit = lattice_->GetLatticeUnit(node->UnitText().c_str());
    if (!unit) return false;
    unit->Insert2UnitKV(attributes);
    return true;
}

bool CQAVTree::IsOK(int number, const char* condition) {
    const CTreeNode* node = Node(number);
    if (!node || !node->HasUnit() || !lattice_ || !condition) return false;
    CUnit* unit = lattice_->GetLatticeUnit(node->UnitText().c_str());
    if (!unit) return false;
    const char* equals = std::strchr(condition, '=');
    if (!equals) return SatisfiesUnitTest(*unit, "Bits", condition);
    const std::string key(condition, equals);
    return SatisfiesUnitTest(*unit, key.c_str(), equals + 1);
}

}  // namespace zel
