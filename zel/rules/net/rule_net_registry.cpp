// Every live network is listed here, so that a destroyed lattice can be
// dropped from the per-lattice maps of all of them: a new lattice that
// reuses the address must start from the defaults.
#include <mutex>
#include <set>

#include "zel/lattice/scripting_hooks.h"
#include "zel/rules/net/rule_net.h"

namespace zel {

namespace {

std::mutex g_netsMutex;
std::set<CRuleNet*>& LiveNets() {
    static std::set<CRuleNet*> nets;
    return nets;
}

void ForgetInAllNets(const CLattice* lattice) {
    std::lock_guard<std::mutex> lock(g_netsMutex);
    for (CRuleNet* net : LiveNets()) net->ForgetLattice(lattice);
}

}  // namespace

CRuleNet::CRuleNet() {
    std::lock_guard<std::mutex> lock(g_netsMutex);
    if (LiveNets().empty()) SetLatticeDestroyHook(ForgetInAllNets);
    LiveNets().insert(this);
}

CRuleNet::~CRuleNet() {
    std::lock_guard<std::mutex> lock(g_netsMutex);
    LiveNets().erase(this);
}

}  // namespace zel
