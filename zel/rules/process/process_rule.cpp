#include "zel/rules/process/process_rule.h"

#include <cstdlib>
#include <vector>

#include "zel/lattice/lattice.h"
#include "zel/lattice/lua_runner.h"
#include "zel/lattice/lua_slots.h"
#include "zel/rules/match/engine.h"
#include "zel/rules/net/rule_base.h"
#include "zel/rules/net/rule_net.h"
#include "zel/rules/process/action_text.h"
#include "zel/rules/process/match_log.h"
#include "zel/rules/process/operation_record.h"

namespace zel {
namespace {

bool WithinLimits(const CUnit& unit, int from, int to) { return unit.To >= from && unit.From <= to; }

// Attaches the entry's network to the dependents of its unit that lie within
// the limits, or to the unit itself when none does.
void PrepareEntry(CLattice& lattice, const CRuleInfo& entry) {
    UnitId id = entry.unit;
    CUnit* unit = lattice.GetUnit(id);
    if (!unit || !entry.net) return;
    CRuleNet& net = *entry.net;
    int from = 0, to = 0;
    net.GetMatch_From(&lattice, from);
    net.GetMatch_To(&lattice, lattice.columnCount - 1, to);
    auto attach = [&](const CUnit& target) {
        net.Add2RuleInfo(&lattice, UnitIdText(target.id).c_str(), entry.key.c_str(), entry.params.c_str());
        net.SetRuleParam(&lattice, entry.params.c_str());
    };
    bool attached = false;
    const std::vector<UnitId> dependents(unit->links.dependents.begin(),
                                         unit->links.dependents.begin() + unit->links.dependentCount);
    for (UnitId dependentId : dependents) {
        CUnit* dependent = lattice.GetUnit(dependentId);
        if (!dependent || !WithinLimits(*dependent, from, to)) continue;
        attach(*dependent);
        attached = true;
    }
    if (!attached && WithinLimits(*unit, from, to)) attach(*unit);
}

void EncodeAction(CLattice& lattice, CRuleNet& net, const std::string& action, char* buffer, int size,
                  int& counter) {
    EncodeOPeration(lattice, MakeExecutable(lattice, net, action), buffer, size, counter);
}

}  // namespace

bool IsMainCtrl(const CRuleNet& net, std::string* code) {
    if (net.nodeCount != 3 || net.atoms.size() != 1 || net.startNode < 0 ||
        net.startNode >= static_cast<int>(net.nodes.size()))
        return false;
    const std::vector<int32_t>& others = net.nodes[static_cast<size_t>(net.startNode)].next.others;
    if (others.size() != 1) return false;
    if (code) *code = net.AtomOf(others[0]);
    return true;
}

int CollectNet(CLattice& lattice, const std::string& upperName, std::vector<CRuleInfo>& entries,
               CRuleNet*& codeNet) {
    entries.clear();
    codeNet = nullptr;
    auto set = lattice.ruleSets.find(upperName);
    if (set != lattice.ruleSets.end()) {
        // A copy: actions may attach further entries while these run.
        entries = set->second.entries;
        for (const CRuleInfo& entry : entries) PrepareEntry(lattice, entry);
        return 2;
    }
    CRuleNet* net = g_pRuleBase ? g_pRuleBase->LookupRuleNet(upperName.c_str()) : nullptr;
    if (!net || !IsMainCtrl(*net, nullptr)) return 0;
    net->ClearUnit_Beg(&lattice);
    net->Add2RuleInfo(&lattice, "", "", "");
    net->SetRuleParam(&lattice, "");
    codeNet = net;
    return 1;
}

bool ProcessOneRule_LUA(CLattice& lattice, CRuleNet& net, const std::string& action) {
    const std::string code = MakeExecutable(lattice, net, action);
    if (lattice.L) {
        lua_setnet(lattice.L, &net);
        RunLua_Code(lattice.L, code.c_str());
    }
    lattice.currentRuleNet = &net;
    return true;
}

bool FSA_MatchEx(CLattice& lattice, CRuleNet& net, const char* entryUnit, const char* key, char* buffer, int size,
                 int& counter) {
    int from = 0, to = 0, dist = kDefaultDist;
    net.GetMatch_From(&lattice, from);
    net.GetMatch_To(&lattice, lattice.columnCount - 1, to);
    net.GetLen_LiHe(&lattice, dist);
    std::vector<std::string> nodes;
    int n = 0;
    net.entryIndex.GetKVs(key, nodes, n);
    if (n <= 0) net.entryIndex.GetKVs((std::string("Entry=") + key).c_str(), nodes, n);
    if (n <= 0) return true;
    const bool encode = counter >= 0;
    const bool candidate = net.IsArgCandidate(&lattice);
    // Lua runs pass no buffer, as the records would be unread.
    char* out = encode ? buffer : nullptr;
    const int outSize = encode ? size : 0;
    int luaCounter = -1;
    int& used = encode ? counter : luaCounter;
    const MatchAction act = [&](CLattice& matched, const std::string& action) {
        if (!encode) {
            JPLog_Match(matched, net);
            ProcessOneRule_LUA(matched, net, action);
            return;
        }
        if (!candidate) JPLog_Match(matched, net);
        EncodeAction(matched, net, action, out, outSize, used);
    };
    for (int k = 0; k < n; ++k) {
        FSA_Match_Enter(lattice, entryUnit, net, std::atoi(nodes[static_cast<size_t>(k)].c_str()), from, to, dist, act);
    }
    return true;
}

int ProcessRule(CLattice* lattice, const char* name, const char* params, char* buffer, int size, int& counter) {
    if (!lattice || !name) return 0;
    std::string upper = name;
    ToUpper(upper);
    std::vector<CRuleInfo> entries;
    CRuleNet* codeNet = nullptr;
    const int kind = CollectNet(*lattice, upper, entries, codeNet);
    if (kind == 0) return 0;
    if (kind == 1) {
        codeNet->SetRuleParam(lattice, params ? params : "");
        std::string code;
        IsMainCtrl(*codeNet, &code);
        if (counter < 0)
            ProcessOneRule_LUA(*lattice, *codeNet, code);
        else
            EncodeAction(*lattice, *codeNet, code, buffer, size, counter);
        codeNet->ClearParam(lattice);
        return 1;
    }
    for (CRuleInfo& entry : entries) {
        if (!entry.net) continue;
        const std::string entryParams = params ? entry.params + " " + params : std::string();
        entry.net->SetRuleParam(lattice, entryParams.c_str());
        FSA_MatchEx(*lattice, *entry.net, UnitIdText(entry.unit).c_str(), entry.key.c_str(), buffer, size, counter);
        entry.net->ClearParam(lattice);
    }
    return 1;
}

}  // namespace zel
