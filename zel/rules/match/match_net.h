// The match graphs of one matching attempt: every partial match reached
// from the anchor is a state (CMatchNode) that points back to the state it
// extends; a state next to a return node (forwards) or to the start node
// (backwards) also gets an end record.
#pragma once

#include <vector>

#include "zel/lattice/unit.h"

namespace zel {

class CLattice;
class CRuleNet;

// Came-from value of the first state of a search.
constexpr int UNKOWN_ENTER = -10;
// A graph with more states than this is not extended.
constexpr int kMaxMatchStates = 400;
// New states one search step may collect.
constexpr int kMaxStepCandidates = 39;
// Units one step without gap may take for all its conditions together.
constexpr int kMaxConditionUnits = 3;

// A state, or an end record: (completing state's node, -1, -1, completing
// node, -1, completing state's index).
struct CMatchNode {
    int from = -1;    // network node it came from
    int column = -1;  // unit identifier; a negative index -L names the
    int index = -1;   // L characters ending at the column
    int node = -1;    // network node it stands at
    int self = -1;    // its index in its graph
    int parent = -1;  // index of the state it extends

    UnitId unit() const { return {column, index}; }
};

class CMatchNet {
public:
    // Empty, bound to the network; the lists keep their memory.
    void Reset(const CRuleNet* network);
    // Appends the state (its own index set to its slot) and an end record
    // for each return node among its node's other successors (forward) or
    // start node among its start predecessors (backward); the state's index.
    int AddOneMatch(CMatchNode& state, bool forward);

    std::vector<CMatchNode> states;
    int stateCount = 0;
    std::vector<CMatchNode> ends;
    int endCount = 0;
    const CRuleNet* net = nullptr;

private:
    void AddEnd(const CMatchNode& state, int completing);
};

// The unit reached from the state by following parent indexes steps times
// (the state's own unit for 0 or fewer); null past the graph's states.
CUnit* GetUnitbyBackTagInfoEx(CLattice& lattice, const CMatchNet& graph, int state, int steps);

}  // namespace zel
