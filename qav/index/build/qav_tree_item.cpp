// Content of one bracket or token of a tree line.
#include "qav/index/build/qav_tree.h"

#include "common/text/gbk_char.h"
#include "common/text/text_utils.h"

namespace qav {

namespace {

constexpr size_t kLeafHeadMax = 2047;   // a leaf's head text is shorter than 2,048
constexpr size_t kLeafTokenMax = 2047;  // tokens of a leaf's head text
constexpr size_t kWordMax = 2047;
constexpr size_t kHeadTokenMax = 2046;
constexpr size_t kChildTextMax = 102398;

bool IsHeadSeparator(char c) {
    return c == '\t' || c == ' ' || c == ',' || c == '/' || c == ';' || c == '|';
}

char OpenOf(int kind) { return kind == kTreeKindRound ? '(' : '['; }
char CloseOf(int kind) { return kind == kTreeKindRound ? ')' : ']'; }

bool IsAllDigits(std::string_view text) {
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return !text.empty();
}

// Writes text into slot `count` of a list whose slots are reused, and counts it.
void PutSlot(std::vector<std::string>& slots, int32_t& count, std::string_view text) {
    if (static_cast<size_t>(count) < slots.size())
        slots[count].assign(text.data(), text.size());
    else
        slots.emplace_back(text);
    ++count;
}

// Empty slot `index` (made when missing) to gather a text into.
std::string& OpenSlot(std::vector<std::string>& slots, int32_t index) {
    if (static_cast<size_t>(index) >= slots.size()) slots.resize(index + 1);
    slots[index].clear();
    return slots[index];
}

}  // namespace

void CTreeItem::ResetItem() {
    m_label.clear();
    m_nTokenCount = 0;
    m_word.clear();
    m_nChildCount = 0;
    m_nodeType = NodeType::Phrase;
    m_nPlace = kPlaceMiddle;
    m_nClause = 0;
}

void CTreeItem::CutHeadTokens(std::string_view label) {
    m_nTokenCount = 0;
    size_t start = 0;
    size_t pos = 0;
    while (pos <= label.size()) {
        const bool end = pos == label.size();
        if (end || IsHeadSeparator(label[pos])) {
            const std::string_view field = label.substr(start, pos - start);
            const std::string_view token = field.substr(0, qz::GbkPrefixLength(field, kHeadTokenMax));
            if (!token.empty()) PutSlot(m_tokens, m_nTokenCount, IsAllDigits(token) ? "PR" : token);
            if (end) break;
            start = ++pos;
        } else {
            pos += qz::GbkCharLen(label.data() + pos, label.size() - pos);
        }
    }
}

bool CTreeItem::SetTreeItem(std::string_view head, std::string_view children, int kind) {
    m_nTokenCount = 0;
    m_nChildCount = 0;
    const char open = OpenOf(kind);
    const char close = CloseOf(kind);

    bool headHasOpen = false;
    for (size_t i = 0; i < head.size(); i += qz::GbkCharLen(head.data() + i, head.size() - i))
        if (head[i] == open) headHasOpen = true;
    if (!headHasOpen && children.empty()) {
        if (head.size() > kLeafHeadMax) return false;
        SetTagBracket_Left(head, kind);
        return !m_word.empty();
    }

    m_label.assign(head.data(), head.size());
    m_word.assign(children.data(), children.size());
    // A child ends where its close bracket levels the brackets counted so far;
    // the blanks between children lead the next one.
    long opens = 0;
    long closes = 0;
    std::string* gathered = &OpenSlot(m_childTexts, 0);
    for (size_t i = 0; i < children.size();) {
        const size_t len = qz::GbkCharLen(children.data() + i, children.size() - i);
        if (gathered->size() + len <= kChildTextMax) gathered->append(children.data() + i, len);
        if (len == 1 && children[i] == open) ++opens;
        if (len == 1 && children[i] == close && ++closes == opens) {
            ++m_nChildCount;
            gathered = &OpenSlot(m_childTexts, m_nChildCount);
        }
        i += len;
    }
    CutHeadTokens(m_label);
    m_nodeType = (m_nTokenCount > 0 && m_nChildCount == 0) ? NodeType::Word : NodeType::Phrase;
    return true;
}

bool CTreeItem::SetTreeItem(std::string_view label, std::string_view word, NodeType type) {
    if (type == NodeType::Word && (word.empty() || word.size() > kWordMax)) return false;
    m_label.assign(label.data(), label.size());
    m_word.assign(word.data(), word.size());
    m_nodeType = type;
    m_nChildCount = 0;
    CutHeadTokens(m_label);
    return true;
}

bool CTreeItem::SetTreeItem(const CTreeItem& item) {
    m_label = item.m_label;
    m_word = item.m_word;
    m_nTokenCount = 0;
    for (int32_t i = 0; i < item.m_nTokenCount; ++i) PutSlot(m_tokens, m_nTokenCount, item.m_tokens[i]);
    m_nChildCount = 0;
    for (int32_t i = 0; i < item.m_nChildCount; ++i)
        PutSlot(m_childTexts, m_nChildCount, item.m_childTexts[i]);
    m_nodeType = item.m_nodeType;
    m_nPlace = item.m_nPlace;
    m_nClause = item.m_nClause;
    return true;
}

// The leaf's tokens are separated by runs of blanks and tabs. With square
// brackets the last token is the tag and the one before it the word; with
// parentheses the last token is the word and the one before it the tag.
bool CTreeItem::SetTagBracket_Left(std::string_view text, int kind) {
    std::string_view previous;
    std::string_view last;
    size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && qz::IsBlank(text[pos])) ++pos;
        const size_t start = pos;
        while (pos < text.size() && !qz::IsBlank(text[pos]))
            pos += qz::GbkCharLen(text.data() + pos, text.size() - pos);
        if (pos == start) break;
        previous = last;
        const std::string_view field = text.substr(start, pos - start);
        last = field.substr(0, qz::GbkPrefixLength(field, kLeafTokenMax));
    }
    const std::string_view tag = kind == kTreeKindRound ? previous : last;
    const std::string_view word = kind == kTreeKindRound ? last : previous;
    m_label.assign(tag.data(), tag.size());
    m_word.assign(word.data(), word.size());
    m_nodeType = NodeType::Word;
    return true;
}

}  // namespace qav
