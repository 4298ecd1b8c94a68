#include "zel/rules/net/rule_sets.h"

#include <cstring>

#include "zel/lattice/unit.h"
#include "zel/rules/net/rule_base.h"

namespace zel {

namespace {

bool HasEntry(const CRuleNet& net, const std::string& key) {
    int index = 0;
    return net.entryIndex.findEx(key.c_str(), index);
}

}  // namespace

void GetRuleSets(CUnit* unit, const char* word, std::vector<std::string>& names) {
    if (!g_pRuleBase || !unit || !word) return;
    for (const auto& net : g_pRuleBase->nets) {
        if (!HasEntry(*net, word) && !HasEntry(*net, std::string("Entry=") + word)) continue;
        bool satisfied = true;
        for (const std::string& condition : net->conditions) {
            if (!unit->CheckAtt(condition.c_str())) {
                satisfied = false;
                break;
            }
        }
        if (satisfied) names.push_back(net->name);
    }
}

bool SplitEntryInfo(const CRuleNet* net, const char* text, std::string& name, std::string& value) {
    const char* equals = text ? std::strchr(text, '=') : nullptr;
    if (!equals) return false;
    name.assign(text, static_cast<size_t>(equals - text));
    value = equals + 1;
    if (!value.empty() && value[0] == '[') value.erase(0, 1);
    if (!value.empty() && value.back() == ']') value.pop_back();
    return net && HasEntry(*net, name);
}

}  // namespace zel
