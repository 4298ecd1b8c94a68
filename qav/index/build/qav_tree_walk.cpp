// Leaves, clauses and constituent pairs of a read tree.
#include "qav/index/base/config.h"
#include "qav/index/build/qav_tree.h"

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
