// Word and condition candidates of one search step.
#include <algorithm>
#include <cstring>

#include "zel/lattice/char_class.h"
#include "zel/lattice/lattice.h"
#include "zel/rules/match/engine_search.h"
#include "zel/rules/net/rule_net.h"

namespace zel {

namespace {

// Whether the sentence has the word starting at column c.
bool WordAt(const std::string& sentence, int c, const std::string& word) {
    const size_t at = static_cast<size_t>(c) * 2;
    return at <= sentence.size() && sentence.compare(at, word.size(), word) == 0;
}

// Whether the sentence up to and including column c ends with the word.
bool WordEndingAt(const std::string& sentence, int c, const std::string& word) {
    const size_t end = static_cast<size_t>(c) * 2 + 2;
    const size_t bytes = word.size() / 2 * 2;  // as IsEnd compares
    return end <= sentence.size() && bytes <= end && sentence.compare(end - bytes, bytes, word, 0, bytes) == 0;
}

}  // namespace

// A word ending exactly at column to is taken, as a table entry is: the
// last word of a sentence could never be matched forwards otherwise.
void MatchSearch::NextWords(const CMatchNode& s, int n, int to, std::vector<CMatchNode>& out) {
    const std::string& sentence = lattice_.normSentence;
    for (int32_t successor : net_.nodes[static_cast<size_t>(s.node)].next.words) {
        const std::string word = Atom(successor);
        const int length = static_cast<int>(word.size() / 2);
        if (length == 0) {
            if (!Add(s, successor, {n, 0}, out)) return;
            continue;
        }
        const int positions = limits_.gap ? std::max(limits_.Dist, 1) : 1;
        for (int k = 0; k < positions && n + k < lattice_.columnCount; ++k) {
            const int c = n + k;
            if (limits_.gap && IsBiaoDian(sentence.c_str() + 2 * c)) break;
            if (WordAt(sentence, c, word) && c + length - 1 <= to && !Add(s, successor, {c + length - 1, -length}, out)) {
                return;
            }
        }
    }
}

void MatchSearch::PrevWords(const CMatchNode& s, int p, int from, std::vector<CMatchNode>& out) {
    const std::string& sentence = lattice_.normSentence;
    for (int32_t predecessor : net_.nodes[static_cast<size_t>(s.node)].prev.words) {
        const std::string word = Atom(predecessor);
        const int length = static_cast<int>(word.size() / 2);
        if (length == 0) {
            if (!Add(s, predecessor, {p, 0}, out)) return;
            continue;
        }
        // Backwards the gap search does not stop at punctuation.
        const int positions = limits_.gap ? std::max(limits_.Dist, 1) : 1;
        for (int k = 0; k < positions && p - k >= 0; ++k) {
            const int q = p - k;
            if (WordEndingAt(sentence, q, word) && q - length + 1 >= from &&
                !Add(s, predecessor, {q, -length}, out)) {
                return;
            }
        }
    }
}

bool MatchSearch::Satisfies(CUnit& unit, const std::string& condition) {
    ConditionContext context;
    context.state = this;
    context.entry = entry_.idText.c_str();
    return CheckAtt(unit, condition.c_str(), context);
}

// Without gap only the units next to the current one are tried, the last
// listed first, and at most three are taken over all conditions of the step.
void MatchSearch::Conditions(const CMatchNode& s, const std::vector<int32_t>& successors, bool forwards, int from,
                             int to, std::vector<CMatchNode>& out) {
    int first, last;
    SpanOf(s.unit(), first, last);
    int taken = 0;
    std::vector<UnitId> units;
    for (int32_t successor : successors) {
        const std::string condition = Atom(successor);
        units.clear();
        if (limits_.gap) {
            GetCollUnitsEx(s, condition, forwards, from, to, units);
            for (UnitId unit : units) {
                if (!Add(s, successor, unit, out)) return;
            }
            continue;
        }
        if (forwards) {
            CCandidate& column = lattice_.columns[static_cast<size_t>(last)];
            for (int k = column.nextCount - 1; k >= 0; --k) units.push_back(column.next[static_cast<size_t>(k)]);
        } else {
            CCandidate& column = lattice_.columns[static_cast<size_t>(first - 1)];
            for (int k = column.unitCount - 1; k >= 1; --k) units.push_back({first - 1, k});
        }
        for (UnitId id : units) {
            CUnit* unit = lattice_.GetUnit(id);
            if (!unit || !Satisfies(*unit, condition)) continue;
            if (!Add(s, successor, id, out) || ++taken >= kMaxConditionUnits) return;
        }
    }
}

}  // namespace zel
