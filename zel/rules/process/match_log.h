// The match log of a lattice: one "Log" value per match while the
// lattice's log switch is on.
#pragma once

namespace zel {

class CLattice;
class CRuleNet;

// "Match(NAME):" and the path positions from the leftmost to the rightmost,
// joined by '+', each as its tag and "(" + its unit's head word (a span:
// its characters) + ")", then "\nParam:" with " key=value" for each of the
// network's parameters for the lattice, and a line break.
void JPLog_Match(CLattice& lattice, const CRuleNet& net);

}  // namespace zel
