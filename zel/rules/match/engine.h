// The matching engine: one compiled network run over one lattice from an
// anchor (an entry unit matched to an entry node), searching forwards
// towards return nodes and backwards towards the start node, then joining
// the completions into matches whose actions the caller runs.
#pragma once

#include <string>

#include "zel/rules/match/match_path.h"

namespace zel {

class CLattice;
class CRuleNet;
class CUnit;

// Every column's placeholder spans its own column again; the match path is
// emptied.
void ResetInit(CLattice& lattice);

// One matching attempt from the entry unit (an identifier text "(c,i)",
// i = -L naming the L characters that end at column c) at the entry node,
// within columns from..to and at most dist columns from the entry unit.
// With the network's candidate flag on for the lattice every complete match
// is handed to act and the result is true; otherwise the longest match is
// put in the lattice's path, handed to act when it has a position, and the
// result is whether there was one. False for an entry unit that is not in
// the lattice.
bool FSA_Match_Enter(CLattice& lattice, const char* entryUnit, CRuleNet& net, int entryNode, int from, int to,
                     int dist, const MatchAction& act);

// The head word of the unit at the top of the unit's head chain, or its
// word when that is empty.
std::string GetHeadWord(CLattice& lattice, CUnit& unit);
// Whether text ends with word, compared in whole two-byte characters.
bool IsEnd(const std::string& text, const std::string& word);

// A node's atom for this attempt: its parts (split at | _ & - : =) "XB"
// become the entry unit's head word, "UEntry" its identifier text, and the
// name of a parameter of the network for the lattice (one leading '$'
// dropped) its value.
std::string TransferCW(const CRuleNet& net, CLattice& lattice, CUnit& entry, const std::string& atom);

}  // namespace zel
