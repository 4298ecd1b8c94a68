#include "qav/index/build/sentence_units.h"

#include <algorithm>
#include <initializer_list>

#include "qav/index/base/config.h"
#include "common/text/gbk_char.h"
#include "qav/index/build/qav_tree.h"
#include "qav/index/format/unit_type.h"

namespace qav {

namespace {

constexpr size_t kMaxTokenBytes = 2046;
constexpr size_t kMaxSegWordBytes = 2047;
constexpr std::string_view kDigitTag = "PR";

// Length of the longest prefix of text of at most limit bytes that does not
// split a two-byte character.
size_t CutAtCharacter(std::string_view text, size_t limit) {
    size_t i = 0;
    while (i < text.size()) {
        size_t step = qz::GbkLeadCharLen(text[i]);
        if (i + step > limit) break;
        i += step;
    }
    return std::min(i, text.size());
}

bool AllDigits(std::string_view text) {
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

// The tag ends at its first blank, ",", ";", tab, "/" or "|" (a byte inside a
// two-byte character never ends it); digits only become "PR".
std::string_view CutTag(std::string_view tag) {
    size_t i = 0;
    while (i < tag.size()) {
        char c = tag[i];
        if (qz::GbkLeadCharLen(c) == 2) {
            i += 2;
            continue;
        }
        if (c == ' ' || c == ',' || c == ';' || c == '\t' || c == '/' || c == '|') break;
        ++i;
    }
    tag = tag.substr(0, std::min(i, tag.size()));
    if (!tag.empty() && AllDigits(tag)) return kDigitTag;
    return tag;
}

struct SegToken {
    std::string_view word;
    std::string_view tag;
};

// Tokens are separated by blanks and tabs; a token keeps at most 2,046 bytes
// and is split at its last "/" (a byte that never occurs inside a two-byte
// character). Tokens with an empty or over-long word are skipped.
std::vector<SegToken> SplitSegTokens(std::string_view line) {
    std::vector<SegToken> tokens;
    size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '\t') {
            ++i;
            continue;
        }
        size_t end = line.find_first_of(" \t", i);
        if (end == std::string_view::npos) end = line.size();
        std::string_view token = line.substr(i, end - i);
        i = end;
        token = token.substr(0, CutAtCharacter(token, kMaxTokenBytes));
        size_t slash = token.rfind('/');
        SegToken t;
        if (slash == std::string_view::npos) {
            t.word = token;
        } else {
            t.word = token.substr(0, slash);
            t.tag = CutTag(token.substr(slash + 1));
        }
        if (t.word.empty() || t.word.size() > kMaxSegWordBytes) continue;
        tokens.push_back(t);
    }
    return tokens;
}

std::string Concat(std::initializer_list<std::string_view> parts) {
    std::string text;
    size_t size = 0;
    for (std::string_view p : parts) size += p.size();
    text.reserve(size);
    for (std::string_view p : parts) text.append(p);
    return text;
}

}  // namespace

bool IsSeparatorWord(std::string_view word) { return word == "\xF7\xFE"; }

bool KeyReadsAs(std::string_view key, int32_t type) { return UnitTypeOfText(key) == type; }

std::string_view FirstCharOf(std::string_view word, bool english) {
    if (english || word.empty()) return word;
    size_t length = qz::GbkLeadCharLen(word[0]);
    return length <= word.size() ? word.substr(0, length) : std::string_view();
}

std::string_view LastCharOf(std::string_view word, bool english) {
    if (english) return word;
    size_t i = 0;
    size_t last = 0;
    while (i < word.size()) {
        size_t length = qz::GbkLeadCharLen(word[i]);
        if (i + length > word.size()) return {};
        last = i;
        i += length;
    }
    return word.substr(last);
}

void SentenceUnits::Clear() {
    words.clear();
    closing_bar = false;
    units.clear();
}

namespace {

// Appends a unit whose anchor fits its record field and whose key reads as
// its kind.
void AddUnit(SentenceUnits& out, std::string text, UnitType type, int anchor, uint8_t clause, uint8_t span = 0) {
    if (anchor > kMaxAnchorIndex || !KeyReadsAs(text, type)) return;
    IdxUnitEntry entry;
    entry.first.text = std::move(text);
    entry.first.type = type;
    entry.second.index = static_cast<int16_t>(anchor);
    entry.second.clause = clause;
    entry.second.span = span;
    out.units.push_back(std::move(entry));
}

// "|" + TAG + "_" + c: the anchor's tag and the first character of the word after it.
void SetIdxNodeInfo_POSHZ(SentenceUnits& out, std::string_view tag, std::string_view nextWord, bool english, int anchor,
                          uint8_t clause) {
    AddUnit(out, Concat({"|", tag, "_", FirstCharOf(nextWord, english)}), UNIT_POS_R, anchor, clause);
}

// c + "_" + TAG + "|": the last character of the word before the anchor and the anchor's tag.
void SetIdxNodeInfo_HZPOS(SentenceUnits& out, std::string_view tag, std::string_view previousWord, bool english,
                          int anchor, uint8_t clause) {
    AddUnit(out, Concat({LastCharOf(previousWord, english), "_", tag, "|"}), UNIT_POS_L, anchor, clause);
}

}  // namespace

void CollectSegUnits(std::string_view line, CPNInfo& info, const CConfig& config, SentenceUnits& out) {
    out.Clear();
    info.Advance();
    const bool english = config.m_Language != 0;
    const std::vector<SegToken> tokens = SplitSegTokens(line);

    int n = 0;
    uint8_t clause = 0;
    int first_index = 0;
    std::string_view first_word, first_tag, previous_word, previous_tag;
    for (size_t t = 0; t < tokens.size(); ++t) {
        const SegToken& token = tokens[t];
        out.words.push_back(token.word);
        if (IsSeparatorWord(token.word)) {
            ++n;
            // A separator closing the line keeps the word before it as the
            // line's last word.
            if (t + 1 < tokens.size()) previous_word = previous_tag = {};
            continue;
        }
        if (first_word.empty()) {
            first_word = token.word;
            first_tag = token.tag;
            first_index = n;
        }
        if (n > 0 && !previous_word.empty()) {
            SetIdxNodeInfo_POSHZ(out, previous_tag, token.word, english, n - 1, clause);
            SetIdxNodeInfo_HZPOS(out, token.tag, previous_word, english, n, clause);
        }
        if (config.IsSeperator_Clause(token.word)) ++clause;
        previous_word = token.word;
        previous_tag = token.tag;
        ++n;
    }
    out.closing_bar = n > 0 && !config.IsSeperator_Clause(tokens.back().word);

    if (n < 2) return;
    info.SetN(previous_word, previous_tag);
    if (!info.HasPrevious()) return;
    // Units across the sentence boundary: the previous sentence's last word
    // (anchor -1) and this sentence's first word, which a leading separator
    // may push past index 0.
    if (!first_word.empty()) SetIdxNodeInfo_POSHZ(out, info.previous_tag, first_word, english, -1, 0);
    if (!info.previous_word.empty()) SetIdxNodeInfo_HZPOS(out, first_tag, info.previous_word, english, first_index, 0);
}

namespace {

std::string_view FirstTag(const CTreeNode& leaf) { return leaf.m_nTokenCount > 0 ? leaf.Token(0) : std::string_view(); }

// "$" + LABEL + "_" + c for each constituent that begins at leaf n: c is the
// last character of the constituent's last leaf, the span that leaf's offset
// from n.
void SetIdxNodeInfo_ML(CQAVTree& tree, const CConfig& config, uint32_t n, bool english, SentenceUnits& out) {
    CTreeNode* first = tree.Leaf(n);
    tree.m_nPairCount = 0;
    tree.GetRPair(first);
    for (uint32_t p = 0; p < tree.m_nPairCount; ++p) {
        const CTreeNode* last = tree.m_pairs[p].first;
        const std::string& label = tree.m_pairs[p].second;
        if (last->m_word.empty()) continue;
        if (!config.m_SubTreeCat.empty() && !config.IsSeperator_SubTree(label)) continue;
        int distance = tree.GetNodeDist(static_cast<int>(n), last);
        if (distance > kMaxSpan) continue;  // the span byte cannot hold it
        uint8_t span = distance < 0 ? kSpanNotFound : static_cast<uint8_t>(distance);
        AddUnit(out, Concat({"$", label, "_", LastCharOf(last->m_word, english)}), UNIT_ML, static_cast<int>(n),
                static_cast<uint8_t>(first->m_nClause), span);
    }
}

}  // namespace

bool SetWordNodeInfo(CQAVTree& tree) {
    if (!tree.m_pConfig) return false;
    tree.m_nClauseCount = 0;
    tree.m_nLeafCount = 0;
    for (CTreeNode* node = tree.m_pFirstNode; node; node = node->m_pNextSibling) tree.VisitNode(node);
    return true;
}

bool SetWordNodeInfo_Old(CQAVTree& tree) {
    if (!tree.m_pConfig) return false;
    tree.m_nClauseCount = 0;
    tree.m_nLeafCount = 0;
    tree.m_leaves.clear();
    for (uint32_t n = 0; n < tree.m_nNodeCount; ++n) {
        CTreeNode* node = tree.Node(n);
        if (node->m_pFirstChild) continue;
        node->m_nClause = static_cast<int32_t>(tree.m_nClauseCount % 256);
        if (tree.m_pConfig->IsSeperator_Clause(node->m_word)) ++tree.m_nClauseCount;
        tree.m_leaves.push_back(node);
        ++tree.m_nLeafCount;
    }
    return true;
}

void SetIdxNodeInfo(CQAVTree& tree, CPNInfo& info, const CConfig& config, SentenceUnits& out) {
    out.Clear();
    const uint32_t leaf_count = tree.m_nLeafCount;
    for (uint32_t i = 0; i < leaf_count; ++i) out.words.push_back(tree.Leaf(i)->m_word);
    if (leaf_count == 0) return;
    out.closing_bar = !config.IsSeperator_Clause(out.words.back());
    if (leaf_count < 2) return;

    const bool english = config.m_Language == 1;
    const CTreeNode* last = tree.Leaf(leaf_count - 1);
    info.SetN(last->m_word, FirstTag(*last));
    for (uint32_t i = 0; i < leaf_count; ++i) {
        const CTreeNode* leaf = tree.Leaf(i);
        if (IsSeparatorWord(leaf->m_word)) continue;
        const std::string_view tag = FirstTag(*leaf);
        const uint8_t clause = static_cast<uint8_t>(leaf->m_nClause);
        const int anchor = static_cast<int>(i);
        if (i + 1 < leaf_count && !IsSeparatorWord(out.words[i + 1]))
            SetIdxNodeInfo_POSHZ(out, tag, out.words[i + 1], english, anchor, clause);
        if (i > 0 && !IsSeparatorWord(out.words[i - 1]))
            SetIdxNodeInfo_HZPOS(out, tag, out.words[i - 1], english, anchor, clause);
        if (leaf->m_nPlace == kPlaceFirst || leaf->m_nPlace == kPlaceOnly)
            SetIdxNodeInfo_ML(tree, config, i, english, out);
        if (i == 0 && info.HasPrevious()) {
            SetIdxNodeInfo_POSHZ(out, info.previous_tag, leaf->m_word, english, -1, clause);
            SetIdxNodeInfo_HZPOS(out, tag, info.previous_word, english, 0, clause);
        }
    }
}

bool CollectLineUnits(const char* line, CQAVTree& tree, CPNInfo& info, int kind, SentenceUnits& out) {
    out.Clear();
    if (!tree.m_pConfig) return false;
    const CConfig& config = *tree.m_pConfig;
    const int bracket_kind = kind == kTreeKindSeg ? kTreeKindSeg : TreeLineKind(line);
    if (bracket_kind == kTreeKindSeg) {
        CollectSegUnits(line, info, config, out);
        return true;
    }
    info.Advance();
    if (!tree.ReadTree(line, bracket_kind) || !SetWordNodeInfo(tree)) return false;
    SetIdxNodeInfo(tree, info, config, out);
    return true;
}

}  // namespace qav
