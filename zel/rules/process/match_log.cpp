#include "zel/rules/process/match_log.h"

#include <algorithm>
#include <string>

#include "zel/lattice/lattice.h"
#include "zel/rules/net/rule_net.h"

namespace zel {
namespace {

std::string UnitHeadWord(CUnit& unit) { return unit.HeadWord.empty() ? unit.Word : unit.HeadWord; }

// The text shown in brackets for one path position.
std::string PositionWord(CLattice& lattice, const CMatchNodeEx& position) {
    if (position.index < 0) return lattice.GetStr(position.column + position.index + 1, position.column);
    UnitId id{position.column, position.index};
    CUnit* unit = lattice.GetUnit(id);
    if (!unit) return "";
    if (unit->UnitType == kUnitChar && unit->links.head.first >= 0) {
        UnitId headId = unit->links.head;
        if (CUnit* head = lattice.GetUnit(headId)) return UnitHeadWord(*head);
    }
    return UnitHeadWord(*unit);
}

}  // namespace

void JPLog_Match(CLattice& lattice, const CRuleNet& net) {
    if (!lattice.logOn || !lattice.keyValues) return;
    std::string text = "Match(" + net.name + "):";
    const int count = std::min(lattice.pathLength, static_cast<int>(lattice.matchPath.size()));
    for (int k = count - 1; k >= 0; --k) {
        const CMatchNodeEx& position = lattice.matchPath[static_cast<size_t>(k)];
        text += position.tag + "(" + PositionWord(lattice, position) + ")";
        if (k > 0) text += "+";
    }
    text += "\nParam:";
    for (const auto& [key, value] : net.GetParams(&lattice)) text += " " + key + "=" + value;
    text += "\n";
    lattice.keyValues->Insert2KVEx("Log", text.c_str());
}

}  // namespace zel
