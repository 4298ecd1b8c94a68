// Complete matches: a backward completion (from the start node to the
// anchor) joined with a forward completion (from the anchor to a return
// node) into the lattice's match path, rightmost position first, and the
// action text of the return node.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "zel/lattice/lattice.h"
#include "zel/rules/match/match_net.h"

namespace zel {

// Runs or encodes the action of one complete match; the lattice's match
// path holds the match while it runs.
using MatchAction = std::function<void(CLattice& lattice, const std::string& action)>;

// The positions from the end record's state back to the first state, and
// (when asked for and the path is not empty) the completing node's atom
// without leading blanks. False without a network, atoms or such a state.
bool GenerateMatchPath(const CMatchNet& graph, const CMatchNode& end, std::vector<CMatchNodeEx>& path,
                       int& length, std::string* action);

// The backward completion with the smallest From joined with the forward
// one with the largest To (the earliest record on ties), into the lattice's
// path. False when either graph has no end record.
bool MergeMatchNetMaxLen(CLattice& lattice, const CMatchNet& forward, const CMatchNet& backward,
                         std::string& action);
// Every backward completion (outer) with every forward one: each pair is
// put in the lattice's path and acted on. Nothing when either graph has no
// end record.
void MergeMatchNetCandidate(CLattice& lattice, const CMatchNet& forward, const CMatchNet& backward,
                            const MatchAction& act);

}  // namespace zel
