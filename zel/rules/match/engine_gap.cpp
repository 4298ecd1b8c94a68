// Gap search for the units that satisfy a condition: through the lattice's
// key-value index when it can answer, by scanning columns otherwise.
#include <algorithm>

#include "zel/lattice/lattice.h"
#include "zel/rules/match/engine_search.h"
#include "zel/rules/net/rule_net.h"

namespace zel {

void MatchSearch::GetCollUnitsEx(const CMatchNode& s, const std::string& condition, bool forwards, int from, int to,
                                 std::vector<UnitId>& units) {
    int first, last;
    SpanOf(s.unit(), first, last);
    std::vector<std::string> ids;
    int count = 0;
    if (lattice_.CheckUnitByKV(from, to, condition.c_str(), ids, count) != 0) {
        for (int k = 0; k < count; ++k) {
            int index = 0;
            CUnit* unit = lattice_.GetUnit(ids[static_cast<size_t>(k)].c_str(), index);
            if (!unit || index < 0 || !InsideBound(unit->id)) continue;
            if (limits_.Order && forwards && !(unit->From > last && unit->To <= to)) continue;
            if (limits_.Order && !forwards && !(unit->To < first && unit->From >= from)) continue;
            if (Satisfies(*unit, condition)) units.push_back(unit->id);
        }
        return;
    }
    const int dist = limits_.Dist;
    if (!limits_.Order) {
        const int high = std::min({last + dist, to, lattice_.columnCount - 1});
        for (int c = std::max({from, first - dist, 0}); c <= high; ++c) ProcessColumn(condition, c, units);
    } else if (forwards) {
        for (int c = std::max(from, 0); c <= to && c < last + dist && c < lattice_.columnCount; ++c) {
            ProcessColumn(condition, c, units);
        }
    } else {
        for (int c = std::min(to, lattice_.columnCount - 1); c >= from && c > first - dist && c >= 0; --c) {
            ProcessColumn(condition, c, units);
        }
    }
}

void MatchSearch::ProcessColumn(const std::string& condition, int c, std::vector<UnitId>& units) {
    const CCandidate& column = lattice_.columns[static_cast<size_t>(c)];
    if (limits_.Bound == kBoundClause || limits_.Bound == kBoundChunk) {
        if (entry_.id.first < 0 || entry_.id.first >= lattice_.columnCount) return;
        const CCandidate& entryColumn = lattice_.columns[static_cast<size_t>(entry_.id.first)];
        if (limits_.Bound == kBoundClause ? column.clauseNo != entryColumn.clauseNo
                                          : column.chunkNo != entryColumn.chunkNo) {
            return;
        }
    }
    for (int k = std::max(lattice_.reservedUnits, 0); k < column.unitCount; ++k) {
        CUnit& unit = lattice_.columns[static_cast<size_t>(c)].units[static_cast<size_t>(k)];
        if (limits_.Bound == kBoundGroup && !(entry_.unit && IsShare(unit, *entry_.unit, "GroupID"))) continue;
        if (Satisfies(unit, condition)) units.push_back(unit.id);
    }
}

}  // namespace zel
