// The bracketing parser over the lattice: the lattice as its sentence, the
// clause ranges trees are built over, and the attached tree line.
#include <algorithm>
#include <cstring>

#include "zel/lattice/bt_lattice_sentence.h"
#include "zel/lattice/lattice.h"
#include "zel/lattice/tree_line.h"

namespace zel {

namespace {

// Clauses are cut at the full-width comma.
constexpr char kClauseSeparator[] = "\xA3\xAC";

bool HasTag(CUnit& unit, const char* value) {
    std::vector<std::string> values;
    int n = 0;
    unit.GetKVs("Tag", values, n);
    return std::find(values.begin(), values.begin() + n, value) != values.begin() + n;
}

}  // namespace

bool IsBiaodian_Clause(const char* text) { return text && std::strcmp(text, kClauseSeparator) == 0; }

int LatticeBTSentence::ColumnCount() const { return lattice_.columnCount; }

// Trees are kept until the next set-up; a tree read after the sentence was
// rebuilt without one finds blanks beyond the new sentence's columns.
bool LatticeBTSentence::Inside(int column) const { return column >= 0 && column < lattice_.columnCount; }

const char* LatticeBTSentence::NormalChar(int column) const {
    return Inside(column) ? lattice_.columns[static_cast<size_t>(column)].rest : "\xA1\xA1";
}

std::string LatticeBTSentence::ColumnText(int column) const {
    return Inside(column) ? lattice_.columns[static_cast<size_t>(column)].text : std::string();
}

void LatticeBTSentence::AppendWordTags(int first, int last, bool every, std::string& out) const {
    if (!Inside(last)) return;
    CCandidate& column = lattice_.columns[static_cast<size_t>(last)];
    for (int i = column.unitCount - 1; i >= 1; --i) {
        const CUnit& unit = column.units[static_cast<size_t>(i)];
        if (unit.UnitType != kUnitWord || unit.From != first) continue;
        out += ' ';
        out += unit.POS;
        if (!every) return;
    }
}

void LatticeBTSentence::UnitSpans(bool terminalOnly, std::vector<std::pair<int, int>>& spans) const {
    spans.clear();
    for (int c = 0; c < lattice_.columnCount; ++c) {
        CCandidate& column = lattice_.columns[static_cast<size_t>(c)];
        for (int i = column.unitCount - 1; i >= 0; --i) {
            CUnit& unit = column.units[static_cast<size_t>(i)];
            if (unit.UnitType == kUnitPlaceholder || unit.From < 0) continue;
            if (terminalOnly && !HasTag(unit, "Terminal")) continue;
            spans.emplace_back(unit.From, unit.To);
            if (terminalOnly) break;
        }
    }
}

bool CLattice::CreateBT(int mode, int first, int last) {
    return bracketParser.CreateBT(btSentence_, mode, first, last);
}

bool CLattice::CreateBT_Simple(bool unitFlag, int first, int last) {
    return bracketParser.CreateBT_Simple(btSentence_, unitFlag, first, last);
}

void CLattice::AddClauseRange(int first, int last) {
    if (clauseRanges.size() <= static_cast<size_t>(clauseRangeCount)) clauseRanges.emplace_back();
    clauseRanges[static_cast<size_t>(clauseRangeCount++)] = {first, last};
}

void CLattice::SplitSentence() {
    clauseRangeCount = 0;
    int first = 0;
    for (int c = 0; c < columnCount; ++c) {
        if (!IsBiaodian_Clause(columns[static_cast<size_t>(c)].text.c_str())) continue;
        if (c > first) AddClauseRange(first, c);
        first = c + 1;
    }
    if (columnCount > first) AddClauseRange(first, columnCount);
}

void CLattice::SplitSentenceEx() {
    clauseRangeCount = 0;
    if (!qavTree) {
        AddClauseRange(0, columnCount - 1);
        return;
    }
    for (int k = 0; k < qavTree->NodeCount(); ++k) {
        const CTreeNode* node = qavTree->Node(k);
        if (node->firstChild && !node->firstChild->firstChild && node->to - node->from >= 4)
            AddClauseRange(node->from, node->to);
    }
}

bool CLattice::IsTreeLink(const CUnit& a, const CUnit& b) const {
    if (!qavTree) return false;
    const CTreeNode* first = qavTree->Node(a.nodeNo);
    const CTreeNode* second = qavTree->Node(b.nodeNo);
    return first && second && first->next == second;
}

}  // namespace zel
