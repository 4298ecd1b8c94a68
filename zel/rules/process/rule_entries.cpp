#include "zel/rules/process/rule_entries.h"

#include <string>

#include "zel/lattice/lattice.h"
#include "zel/rules/net/rule_base.h"

namespace zel {
namespace {

CRuleInfo MakeEntry(const char* key, CRuleNet* net, const CUnit& unit, const char* params) {
    CRuleInfo entry;
    entry.unit = unit.id;
    entry.net = net;
    if (params) AssignCut(entry.params, params, kUnitTextSize);
    AssignCut(entry.key, key ? key : "", kUnitTextSize);
    return entry;
}

}  // namespace

bool AddRuleEntry2Unit(const char*, const char* key, CRuleNet* net, CUnit& unit, const char* params) {
    const size_t slot = static_cast<size_t>(unit.ruleCount);
    if (slot < unit.ruleInfos.size())
        unit.ruleInfos[slot] = MakeEntry(key, net, unit, params);
    else
        unit.ruleInfos.push_back(MakeEntry(key, net, unit, params));
    ++unit.ruleCount;
    return true;
}

bool AddToRuleInfo(CLattice& lattice, const char* name, const char* key, CRuleNet* net, CUnit& unit,
                   const char* params) {
    if (unit.UnitType == 0) return false;
    CRuleInfo_Lattice& set = lattice.ruleSets[name ? name : ""];
    const std::string seen =
        std::to_string(unit.id.first) + "-" + std::to_string(unit.id.second) + "-" + (key ? key : "");
    if (set.seen.insert(seen).second) set.entries.push_back(MakeEntry(key, net, unit, params));
    return true;
}

bool SetRuleSet(CLattice& lattice, const char* unitRef, const char* key, const char* name, const char* params) {
    if (!g_pRuleBase || !unitRef || !name || !key || !*key) return false;
    CUnit* unit = lattice.GetLatticeUnit(unitRef);
    if (!unit) return false;
    std::string upper = name;
    ToUpper(upper);
    CRuleNet* net = g_pRuleBase->LookupRuleNet(upper.c_str());
    if (!net) return false;
    const std::string note = "FSA:" + upper + " Unit:" + unit->GetWord() + " EntryNode:" + (key ? key : "");
    if (lattice.keyValues) lattice.keyValues->Insert2KV("FSA", note.c_str());
    AddRuleEntry2Unit(upper.c_str(), key, net, *unit, params);
    AddToRuleInfo(lattice, upper.c_str(), key, net, *unit, params);
    return true;
}

}  // namespace zel
