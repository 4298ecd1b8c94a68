// One bracketed tree-bank sentence written on one line, read into a node
// tree and turned into lattice units and relations. Two notations:
//   square brackets: a leaf is "[word/tag]", an inner node "[label children]";
//   parentheses:     a leaf is "(tag word)", an inner node "(label children)".
// Inside a bracket, tokens are separated by tab, blank, ',', '/', ';' and '|'.
// The line is GBK: a two-byte character is stepped over as a whole, so its
// trail byte is never read as a bracket or a separator.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace zel {

class CLattice;
class CQAVTree;

// A longer line is refused, and so is a leaf text of this many bytes or more.
constexpr size_t kTreeLineSize = 10240;

enum TreeNodeType : int { kTreeWord = 0, kTreePhrase = 1 };

// Where a node stands among its siblings.
enum : int { kPlaceFirst = 0, kPlaceMiddle = 1, kPlaceOnly = 2, kPlaceLast = 3 };

// The parsed content of one bracket.
struct CTreeItem {
    std::string label;  // leaf: the tag; inner node: the text before its first inner bracket
    std::vector<std::string> headTokens;  // the label cut at the separators; all-digit tokens are "PR"
    std::string word;   // leaf: the word; inner node: the text of all children
    std::vector<std::string> childTexts;  // inner node: the text of each child bracket
    int kind = kTreePhrase;
    int place = kPlaceMiddle;
    int from = -1;  // first and last character of the span (-1 until laid out)
    int to = -1;
    int unitColumn = -1;
    int unitIndex = -1;
    int number = -1;
    std::string normText;  // full-width text of the span

    // Fills the item from the parts of one bracket; false for a leaf with an
    // empty word or a head text of kTreeLineSize bytes or more.
    bool SetTreeItem(const std::string& head, const std::string& children, int bracketKind);
    // A leaf: false for an empty word or one of kTreeLineSize bytes or more.
    bool SetTreeItem(const std::string& tag, const std::string& leafWord);
    // Span and unit back to "not laid out".
    void ResetLayout();
};

struct CTreeNode : CTreeItem {
    CTreeNode* firstChild = nullptr;
    CTreeNode* parent = nullptr;
    CTreeNode* next = nullptr;
    CTreeNode* prev = nullptr;
    CQAVTree* tree = nullptr;

    bool HasUnit() const { return unitColumn >= 0; }
    std::string UnitText() const;
};

// True when the line is a tree line: balanced brackets of one kind, at
// least four of them, and no bracket followed by '/'. kind = 1 for square
// brackets, else 2.
bool IsTreeLine(const char* line, int& kind);
// Every character a digit 0 to 9 (true for the empty text).
bool isDigital(const char* text);

class CQAVTree {
public:
    CQAVTree() = default;
    CQAVTree(const CQAVTree&) = delete;
    CQAVTree& operator=(const CQAVTree&) = delete;

    // Reads one line (emptying the tree first); false for a line over
    // kTreeLineSize bytes, a line that is no tree line or a bad leaf.
    bool ReadTree(const char* line, int kind);
    // Lays out leaves, spans, full-width texts and the span map.
    bool SetWordNodeInfo();
    void SetLattice(CLattice* lattice) { lattice_ = lattice; }
    // Units for nodes 1.. (POS = label), tree links and relations named by
    // the child's label, and "Link" relations from the caller's root unit
    // to the root's children. offset: the column where the tree's text
    // starts in the sentence.
    void Add2Lattice(bool asChunks, bool withHeads, int offset, const char* source, const char* rootUnit);

    // "(c,i)" of the node's unit ("(-1,-1)" without one); false for a
    // number outside the nodes of the line.
    bool GetUnit(int number, std::string& out) const;
    // Adds attribute text to the node's unit; false without one.
    bool AddBit2Unit(int number, const char* attributes);
    // Whether the node's unit satisfies the condition "key=value"; a
    // condition without '=' is a value of "Bits". False without a unit.
    bool IsOK(int number, const char* condition);

    static uint32_t GenerateFromTo(int from, int to) {
        return (static_cast<uint32_t>(from) << 16) | (static_cast<uint32_t>(to) & 0xFFFFu);
    }
    void AddFromTo2ID(int from, int to, int number) { spans_[GenerateFromTo(from, to)] = number; }
    // The node number stored for the span, or -1.
    int GetFromTo2ID(int from, int to) const;

    // Deletes every pooled node and empties the tree.
    void FreeQAVTree();

    int NodeCount() const { return nodeCount_; }
    CTreeNode* Node(int number) const;
    CTreeNode* FirstTop() const { return firstTop_; }
    const std::string& RawText() const { return rawText_; }
    // The line as it was read.
    const std::string& Line() const { return line_; }
    const std::string& NormText() const { return normText_; }
    const std::vector<CTreeNode*>& Leaves() const { return leaves_; }

private:
    void Clear();
    // Splits one bracket text into items_[0].
    bool SplitNodeItem_Tree(const std::string& text, char open, char close);
    // A pooled node filled from items_[0]; null when a leaf copy fails.
    CTreeNode* NewTreeNode();
    // Expands the node's children, each to its full depth before the next.
    bool CreateTree(CTreeNode* node, int kind);
    void VisitNode(CTreeNode* top);
    void LayLeaf(CTreeNode* leaf);
    void GetParentChild(bool withHeads, const char* source);
    void AddRootInfo(const char* source, const char* rootUnit);
    void SetArgHeadInfo(CTreeNode* node);
    void AddHeadChild(CTreeNode* node, CTreeNode* child);

    std::vector<std::unique_ptr<CTreeNode>> pool_;
    int nodeCount_ = 0;
    CTreeNode* firstTop_ = nullptr;  // the line's outermost bracket, the root
    std::vector<CTreeNode*> leaves_;
    CLattice* lattice_ = nullptr;
    std::string rawText_;
    std::string normText_;
    std::string line_;
    std::map<uint32_t, int> spans_;
    std::vector<CTreeItem> items_;
};

}  // namespace zel
