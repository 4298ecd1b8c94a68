// Running rule networks from inside rule actions: a network over the
// lattice of the calling state, an entry attached to one unit, and a nested
// analysis of another text in the child lattice.
#include <cstdio>
#include <string>
#include <vector>

#include "zel/lattice/json_input.h"
#include "zel/lattice/lattice.h"
#include "zel/lattice/lua_slots.h"
#include "zel/rules/net/rule_base.h"
#include "zel/rules/net/rule_net.h"
#include "zel/rules/net/rule_sets.h"
#include "zel/rules/process/action_text.h"
#include "zel/rules/process/process_rule.h"
#include "zel/rules/process/rule_entries.h"
#include "zel/service/lua/action_args.h"
#include "zel/service/lua/action_functions.h"

namespace zel::actions {
namespace {

// Attaches the network to every unit within its column range that meets
// one of its entry conditions.
void AttachByConditions(CLattice& lattice, CRuleNet& net, const std::string& upper) {
    int from = 0, to = 0;
    net.GetMatch_From(&lattice, from);
    net.GetMatch_To(&lattice, lattice.columnCount - 1, to);
    for (const std::string& condition : net.conditions) {
        std::string entry, text, substituted;
        if (!SplitEntryInfo(&net, condition.c_str(), entry, text)) continue;
        TransferVar(lattice, net, text, substituted);
        std::vector<std::string> ids;
        int n = 0;
        lattice.GetUnitByKV(from, to, substituted.c_str(), ids, n);
        for (int k = 0; k < n; ++k) {
            CUnit* unit = lattice.GetLatticeUnit(ids[static_cast<size_t>(k)].c_str());
            if (!unit) continue;
            const std::string note = "FSA:(" + upper + ")Unit:(" + unit->GetWord() + ")EntryNode:(" + entry + ")";
            if (lattice.keyValues) lattice.keyValues->Insert2KV("FSA", note.c_str());
            AddRuleEntry2Unit(upper.c_str(), entry.c_str(), &net, *unit, "");
            AddToRuleInfo(lattice, upper.c_str(), entry.c_str(), &net, *unit, "");
        }
    }
}

}  // namespace

int FSA(lua_State* L) {
    const int n = lua_gettop(L);
    if (n < 1 || n > 3 || !IsText(L, 1) || (n >= 2 && !IsText(L, 2)) || (n == 3 && !IsText(L, 3))) {
        ParamError("RunFSA Param Error!");
        return 0;
    }
    CLattice* lattice = LatticeOf(L);
    if (!lattice || !g_pRuleBase) return 0;
    std::string upper = TextArg(L, 1);
    ToUpper(upper);
    std::string params;
    if (n == 2 && TextArg(L, 2).find('=') != std::string::npos) params = TextArg(L, 2);
    if (n == 3) params = TextArg(L, 3);
    CRuleNet* net = g_pRuleBase->LookupRuleNet(upper.c_str());
    if (!net) return 0;
    net->SetRuleParam(lattice, params.c_str());
    AttachByConditions(*lattice, *net, upper);
    int counter = -1;
    ProcessRule(lattice, upper.c_str(), params.c_str(), nullptr, 0, counter);
    return 0;
}

int AddRuleSet(lua_State* L) {
    const int n = lua_gettop(L);
    if (n < 3 || n > 4) {
        ParamError("Param Error!");
        lua_pushboolean(L, 0);
        return 1;
    }
    CLattice* lattice = LatticeOf(L);
    const std::string id = TextArg(L, 1), entry = TextArg(L, 2), name = TextArg(L, 3);
    const std::string params = n == 4 ? TextArg(L, 4) : std::string();
    const bool added = lattice && !entry.empty() && !name.empty() &&
                       SetRuleSet(*lattice, id.c_str(), entry.c_str(), name.c_str(), params.c_str());
    lua_pushboolean(L, added);
    return 1;
}

int Parse(lua_State* L) {
    const int n = lua_gettop(L);
    if ((n != 3 && n != 4) || !IsText(L, 1) || !IsText(L, 3) || (n == 4 && !IsText(L, 4))) {
        lua_pushstring(L, "");
        return 1;
    }
    CLattice* caller = LatticeOf(L);
    const std::string text = TextArg(L, 1), net = TextArg(L, 3);
    const std::string params = n == 4 ? TextArg(L, 4) : std::string();
    CLattice* child = caller ? caller->child() : nullptr;
    if (net.empty() || !child) {
        lua_pushstring(L, "");
        return 1;
    }
    child->L = caller->L;
    child->msgBuff = caller->msgBuff;
    int from = 0, to = 0;
    InputData(child, text.c_str(), from, to);
    lua_setlattiace(L, child);
    int counter = -1;
    ProcessRule(child, net.c_str(), params.c_str(), nullptr, 0, counter);
    std::string result;
    AssignCut(result, child->returnText.c_str(), kUnitTextSize);
    std::vector<std::string> log;
    child->CollectLog(log);
    child->LatticeExit(false);
    CLattice* outermost = caller;
    while (outermost->parent()) outermost = outermost->parent();
    outermost->AddLog(log);
    // The state goes back to the lattice whose action called, so a Parse
    // nested inside another one leaves its caller acting on its own lattice.
    lua_setlattiace(L, caller);
    lua_pushlstring(L, result.data(), result.size());
    return 1;
}

}  // namespace zel::actions
