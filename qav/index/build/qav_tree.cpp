// Reading one corpus line into a tree of pooled nodes, and walking its leaves,
// clauses and constituent pairs.
#include "qav/index/build/qav_tree.h"

#include <cstring>

#include "common/text/gbk_char.h"
#include "common/text/text_utils.h"
#include "qav/index/base/config.h"

namespace qav {

namespace {

constexpr size_t kSplitTextMax = 102399;  // head or children text of one bracket
constexpr size_t kSegTokenMax = 2046;

// Appends the character at p when the text stays within kSplitTextMax.
void AppendChar(std::string& text, const char* p, size_t len) {
    if (text.size() + len <= kSplitTextMax) text.append(p, len);
}

}  // namespace

int TreeLineKind(std::string_view line) {
    long squares = 0, squareDepth = 0, rounds = 0, roundDepth = 0;
    for (size_t i = 0; i < line.size();) {
        const size_t len = qz::GbkCharLen(line.data() + i, line.size() - i);
        if (len == 1) {
            const char c = line[i];
            const bool square = c == '[' || c == ']';
            const bool round = c == '(' || c == ')';
            if ((square || round) && i + 1 < line.size() && line[i + 1] == '/') return kTreeKindSeg;
            if (square) {
                ++squares;
                squareDepth += c == '[' ? 1 : -1;
            } else if (round) {
                ++rounds;
                roundDepth += c == '(' ? 1 : -1;
            }
        }
        i += len;
    }
    if (squareDepth == 0 && squares > 3) return kTreeKindSquare;
    if (roundDepth == 0 && rounds > 3) return kTreeKindRound;
    return kTreeKindSeg;
}

bool IsTreeLine(const char* line, int& kind) {
    kind = line ? TreeLineKind(line) : kTreeKindSeg;
    return kind != kTreeKindSeg;
}

void CTreeNode::ResetNode(CQAVTree* owner) {
    ResetItem();
    m_pFirstChild = m_pParent = m_pNextSibling = m_pPrevSibling = nullptr;
    m_pTree = owner;
}

CQAVTree::CQAVTree() {
    m_headBuf.reserve(kSplitTextMax);
    m_childrenBuf.reserve(kSplitTextMax);
}

void CQAVTree::Clear() {
    m_nNodeCount = 0;
    m_nItemCount = 0;
    m_nLeafCount = 0;
    m_pFirstNode = m_pLastNode = nullptr;
}

void CQAVTree::FreeQAVTree() {
    Clear();
    m_nodePool.clear();
    m_leaves.clear();
    m_pairs.clear();  // they point into the pool
    m_nPairCount = 0;
}

bool CQAVTree::ReadTree(const char* line, int kind) {
    Clear();
    if (!line) return false;
    const size_t length = strlen(line);
    if (length > kTreeLineMaxBytes) return false;
    if (!SplitNodeItem(std::string_view(line, length), kind)) return false;
    for (uint32_t i = 0; i < m_nItemCount; ++i) {
        CTreeNode* node = NewTreeNode(m_items[i]);
        if (!node) return false;
        Add2List(node);
    }
    if (!m_pFirstNode) return false;
    // Children are split in the form the line was read in, so a parenthesis
    // line read with kind 1 is expanded with parentheses too.
    for (CTreeNode* node = m_pFirstNode; node; node = node->m_pNextSibling)
        if (node->m_nodeType == NodeType::Phrase && !CreateTree(node, m_nLineKind)) return false;
    return true;
}

bool CQAVTree::SplitNodeItem(std::string_view line, int kind) {
    m_nLineKind = kind == kTreeKindSeg ? kTreeKindSeg : TreeLineKind(line);
    if (m_nLineKind == kTreeKindSeg) return SplitNodeItem_Seg(line);
    return SplitNodeItem_Tree(line, m_nLineKind);
}

// Inside the outer bracket, the text before the first inner bracket is the
// head; everything from there to the outer close is the children text.
bool CQAVTree::SplitNodeItem_Tree(std::string_view text, int kind) {
    m_nItemCount = 0;
    const char open = kind == kTreeKindRound ? '(' : '[';
    const char close = kind == kTreeKindRound ? ')' : ']';
    m_headBuf.clear();
    m_childrenBuf.clear();
    long opens = 0;
    long closes = 0;
    for (size_t i = 0; i < text.size();) {
        const char* p = text.data() + i;
        const size_t len = qz::GbkCharLen(p, text.size() - i);
        const bool isOpen = len == 1 && *p == open;
        const bool isClose = len == 1 && *p == close;
        opens += isOpen;
        closes += isClose;
        if (opens == 1 && closes == 0) {
            if (!isOpen && !isClose) AppendChar(m_headBuf, p, len);
        } else if (opens > 1 && opens != closes) {
            AppendChar(m_childrenBuf, p, len);
        }
        i += len;
    }
    if (m_items.empty()) m_items.emplace_back();
    if (!m_items[0].SetTreeItem(m_headBuf, m_childrenBuf, kind)) return false;
    m_nItemCount = 1;
    return true;
}

bool CQAVTree::SplitNodeItem_Seg(std::string_view line) {
    m_nItemCount = 0;
    size_t pos = 0;
    bool lastToken = false;
    while (!lastToken && pos < line.size()) {
        while (pos < line.size() && qz::IsBlank(line[pos])) ++pos;
        const size_t start = pos;
        size_t slash = std::string_view::npos;
        while (pos < line.size() && !qz::IsBlank(line[pos])) {
            const size_t len = qz::GbkCharLen(line.data() + pos, line.size() - pos);
            if (pos - start + len > kSegTokenMax) {
                lastToken = true;
                break;
            }
            if (len == 1 && line[pos] == '/') slash = pos;
            pos += len;
            if (pos - start == kSegTokenMax) {
                lastToken = true;
                break;
            }
        }
        if (pos == start) break;
        const std::string_view token = line.substr(start, pos - start);
        const std::string_view word =
            slash == std::string_view::npos ? token : token.substr(0, slash - start);
        const std::string_view tag =
            slash == std::string_view::npos ? std::string_view() : token.substr(slash - start + 1);
        if (word.empty()) continue;
        if (m_nItemCount == m_items.size()) m_items.emplace_back();
        if (!m_items[m_nItemCount].SetTreeItem(tag, word, NodeType::Word)) return false;
        ++m_nItemCount;
    }
    return true;
}

CTreeNode* CQAVTree::NewTreeNode(const CTreeItem& item) {
    if (m_nNodeCount == m_nodePool.size()) m_nodePool.push_back(std::make_unique<CTreeNode>());
    CTreeNode* node = m_nodePool[m_nNodeCount].get();
    node->ResetNode(this);
    const bool filled = item.m_nodeType == NodeType::Phrase
                            ? node->SetTreeItem(item)
                            : node->SetTreeItem(item.m_label, item.m_word, NodeType::Word);
    if (!filled) return nullptr;
    ++m_nNodeCount;
    return node;
}

CTreeNode* CQAVTree::NewTreeNode(std::string_view text, int kind) {
    if (!SplitNodeItem_Tree(text, kind)) return nullptr;
    return NewTreeNode(m_items[0]);
}

void CQAVTree::Add2List(CTreeNode* node) {
    if (m_pLastNode) {
        m_pLastNode->m_pNextSibling = node;
        node->m_pPrevSibling = m_pLastNode;
    } else {
        m_pFirstNode = node;
    }
    m_pLastNode = node;
}

// Children of a node get consecutive numbers; the last inner child pushed is
// expanded first, so subtrees are numbered depth first from the right.
bool CQAVTree::CreateTree(CTreeNode* node, int kind) {
    m_workStack.clear();
    m_workStack.push_back(node);
    while (!m_workStack.empty()) {
        CTreeNode* parent = m_workStack.back();
        m_workStack.pop_back();
        const int32_t count = parent->m_nChildCount;
        CTreeNode* previous = nullptr;
        for (int32_t i = 0; i < count; ++i) {
            CTreeNode* child = NewTreeNode(parent->m_childTexts[i], kind);
            if (!child) return false;
            child->m_pParent = parent;
            if (previous) {
                previous->m_pNextSibling = child;
                child->m_pPrevSibling = previous;
            } else {
                parent->m_pFirstChild = child;
            }
            child->m_nPlace = count == 1 ? kPlaceOnly
                              : i == 0   ? kPlaceFirst
                              : i == count - 1 ? kPlaceLast
                                               : kPlaceMiddle;
            previous = child;
        }
        for (CTreeNode* child = parent->m_pFirstChild; child; child = child->m_pNextSibling)
            if (child->m_nodeType == NodeType::Phrase) m_workStack.push_back(child);
    }
    return true;
}

// Leaves, clauses and constituent pairs of a read tree.
namespace {

CTreeNode* LastChild(const CTreeNode* node) {
    CTreeNode* child = node->m_pFirstChild;
    while (child && child->m_pNextSibling) child = child->m_pNextSibling;
    return child;
}

}  // namespace

bool CQAVTree::IsClauseSeparator(std::string_view word) const {
    return m_pConfig && m_pConfig->IsSeperator_Clause(word);
}

// A separator leaf belongs to the clause it ends.
void CQAVTree::VisitNode(CTreeNode* node) {
    if (!node) return;
    m_workStack.clear();
    m_workStack.push_back(node);
    while (!m_workStack.empty()) {
        CTreeNode* current = m_workStack.back();
        m_workStack.pop_back();
        if (current->m_pFirstChild) {
            for (CTreeNode* child = LastChild(current); child; child = child->m_pPrevSibling)
                m_workStack.push_back(child);
            continue;
        }
        current->m_nClause = static_cast<int32_t>(m_nClauseCount % 256);
        if (IsClauseSeparator(current->m_word)) ++m_nClauseCount;
        if (m_nLeafCount < m_leaves.size())
            m_leaves[m_nLeafCount] = current;
        else
            m_leaves.push_back(current);
        ++m_nLeafCount;
    }
}

bool CQAVTree::GetMostRight(CTreeNode* node, CTreeNode*& out) const {
    out = node;
    if (!node) return false;
    while (out->m_pFirstChild) out = LastChild(out);
    return true;
}

bool CQAVTree::GetMostLeft(CTreeNode* node, CTreeNode*& out) const {
    out = nullptr;
    if (!node) return false;
    for (CTreeNode* child = node->m_pFirstChild; child; child = child->m_pFirstChild) out = child;
    return true;
}

bool CQAVTree::IsSubTreeOK(const CTreeNode* a, const CTreeNode* b) const {
    if (IsClauseSeparator(a->m_word) || IsClauseSeparator(b->m_word)) return false;
    return a->m_nClause == b->m_nClause;
}

bool CQAVTree::IsSubTreeOK(std::string_view text) const {
    return !(m_pConfig && m_pConfig->IsNotToIndex(text));
}

void CQAVTree::AddPair(CTreeNode* right, std::string_view token) {
    if (m_nPairCount < m_pairs.size()) {
        m_pairs[m_nPairCount].first = right;
        m_pairs[m_nPairCount].second.assign(token.data(), token.size());
    } else {
        m_pairs.emplace_back(right, std::string(token));
    }
    ++m_nPairCount;
}

// Each constituent that begins at the node pairs its rightmost leaf with each
// of its labels, while both ends lie in one clause.
bool CQAVTree::GetRPair(CTreeNode* node) {
    if (!node) return true;
    for (CTreeNode* ancestor = node->m_pParent; ancestor; ancestor = ancestor->m_pParent) {
        CTreeNode* leftmost = nullptr;
        GetMostLeft(ancestor, leftmost);
        if (leftmost != node) break;
        CTreeNode* rightmost = nullptr;
        GetMostRight(ancestor, rightmost);
        if (!IsSubTreeOK(rightmost, node)) continue;
        for (int32_t i = 0; i < ancestor->m_nTokenCount; ++i)
            if (IsSubTreeOK(ancestor->Token(i))) AddPair(rightmost, ancestor->Token(i));
    }
    return true;
}

int CQAVTree::GetNodeDist(int start, const CTreeNode* node) const {
    if (start < 0) return -1;
    for (uint32_t i = static_cast<uint32_t>(start); i < m_nLeafCount; ++i)
        if (m_leaves[i] == node) return static_cast<int>(i - static_cast<uint32_t>(start));
    return -1;
}

}  // namespace qav
