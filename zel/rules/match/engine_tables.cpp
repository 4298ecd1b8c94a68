// Table candidates of one search step: the word-table entries (or the units
// a table's conditions accept) next to the current unit, or with gap
// anywhere up to the limit.
#include "zel/lattice/lattice.h"
#include "zel/rules/match/engine_search.h"
#include "zel/rules/match/table_front.h"
#include "zel/rules/net/rule_net.h"

namespace zel {

namespace {

// An entry of length 0 stands for the column's first unit.
UnitId TableSpan(const CTableItemEx& item, int end, int column) {
    const int length = static_cast<int>(item.word.size() / 2);
    return length == 0 ? UnitId{column, 0} : UnitId{end, -length};
}

}  // namespace

void MatchSearch::NextTables(const CMatchNode& s, int n, int to, std::vector<CMatchNode>& out) {
    std::vector<CTableItemEx> items;
    std::vector<int> positions;
    for (int32_t successor : net_.nodes[static_cast<size_t>(s.node)].next.tables) {
        const std::string name = Atom(successor);
        items.clear();
        positions.clear();
        if (!limits_.gap) {
            TableClusterIsStrBeginEx(lattice_, name.c_str(), kMaxStepCandidates, n, items);
            for (const CTableItemEx& item : items) {
                const int end = n + static_cast<int>(item.word.size() / 2) - 1;
                if (end <= to && !Add(s, successor, TableSpan(item, end, n), out)) return;
            }
            continue;
        }
        UnitId current = s.unit();
        TableClusterIsStrMidEx(lattice_, name.c_str(), n, items, positions, lattice_.GetUnit(current));
        for (size_t k = 0; k < items.size() && k < positions.size(); ++k) {
            if (positions[k] <= to && !Add(s, successor, TableSpan(items[k], positions[k], n), out)) return;
        }
    }
}

void MatchSearch::PrevTables(const CMatchNode& s, int p, int from, std::vector<CMatchNode>& out) {
    std::vector<CTableItemEx> items;
    std::vector<int> positions;
    for (int32_t predecessor : net_.nodes[static_cast<size_t>(s.node)].prev.tables) {
        const std::string name = Atom(predecessor);
        items.clear();
        positions.clear();
        if (!limits_.gap) {
            TableClusterIsStrEndEx(lattice_, name.c_str(), kMaxStepCandidates, p, items);
            for (const CTableItemEx& item : items) {
                if (p - static_cast<int>(item.word.size() / 2) + 1 >= from && !Add(s, predecessor, TableSpan(item, p, p), out)) return;
            }
            continue;
        }
        UnitId current = s.unit();
        TableClusterIsStrMid_R2LEx(lattice_, name.c_str(), p, items, positions, lattice_.GetUnit(current));
        for (size_t k = 0; k < items.size() && k < positions.size(); ++k) {
            const int x = positions[k];
            if (x - static_cast<int>(items[k].word.size() / 2) + 1 >= from && !Add(s, predecessor, TableSpan(items[k], x, p), out)) return;
        }
    }
}

}  // namespace zel
