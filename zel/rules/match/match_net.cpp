#include "zel/rules/match/match_net.h"

#include "zel/lattice/lattice.h"
#include "zel/rules/net/rule_net.h"

namespace zel {

void CMatchNet::Reset(const CRuleNet* network) {
    stateCount = endCount = 0;
    net = network;
}

void CMatchNet::AddEnd(const CMatchNode& state, int completing) {
    if (ends.size() == static_cast<size_t>(endCount)) ends.emplace_back();
    ends[static_cast<size_t>(endCount++)] = {state.node, -1, -1, completing, -1, state.self};
}

int CMatchNet::AddOneMatch(CMatchNode& state, bool forward) {
    if (states.size() == static_cast<size_t>(stateCount)) states.emplace_back();
    if (state.self < 0) state.self = stateCount;
    CMatchNode& slot = states[static_cast<size_t>(stateCount)];
    slot = state;
    slot.self = stateCount++;
    if (net && state.node >= 0 && state.node < net->nodeCount) {
        const RULE_NODE& node = net->nodes[static_cast<size_t>(state.node)];
        const std::vector<int32_t>& ends_of = forward ? node.next.others : node.prev.starts;
        const int endType = forward ? Return : ENTER;
        for (int32_t completing : ends_of) {
            if (net->nodes[static_cast<size_t>(completing)].next.type == endType) AddEnd(slot, completing);
        }
    }
    return slot.self;
}

CUnit* GetUnitbyBackTagInfoEx(CLattice& lattice, const CMatchNet& graph, int state, int steps) {
    if (state < 0 || state >= graph.stateCount) return nullptr;
    for (int k = 0; k < steps; ++k) {
        state = graph.states[static_cast<size_t>(state)].parent;
        if (state < 0 || state >= graph.stateCount) return nullptr;
    }
    UnitId id = graph.states[static_cast<size_t>(state)].unit();
    return lattice.GetUnit(id);
}

}  // namespace zel
