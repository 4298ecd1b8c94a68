// Rule-set entries: a rule network attached to a unit under an entry key,
// kept on the unit and, per rule-set name, in the lattice.
#pragma once

#include <set>
#include <string>
#include <utility>
#include <vector>

namespace zel {

class CRuleNet;

struct CRuleInfo {
    std::pair<int, int> unit{-1, -1};  // the unit's (column, index)
    CRuleNet* net = nullptr;  // owned by the rule base
    std::string params;       // at most 51,199 bytes
    std::string key;          // at most 51,199 bytes
};

// The entries of one rule-set name in one lattice, in the order they were
// added; seen holds "column-index-key" of each, so an entry is added once.
struct CRuleInfo_Lattice {
    std::vector<CRuleInfo> entries;
    std::set<std::string> seen;
};

}  // namespace zel
