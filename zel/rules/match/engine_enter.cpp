// One matching attempt from an anchor, and the atoms it instantiates.
#include <algorithm>
#include <cstdio>

#include "zel/lattice/lattice.h"
#include "zel/rules/match/engine.h"
#include "zel/rules/match/engine_search.h"
#include "zel/rules/net/rule_net.h"

namespace zel {

void ResetInit(CLattice& lattice) {
    for (int c = 0; c < lattice.columnCount; ++c) {
        CUnit& placeholder = lattice.columns[static_cast<size_t>(c)].units[0];
        placeholder.From = placeholder.To = c;
        placeholder.id.second = 0;
    }
    lattice.pathLength = 0;
}

std::string GetHeadWord(CLattice& lattice, CUnit& unit) {
    CUnit* top = &unit;
    // A head chain that loops ends after as many steps as there are columns.
    for (int steps = 0; steps <= lattice.columnCount; ++steps) {
        UnitId head = top->links.head;
        if (head.first < 0 || head.second < 0) break;
        CUnit* next = lattice.GetUnit(head);
        if (!next || next == top) break;
        top = next;
    }
    if (top->UnitType == kUnitPlaceholder) return top->GetWord();  // a span: its characters
    return top->HeadWord.empty() ? top->Word : top->HeadWord;
}

bool IsEnd(const std::string& text, const std::string& word) {
    const size_t bytes = word.size() / 2 * 2;
    return text.size() >= bytes && text.compare(text.size() - bytes, bytes, word, 0, bytes) == 0;
}

std::string TransferCW(const CRuleNet& net, CLattice& lattice, CUnit& entry, const std::string& atom) {
    static const char kSeparators[] = "|_&-:=";
    std::string out;
    size_t start = 0;
    while (start <= atom.size()) {
        size_t cut = atom.find_first_of(kSeparators, start);
        const size_t end = cut == std::string::npos ? atom.size() : cut;
        std::string part = atom.substr(start, end - start);
        std::string value;
        if (part == "XB") {
            part = GetHeadWord(lattice, entry);
        } else if (part == "UEntry") {
            part = entry.Unit;
        } else if (net.GetParam(&lattice, part.c_str() + (part[0] == '$' ? 1 : 0), value)) {
            part = value;
        }
        out += part;
        if (cut == std::string::npos) break;
        out += atom[cut];
        start = cut + 1;
    }
    return out;
}

namespace {

// Reads "(c,i)".
bool ParseUnitId(const char* text, UnitId& id) {
    return text && std::sscanf(text, "(%d,%d)", &id.first, &id.second) == 2;
}

}  // namespace

bool FSA_Match_Enter(CLattice& lattice, const char* entryUnit, CRuleNet& net, int entryNode, int from, int to,
                     int dist, const MatchAction& act) {
    ResetInit(lattice);
    if (entryNode < 0 || entryNode >= net.nodeCount) return false;
    MatchEntry entry;
    if (!ParseUnitId(entryUnit, entry.id)) return false;
    entry.unit = lattice.GetUnit(entry.id);
    if (!entry.unit) return false;
    if (entry.id.second < 0) {
        entry.From = entry.id.first + entry.id.second + 1;
        entry.To = entry.id.first;
    } else {
        entry.From = entry.unit->From;
        entry.To = entry.unit->To;
    }
    const CRSConfig* controls = net.Controls(&lattice);
    const int last = lattice.columnCount - 1;
    // A scope that leaves the entry unit outside anchors the attempt at the
    // border column's character unit, which remembers the entry unit.
    if (controls && controls->scope && (entry.To < from || entry.From > to)) {
        const int border = entry.To < from ? --from : ++to;
        if (border < 0 || border > last) return false;
        UnitId id{border, 1};
        CUnit* anchor = lattice.GetUnit(id);
        if (!anchor) return false;
        anchor->links.head = entry.id;
        entry.id = id;
        entry.unit = anchor;
        entry.From = entry.To = border;
    }
    entry.idText = UnitIdText(entry.id);
    MatchLimits limits;
    limits.Dist = dist;
    if (controls) {
        limits.gap = controls->gap;
        limits.Order = controls->Order;
        limits.Bound = controls->Bound;
    }
    MatchSearch search(lattice, net, entry, limits);
    CMatchNode first{UNKOWN_ENTER, entry.id.first, entry.id.second, entryNode, -1, -1};
    const int start = limits.Order ? std::min(entry.To + 1, last) : from;
    search.MatchRule_Next(first, true, start, to);
    const int end = limits.Order ? (entry.From < 2 ? 0 : entry.From - 1) : to;
    search.MatchRule_Prev(first, true, from, end);
    if (controls && controls->candidate) {
        MergeMatchNetCandidate(lattice, search.forward, search.backward, act);
        return true;
    }
    lattice.pathLength = 0;
    std::string action;
    const bool merged = MergeMatchNetMaxLen(lattice, search.forward, search.backward, action);
    if (merged && lattice.pathLength > 0 && act) act(lattice, action);
    return merged;
}

}  // namespace zel
