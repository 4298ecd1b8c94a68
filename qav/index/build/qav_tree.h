// Reader of one corpus line: a bracketed tree-bank sentence ("[label kids]"
// with leaves "[... word tag]", or "(label kids)" with leaves "(tag ... word)")
// or a segmented line of word/tag tokens read as a flat list of word nodes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qav {

class CConfig;
class CQAVTree;

// Longest line the reader accepts, in bytes.
constexpr size_t kTreeLineMaxBytes = 102400;

// Bracket kinds of a line: 0 segmented, 1 square brackets, 2 parentheses.
constexpr int kTreeKindSeg = 0;
constexpr int kTreeKindSquare = 1;
constexpr int kTreeKindRound = 2;

enum class NodeType : int32_t { Word = 0, Phrase = 1 };

// Place of a node among its siblings.
constexpr int32_t kPlaceFirst = 0;
constexpr int32_t kPlaceMiddle = 1;  // also a new item and a top-level node
constexpr int32_t kPlaceOnly = 2;
constexpr int32_t kPlaceLast = 3;

// The content of one bracket or one token. Slots of m_tokens and m_childTexts
// beyond their counts are kept for reuse, so only the first count entries hold.
class CTreeItem {
public:
    std::string m_label;                // leaf: the tag; inner node: the head text
    std::vector<std::string> m_tokens;  // the label cut at tab, blank , / ; |
    int32_t m_nTokenCount = 0;
    std::string m_word;                      // leaf: the word; inner node: all children
    std::vector<std::string> m_childTexts;   // inner node: each child bracket
    int32_t m_nChildCount = 0;
    NodeType m_nodeType = NodeType::Phrase;
    int32_t m_nPlace = kPlaceMiddle;
    int32_t m_nClause = 0;  // leaf: clause separators before it, modulo 256

    // Fills the item from one split bracket of the given kind.
    bool SetTreeItem(std::string_view head, std::string_view children, int kind);
    // Fills the item directly; a word item needs a word of 1 to 2,047 bytes.
    bool SetTreeItem(std::string_view label, std::string_view word, NodeType type);
    // Copies label, tokens, word, child texts, counts, type, place and clause.
    bool SetTreeItem(const CTreeItem& item);
    // Fills label and word of a leaf from its bracket text; always true.
    bool SetTagBracket_Left(std::string_view text, int kind);

    std::string_view Token(int32_t i) const { return m_tokens[i]; }

protected:
    // Back to the state of a new item (content slots are kept for reuse).
    void ResetItem();

private:
    void CutHeadTokens(std::string_view label);
};

class CTreeNode : public CTreeItem {
public:
    CTreeNode* m_pFirstChild = nullptr;
    CTreeNode* m_pParent = nullptr;
    CTreeNode* m_pNextSibling = nullptr;
    CTreeNode* m_pPrevSibling = nullptr;
    CQAVTree* m_pTree = nullptr;

    // A pooled node taken for a new line: no content, no links.
    void ResetNode(CQAVTree* owner);
};

// One reader per thread; it keeps its nodes across lines. Node numbers,
// items, leaves and pairs belong to the line last read and visited.
class CQAVTree {
public:
    CTreeNode* m_pFirstNode = nullptr;  // top-level nodes, linked as siblings
    // Every node ever made, owned here; a node's number is its place.
    std::vector<std::unique_ptr<CTreeNode>> m_nodePool;
    uint32_t m_nNodeCount = 0;    // nodes in use for the current line
    uint32_t m_nClauseCount = 0;  // clause separators met by VisitNode
    CConfig* m_pConfig = nullptr;  // clause separators and stop tags; may be null
    std::vector<CTreeNode*> m_leaves;  // leaves in line order (VisitNode)
    uint32_t m_nLeafCount = 0;
    std::vector<CTreeItem> m_items;  // items split from the current text
    uint32_t m_nItemCount = 0;
    std::vector<std::pair<CTreeNode*, std::string>> m_pairs;  // GetRPair
    uint32_t m_nPairCount = 0;

    CQAVTree();
    CQAVTree(const CQAVTree&) = delete;
    CQAVTree& operator=(const CQAVTree&) = delete;

    void SetConfig(CConfig* config) { m_pConfig = config; }

    // Reads one line (NUL-terminated). Kind 0 reads it as a segmented line;
    // any other kind lets the line choose its form.
    bool ReadTree(const char* line, int kind);
    // Empties the tree for a new line; pooled nodes stay.
    void Clear();
    // Deletes every pooled node and empties the tree.
    void FreeQAVTree();

    // Classifies the line (kind != 0) and splits it into items.
    bool SplitNodeItem(std::string_view line, int kind);
    // Splits one bracket into item 0.
    bool SplitNodeItem_Tree(std::string_view text, int kind);
    // One item per word/tag token.
    bool SplitNodeItem_Seg(std::string_view line);
    // Takes the next pooled node, numbers it and fills it; null on failure.
    CTreeNode* NewTreeNode(const CTreeItem& item);
    CTreeNode* NewTreeNode(std::string_view text, int kind);
    // Appends a node to the top-level list.
    void Add2List(CTreeNode* node);
    // Expands an inner node into its whole subtree.
    bool CreateTree(CTreeNode* node, int kind);
    // Appends the subtree's leaves to the leaf list, numbering their clauses.
    void VisitNode(CTreeNode* node);

    // Out: the leaf reached through last children (the node itself when a leaf).
    bool GetMostRight(CTreeNode* node, CTreeNode*& out) const;
    // Out: the deepest first child, or null when the node has no children.
    bool GetMostLeft(CTreeNode* node, CTreeNode*& out) const;
    // Neither word is a clause separator and both leaves share a clause.
    bool IsSubTreeOK(const CTreeNode* a, const CTreeNode* b) const;
    // The text is not a stop tag.
    bool IsSubTreeOK(std::string_view text) const;
    // Adds (rightmost leaf, head token) for each constituent that starts at
    // the node; the caller empties m_nPairCount first. Always true.
    bool GetRPair(CTreeNode* node);
    // d >= 0 with m_leaves[start + d] == node, or -1.
    int GetNodeDist(int start, const CTreeNode* node) const;

    CTreeNode* Node(uint32_t number) const { return m_nodePool[number].get(); }
    CTreeNode* Leaf(uint32_t i) const { return m_leaves[i]; }

private:
    bool IsClauseSeparator(std::string_view word) const;
    void AddPair(CTreeNode* right, std::string_view token);

    CTreeNode* m_pLastNode = nullptr;  // end of the top-level list
    int m_nLineKind = kTreeKindSeg;    // form the current line was split in
    std::string m_headBuf;             // scratch for splitting one bracket
    std::string m_childrenBuf;
    std::vector<CTreeNode*> m_workStack;  // CreateTree and VisitNode
};

// Classifies a line without reading it: true for a tree line, with kind 1
// (square brackets) or 2 (parentheses); false with kind 0 otherwise.
bool IsTreeLine(const char* line, int& kind);
// The same classification as a kind (0, 1 or 2).
int TreeLineKind(std::string_view line);

}  // namespace qav
