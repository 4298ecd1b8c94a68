#include "zel/rules/match/match_path.h"

#include "zel/rules/net/rule_net.h"

namespace zel {

namespace {

// From and To of a state's unit or span; a state whose unit is gone
// counts as column -1.
void SpanOfState(CLattice& lattice, const CMatchNode& state, int& from, int& to) {
    from = to = -1;
    if (state.index < 0) {
        from = state.column + state.index + 1;
        to = state.column;
        return;
    }
    UnitId id = state.unit();
    if (CUnit* unit = lattice.GetUnit(id)) {
        from = unit->From;
        to = unit->To;
    }
}

// Joins: the forward path as made, then the backward positions from the
// one before the anchor out to the leftmost.
void AppendBackward(CLattice& lattice, const std::vector<CMatchNodeEx>& backward, int backwardLength) {
    for (int k = backwardLength - 2; k >= 0; --k) {
        if (lattice.matchPath.size() == static_cast<size_t>(lattice.pathLength)) lattice.matchPath.emplace_back();
        lattice.matchPath[static_cast<size_t>(lattice.pathLength++)] = backward[static_cast<size_t>(k)];
    }
}

}  // namespace

bool GenerateMatchPath(const CMatchNet& graph, const CMatchNode& end, std::vector<CMatchNodeEx>& path,
                       int& length, std::string* action) {
    if (!graph.net || graph.net->atoms.empty()) return false;
    if (end.parent < 0 || end.parent >= graph.stateCount) return false;
    length = 0;
    // Parents always lie before their children, so the walk ends.
    for (int s = end.parent; s >= 0 && s < graph.stateCount; s = graph.states[static_cast<size_t>(s)].parent) {
        const CMatchNode& state = graph.states[static_cast<size_t>(s)];
        if (path.size() == static_cast<size_t>(length)) path.emplace_back();
        CMatchNodeEx& position = path[static_cast<size_t>(length++)];
        position.column = state.column;
        position.index = state.index;
        const bool known = state.node >= 0 && state.node < graph.net->nodeCount;
        position.node = known ? graph.net->nodes[static_cast<size_t>(state.node)].next.tag : -1;
        position.tag = graph.net->AtomOf(state.node);
        if (state.parent >= s) break;
    }
    if (action && length > 0) {
        const std::string& text = graph.net->AtomOf(end.node);
        size_t first = text.find_first_not_of(' ');
        *action = first == std::string::npos ? std::string() : text.substr(first);
    }
    return true;
}

bool MergeMatchNetMaxLen(CLattice& lattice, const CMatchNet& forward, const CMatchNet& backward,
                         std::string& action) {
    if (forward.endCount == 0 || backward.endCount == 0) return false;
    int best = 0, bestFrom = 0;
    for (int k = 0; k < backward.endCount; ++k) {
        int from, to;
        SpanOfState(lattice, backward.states[static_cast<size_t>(backward.ends[static_cast<size_t>(k)].parent)], from, to);
        if (k == 0 || from < bestFrom) {
            best = k;
            bestFrom = from;
        }
    }
    int right = 0, rightTo = 0;
    for (int k = 0; k < forward.endCount; ++k) {
        int from, to;
        SpanOfState(lattice, forward.states[static_cast<size_t>(forward.ends[static_cast<size_t>(k)].parent)], from, to);
        if (k == 0 || to > rightTo) {
            right = k;
            rightTo = to;
        }
    }
    std::vector<CMatchNodeEx> left;
    int leftLength = 0;
    GenerateMatchPath(backward, backward.ends[static_cast<size_t>(best)], left, leftLength, nullptr);
    lattice.pathLength = 0;
    GenerateMatchPath(forward, forward.ends[static_cast<size_t>(right)], lattice.matchPath, lattice.pathLength, &action);
    AppendBackward(lattice, left, leftLength);
    return true;
}

void MergeMatchNetCandidate(CLattice& lattice, const CMatchNet& forward, const CMatchNet& backward,
                            const MatchAction& act) {
    if (forward.endCount == 0 || backward.endCount == 0) return;
    std::vector<CMatchNodeEx> left;
    std::string action;
    for (int b = 0; b < backward.endCount; ++b) {
        int leftLength = 0;
        GenerateMatchPath(backward, backward.ends[static_cast<size_t>(b)], left, leftLength, nullptr);
        action.clear();
        for (int f = 0; f < forward.endCount; ++f) {
            lattice.pathLength = 0;
            GenerateMatchPath(forward, forward.ends[static_cast<size_t>(f)], lattice.matchPath, lattice.pathLength,
                              &action);
            AppendBackward(lattice, left, leftLength);
            if (act) act(lattice, action);
        }
    }
}

}  // namespace zel
