// Reading one tree line into the node tree: classification, splitting one
// bracket into its head and children, and the expansion of the children.
#include <cstring>
#include <utility>

#include "zel/lattice/gbk_step.h"
#include "zel/lattice/tree_line.h"

namespace zel {

namespace {

bool IsSeparator(char c) { return c == '\t' || c == ' ' || c == ',' || c == '/' || c == ';' || c == '|'; }

char OpenOf(int kind) { return kind == 1 ? '[' : '('; }
char CloseOf(int kind) { return kind == 1 ? ']' : ')'; }

// Tokens of a text cut at the separators; two-byte characters stay whole.
std::vector<std::string> Tokens(const std::string& text) {
    std::vector<std::string> tokens;
    std::string token;
    for (const char* p = text.c_str(); *p;) {
        const size_t n = GbkCharBytes(p);
        if (n == 0) break;
        if (n == 1 && IsSeparator(*p)) {
            if (!token.empty()) tokens.push_back(token);
            token.clear();
        } else {
            token.append(p, n);
        }
        p += n;
    }
    if (!token.empty()) tokens.push_back(token);
    return tokens;
}

// The head text without the blanks and tabs around it: a label names a
// relation and is compared with tags.
std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Each bracket of the children text that closes level becomes one child text.
std::vector<std::string> ChildTexts(const std::string& children, char open, char close) {
    std::vector<std::string> texts;
    std::string gathered;
    int opens = 0, closes = 0;
    for (const char* p = children.c_str(); *p;) {
        const size_t n = GbkCharBytes(p);
        if (n == 0) break;
        gathered.append(p, n);
        if (n == 1 && *p == open) ++opens;
        if (n == 1 && *p == close && ++closes == opens) {
            texts.push_back(gathered);
            gathered.clear();
        }
        p += n;
    }
    return texts;
}

}  // namespace

bool isDigital(const char* text) {
    for (; *text; ++text)
        if (*text < '0' || *text > '9') return false;
    return true;
}

bool IsTreeLine(const char* line, int& kind) {
    kind = 2;
    int squares = 0, squareDepth = 0, parens = 0, parenDepth = 0;
    for (const char* p = line; *p;) {
        const size_t n = GbkCharBytes(p);
        if (n == 0) break;
        if (n == 1) {
            const char c = *p;
            const bool bracket = c == '[' || c == ']' || c == '(' || c == ')';
            if (bracket && p[1] == '/') return false;
            if (c == '[' || c == ']') {
                ++squares;
                squareDepth += c == '[' ? 1 : -1;
            } else if (c == '(' || c == ')') {
                ++parens;
                parenDepth += c == '(' ? 1 : -1;
            }
        }
        p += n;
    }
    if (squareDepth == 0 && squares >= 4) {
        kind = 1;
        return true;
    }
    return parenDepth == 0 && parens >= 4;
}

void CTreeItem::ResetLayout() {
    from = to = -1;
    unitColumn = unitIndex = -1;
    number = -1;
    normText.clear();
}

bool CTreeItem::SetTreeItem(const std::string& head, const std::string& children, int bracketKind) {
    headTokens.clear();
    childTexts.clear();
    if (children.empty()) {
        if (head.size() >= kTreeLineSize) return false;
        const std::vector<std::string> tokens = Tokens(head);
        std::string tag, leafWord;
        for (size_t k = 0; k + 1 < tokens.size(); ++k) (bracketKind == 1 ? leafWord : tag) = tokens[k];
        if (!tokens.empty()) (bracketKind == 1 ? tag : leafWord) = tokens.back();
        label = tag;
        word = leafWord;
        kind = kTreeWord;
        return !word.empty();
    }
    label = Trimmed(head);
    word = children;
    childTexts = ChildTexts(children, OpenOf(bracketKind), CloseOf(bracketKind));
    for (std::string& token : Tokens(head)) headTokens.push_back(isDigital(token.c_str()) ? "PR" : std::move(token));
    kind = !headTokens.empty() && childTexts.empty() ? kTreeWord : kTreePhrase;
    return true;
}

bool CTreeItem::SetTreeItem(const std::string& tag, const std::string& leafWord) {
    if (leafWord.empty() || leafWord.size() >= kTreeLineSize) return false;
    label = tag;
    word = leafWord;
    headTokens.clear();
    childTexts.clear();
    kind = kTreeWord;
    return true;
}

// Characters inside the bracket before its first inner bracket are the
// head; everything from the first inner bracket up to the close of the
// outer one is the children text. The walk ends with the outer bracket.
bool CQAVTree::SplitNodeItem_Tree(const std::string& text, char open, char close) {
    std::string head, children;
    int opens = 0, closes = 0;
    for (const char* p = text.c_str(); *p;) {
        const size_t n = GbkCharBytes(p);
        if (n == 0) break;
        const bool isOpen = n == 1 && *p == open;
        const bool isClose = n == 1 && *p == close;
        if (isOpen) ++opens;
        if (isClose && ++closes == opens) break;
        if (opens >= 2)
            children.append(p, n);
        else if (opens == 1 && !isOpen && !isClose)
            head.append(p, n);
        p += n;
    }
    if (items_.empty()) items_.emplace_back();
    items_[0] = CTreeItem();
    return items_[0].SetTreeItem(head, children, open == '[' ? 1 : 2);
}

CTreeNode* CQAVTree::NewTreeNode() {
    if (pool_.size() <= static_cast<size_t>(nodeCount_)) pool_.push_back(std::make_unique<CTreeNode>());
    CTreeNode* node = pool_[static_cast<size_t>(nodeCount_)].get();
    const CTreeItem& item = items_[0];
    *node = CTreeNode();
    if (item.kind == kTreeWord) {
        if (!node->SetTreeItem(item.label, item.word)) return nullptr;
    } else {
        static_cast<CTreeItem&>(*node) = item;
    }
    node->ResetLayout();
    node->number = nodeCount_++;
    node->tree = this;
    return node;
}

// Children are numbered one sibling group at a time; the inner children
// are then expanded in order, each to its full depth before the next. A
// stack keeps deep trees off the call stack.
bool CQAVTree::CreateTree(CTreeNode* root, int kind) {
    std::vector<CTreeNode*> pending = {root};
    while (!pending.empty()) {
        CTreeNode* node = pending.back();
        pending.pop_back();
        std::vector<CTreeNode*> children;
        for (const std::string& text : node->childTexts) {
            if (!SplitNodeItem_Tree(text, OpenOf(kind), CloseOf(kind))) return false;
            CTreeNode* child = NewTreeNode();
            if (!child) return false;
            child->parent = node;
            if (!children.empty()) {
                children.back()->next = child;
                child->prev = children.back();
            }
            children.push_back(child);
        }
        if (children.empty()) continue;
        node->firstChild = children.front();
        for (size_t k = 0; k < children.size(); ++k)
            children[k]->place = children.size() == 1 ? kPlaceOnly
                                 : k == 0             ? kPlaceFirst
                                 : k + 1 == children.size() ? kPlaceLast
                                                            : kPlaceMiddle;
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            if ((*it)->kind == kTreePhrase) pending.push_back(*it);
    }
    return true;
}

void CQAVTree::Clear() {
    nodeCount_ = 0;
    items_.clear();
    leaves_.clear();
    rawText_.clear();
    normText_.clear();
    line_.clear();
    spans_.clear();
    firstTop_ = nullptr;
}

bool CQAVTree::ReadTree(const char* line, int kind) {
    Clear();
    if (!line || std::strlen(line) > kTreeLineSize) return false;
    line_ = line;
    int detected = kind;
    if (!IsTreeLine(line, detected)) return false;
    if (!SplitNodeItem_Tree(line_, OpenOf(detected), CloseOf(detected))) return false;
    CTreeNode* top = NewTreeNode();
    if (!top) return false;
    firstTop_ = top;
    return top->kind != kTreePhrase || CreateTree(top, kind);
}

void CQAVTree::FreeQAVTree() {
    Clear();
    pool_.clear();
}

CTreeNode* CQAVTree::Node(int number) const {
    return number >= 0 && number < nodeCount_ ? pool_[static_cast<size_t>(number)].get() : nullptr;
}

int CQAVTree::GetFromTo2ID(int from, int to) const {
    const auto found = spans_.find(GenerateFromTo(from, to));
    return found == spans_.end() ? -1 : found->second;
}

}  // namespace zel
