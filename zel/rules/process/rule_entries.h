// Attaching rule networks to units: rule-set entries on a unit and, per
// rule-set name, in the lattice, where rule processing finds them.
#pragma once

namespace zel {

class CLattice;
class CRuleNet;
class CUnit;

// Appends an entry (the unit's identifier, the network, the parameters
// when given, the key) to the unit's list; the name is not stored.
bool AddRuleEntry2Unit(const char* name, const char* key, CRuleNet* net, CUnit& unit, const char* params);

// The same entry into the lattice's entries under name, unless the unit's
// column, index and key are already there; false for a unit whose kind is
// not set.
bool AddToRuleInfo(CLattice& lattice, const char* name, const char* key, CRuleNet* net, CUnit& unit,
                   const char* params);

// Attaches the rule base's network name (any case) to the unit that the
// identifier text names under key: noted under "FSA" in the lattice's
// key-value table, then on the unit and in the lattice under the upper-case
// name. false without a rule base, key, unit or network.
bool SetRuleSet(CLattice& lattice, const char* unitRef, const char* key, const char* name, const char* params);

}  // namespace zel
