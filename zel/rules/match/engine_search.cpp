// The depth-first steps of a matching attempt and their limits.
#include "zel/lattice/lattice.h"
#include "zel/rules/match/engine_search.h"
#include "zel/rules/match/engine.h"
#include "zel/rules/net/rule_net.h"

namespace zel {

MatchSearch::MatchSearch(CLattice& lattice, const CRuleNet& net, const MatchEntry& entry, const MatchLimits& limits)
    : lattice_(lattice), net_(net), entry_(entry), limits_(limits) {
    forward.Reset(&net);
    backward.Reset(&net);
}

bool MatchSearch::SpanOf(UnitId id, int& from, int& to) const {
    if (id.second < 0) {
        from = id.first + id.second + 1;
        to = id.first;
        return true;
    }
    CUnit* unit = lattice_.GetUnit(id);
    if (!unit) return false;
    from = unit->From;
    to = unit->To;
    return true;
}

bool MatchSearch::InsideBound(UnitId id) {
    if (limits_.Bound == kBoundSent) return true;
    if (id.first < 0 || id.first >= lattice_.columnCount || entry_.id.first < 0 ||
        entry_.id.first >= lattice_.columnCount) {
        return false;
    }
    const CCandidate& at = lattice_.columns[static_cast<size_t>(id.first)];
    const CCandidate& entryColumn = lattice_.columns[static_cast<size_t>(entry_.id.first)];
    switch (limits_.Bound) {
        case kBoundClause: return at.clauseNo == entryColumn.clauseNo;
        case kBoundChunk: return at.chunkNo == entryColumn.chunkNo;
        default: {
            CUnit* unit = lattice_.GetUnit(id);
            return unit && entry_.unit && IsShare(*unit, *entry_.unit, "GroupID");
        }
    }
}

bool MatchSearch::NextLimitsHold(const CMatchNode& s, int to) {
    int from, end;
    if (!SpanOf(s.unit(), from, end)) return false;
    return end <= to && from - entry_.To <= limits_.Dist && InsideBound(s.unit());
}

bool MatchSearch::PrevLimitsHold(const CMatchNode& s, int from) {
    int start, end;
    if (!SpanOf(s.unit(), start, end)) return false;
    return start >= from && entry_.From - end <= limits_.Dist && InsideBound(s.unit());
}

void MatchSearch::MatchRule_Next(CMatchNode s, bool add, int start, int to) {
    if (!NextLimitsHold(s, to)) return;
    if (add) {
        forward.AddOneMatch(s, true);
        if (!NextLimitsHold(s, to)) return;
    }
    int from, end;
    SpanOf(s.unit(), from, end);
    if (forward.stateCount > kMaxMatchStates || (end >= lattice_.columnCount - 1 && s.node != 0)) return;
    // The candidates live on the heap: the search may go 400 steps deep.
    std::vector<CMatchNode> candidates;
    currentState_ = s.self;
    currentBackward_ = false;
    NextCandidates(s, start, to, candidates);
    for (CMatchNode& candidate : candidates) forward.AddOneMatch(candidate, true);
    for (const CMatchNode& candidate : candidates) MatchRule_Next(candidate, false, start, to);
}

void MatchSearch::MatchRule_Prev(CMatchNode s, bool add, int from, int end) {
    if (!PrevLimitsHold(s, from)) return;
    if (add) {
        backward.AddOneMatch(s, false);
        if (!PrevLimitsHold(s, from)) return;
    }
    int first, last;
    SpanOf(s.unit(), first, last);
    if (backward.stateCount > kMaxMatchStates || first <= 0) return;
    std::vector<CMatchNode> candidates;
    currentState_ = s.self;
    currentBackward_ = true;
    PrevCandidates(s, from, end, candidates);
    for (CMatchNode& candidate : candidates) backward.AddOneMatch(candidate, false);
    for (const CMatchNode& candidate : candidates) MatchRule_Prev(candidate, false, from, end);
}

CUnit* MatchSearch::UnitAfterSteps(bool backwards, int steps) const {
    // The current state's index is followed in the graph the key names.
    return GetUnitbyBackTagInfoEx(lattice_, backwards ? backward : forward, currentState_, steps);
}

bool MatchSearch::Add(const CMatchNode& s, int node, UnitId unit, std::vector<CMatchNode>& out) {
    if (static_cast<int>(out.size()) >= kMaxStepCandidates) return false;
    out.push_back({s.node, unit.first, unit.second, node, -1, s.self});
    return true;
}

std::string MatchSearch::Atom(int node) const {
    return entry_.unit ? TransferCW(net_, lattice_, *entry_.unit, net_.AtomOf(node)) : net_.AtomOf(node);
}

void MatchSearch::NextCandidates(const CMatchNode& s, int start, int to, std::vector<CMatchNode>& out) {
    int from, end;
    SpanOf(s.unit(), from, end);
    const int n = end + 1;
    if (n >= lattice_.columnCount) return;
    const RULE_NODE& node = net_.nodes[static_cast<size_t>(s.node)];
    NextTables(s, n, to, out);
    NextWords(s, n, to, out);
    Conditions(s, node.next.attrs, true, start, to, out);
}

void MatchSearch::PrevCandidates(const CMatchNode& s, int from, int end, std::vector<CMatchNode>& out) {
    int first, last;
    SpanOf(s.unit(), first, last);
    const int p = first - 1;
    if (p < 0 || p >= lattice_.columnCount) return;
    const RULE_NODE& node = net_.nodes[static_cast<size_t>(s.node)];
    PrevWords(s, p, from, out);
    Conditions(s, node.prev.attrs, false, from, end, out);
    PrevTables(s, p, from, out);
}

}  // namespace zel
