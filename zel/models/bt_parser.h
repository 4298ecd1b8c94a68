// Bracketing parser: unlabelled binary trees over a span of sentence columns,
// split top-down at the boundaries the character n-gram models score best.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "zel/models/bt_lattice_map.h"
#include "zel/models/bt_sentence.h"

namespace zel {

// A scored split point: the split falls between columns position and position + 1.
struct CLMItem {
    float score;
    int16_t position;
};

struct CNode_BT {
    int16_t firstChild = -1;
    int16_t secondChild = -1;
    int16_t parent = -1;
    int16_t first = 0;  // first column
    int16_t last = 0;   // last column
    int32_t depth = 0;

    bool IsLeaf() const { return firstChild < 0; }
};

using BTNodes = std::vector<CNode_BT>;

class CBT {
public:
    // Largest node count of a tree (its count is a signed 16-bit number),
    // and so the largest column a build may reach.
    static constexpr int kMaxNodes = 32767;

    // Builds the current tree over columns first..last. Modes differ in the
    // splits they forbid: 0 inside runs of one-byte text, digits, letters
    // and symbols; 1 and 2 inside units; 3 inside terminal units. Mode 2
    // adds the best splits of the positions mode 1 left. False for another
    // mode or when the span has no admissible split point. The parser keeps
    // the sentence for the tree texts: it must live as long as the trees.
    bool CreateBT(const BTSentence& sentence, int mode, int first, int last);
    // Two-layer build: the best splits of the span, and for each half its
    // best alternative trees, which are stored directly. With unitFlag no
    // split falls inside a unit.
    bool CreateBT_Simple(const BTSentence& sentence, bool unitFlag, int first, int last);
    // Appends a copy of the current tree to the stored trees.
    void AddTreeToTrees() { StoreTree(nodes_); }
    // Forgets the stored trees (their slots are reused).
    void ClearTrees() { treeCount_ = 0; }
    // Forgets every tree and the map, as for a new sentence.
    void Reset() {
        nodes_.clear();
        treeCount_ = 0;
        latticeMap.ClearBT2Lattice();
    }

    // Appends the bracketed text of a node of a stored tree; returns the
    // number of stored trees, 0 (writing nothing) for a number out of range.
    // With nodes but no stored tree it writes the current tree in square
    // brackets instead and returns 1. With the flag set the node's own text is
    // left out (current tree: its node number is written instead).
    int GetTree(int tree, int node, std::string& out, bool flag) const;

    // Numbers the internal nodes of the stored trees and maps them onto
    // their spans and columns (afresh each time).
    bool SetBT2LatticeInitInfo();
    // The first internal node over exactly first..last, or -1.
    int GetBTNode(int first, int last) const { return latticeMap.GetBTNode(first, last); }
    void ClearBT2Lattice() { latticeMap.ClearBT2Lattice(); }

    CBT2Lattice latticeMap;

    const BTNodes& CurrentTree() const { return nodes_; }
    int TreeCount() const { return treeCount_; }
    const BTNodes& StoredTree(int tree) const { return trees_[tree]; }

    // Score of a split at p of the span of positions f..t: five context
    // scores of the left, right and back-off models.
    float CompProbEx(int p, int f, int t) const;

private:
    void StoreTree(const BTNodes& tree);
    bool SpanFits(const BTSentence& sentence, int first, int last) const;
    void SetTag_LatticeInit(int first, int last);
    // No split inside a unit (of every unit, or of terminal units only).
    void SetTag_LatticeUnit(bool terminalOnly);
    bool IsAdmissible(int p) const;
    std::vector<CLMItem> ScoredPositions(int f, int t) const;
    void Split(int f, int t, std::vector<CLMItem>& kept) const;
    // Splits the newest node containing each item's position, from the root [first, last].
    static void CompTreeVector(const std::vector<CLMItem>& items, int first, int last, BTNodes& nodes);
    void NodeText(const BTNodes& nodes, int node, std::string& out, bool flag, bool stored) const;
    void LeafText(const CNode_BT& leaf, bool every, std::string& out, bool stored) const;

    const BTSentence* sentence_ = nullptr;
    BTNodes nodes_;
    std::vector<BTNodes> trees_;
    int treeCount_ = 0;
    std::vector<char> marks_;  // per column: 1 forbids a split after it
};

// Best-n count of a span: 1 below 5 positions, 2 below 10, 3 below 20, else 4.
int GetNBest(int f, int t);

// Context scores of a split at p over positions f..t; modes 7 and 8 (left
// and right) and 3 (back-off) are the shapes the parser uses. A model that
// is not loaded contributes 0.
float CompBoundaryProb_L(const BTSentence& sentence, int p, int f, int t, int mode);
float CompBoundaryProb_R(const BTSentence& sentence, int p, int f, int t, int mode);
float CompBoundaryProb_LM(const BTSentence& sentence, int p, int f, int t, int mode);

}  // namespace zel
