// Per-lattice parameters and matching controls of a network.
#include <strings.h>

#include <cstdlib>

#include "zel/lattice/attribute_text.h"
#include "zel/lattice/lattice.h"
#include "zel/rules/net/rule_net.h"

namespace zel {

namespace {

// 1 for "Yes"/"True", 0 for "No"/"Not"/"False", -1 for any other word.
int YesNo(const char* value) {
    for (const char* yes : {"Yes", "True"}) {
        if (strcasecmp(value, yes) == 0) return 1;
    }
    for (const char* no : {"No", "Not", "False"}) {
        if (strcasecmp(value, no) == 0) return 0;
    }
    return -1;
}

void SetFlag(bool& flag, const char* value, bool negate) {
    int word = YesNo(value);
    if (word >= 0) flag = (word == 1) != negate;
}

}  // namespace

void CRSConfig::IntConfig() {
    int dist = Dist;
    *this = CRSConfig{};
    Dist = dist;
}

bool CRSConfig::SetConfig(CRSConfig& controls, CLattice* lattice, const char* key, const char* value) {
    auto is = [key](const char* name) { return strcasecmp(key, name) == 0; };
    if (is("From")) {
        controls.From = std::atoi(value);
    } else if (is("To")) {
        controls.To = std::atoi(value);
    } else if (is("Fast") || is("LiHe")) {
        SetFlag(controls.gap, value, false);
    } else if (is("Nearby")) {
        SetFlag(controls.gap, value, true);
    } else if (is("Scope")) {
        int index = 0;
        if (CUnit* unit = lattice ? lattice->GetUnit(value, index) : nullptr) {
            controls.From = unit->From;
            controls.To = unit->To;
        }
        controls.scope = true;
    } else if (is("Candidate")) {
        SetFlag(controls.candidate, value, false);
    } else if (is("MaxLen")) {
        SetFlag(controls.candidate, value, true);
    } else if (is("Order")) {
        SetFlag(controls.Order, value, false);
    } else if (is("Bound")) {
        static const std::pair<const char*, int> kBounds[] = {
            {"Sent", kBoundSent}, {"Clause", kBoundClause}, {"Chunk", kBoundChunk},
            {"Group", kBoundGroup}, {"DGraph", kBoundGroup}};
        for (const auto& [name, bound] : kBounds) {
            if (strcasecmp(value, name) == 0) controls.Bound = bound;
        }
    } else if (is("Dist")) {
        controls.Dist = std::atoi(value);
    }
    return true;
}

void CRuleNet::ApplyParams(CLattice* lattice, CRSConfig& controls, std::map<std::string, std::string>& params,
                           const char* text) {
    std::vector<std::string> items;
    int n = 0;
    SplitAVEx(text, items, n);
    for (int i = 0; i < n; ++i) {
        size_t eq = items[i].find('=');
        if (eq == std::string::npos) continue;
        std::string key = items[i].substr(0, eq);
        std::string value = items[i].substr(eq + 1);
        CRSConfig::SetConfig(controls, lattice, key.c_str(), value.c_str());
        params[key] = value;
    }
}

bool CRuleNet::SetRuleParam(CLattice* lattice, const char* text) {
    if (!text) return false;
    std::lock_guard<std::mutex> lock(latticeMutex_);
    CRSConfig& controls = controls_[KeyOf(lattice)];  // fresh on first use
    std::map<std::string, std::string>& params = params_[KeyOf(lattice)];
    for (const std::string& defaults_text : defaults) ApplyParams(lattice, controls, params, defaults_text.c_str());
    ApplyParams(lattice, controls, params, text);
    return true;
}

void CRuleNet::ClearParam(CLattice* lattice) {
    std::lock_guard<std::mutex> lock(latticeMutex_);
    auto controls = controls_.find(KeyOf(lattice));
    if (controls != controls_.end()) controls->second.IntConfig();
    auto params = params_.find(KeyOf(lattice));
    if (params != params_.end()) params->second.clear();
}

bool CRuleNet::GetParam(CLattice* lattice, const char* name, std::string& out) const {
    out.clear();
    std::lock_guard<std::mutex> lock(latticeMutex_);
    auto params = params_.find(KeyOf(lattice));
    if (params == params_.end() || !name) return false;
    auto value = params->second.find(name);
    if (value == params->second.end()) return false;
    out = value->second;
    return true;
}

std::map<std::string, std::string> CRuleNet::GetParams(const CLattice* lattice) const {
    std::lock_guard<std::mutex> lock(latticeMutex_);
    auto params = params_.find(KeyOf(lattice));
    return params == params_.end() ? std::map<std::string, std::string>{} : params->second;
}

const CRSConfig* CRuleNet::Controls(const CLattice* lattice) const {
    std::lock_guard<std::mutex> lock(latticeMutex_);
    auto controls = controls_.find(KeyOf(lattice));
    return controls == controls_.end() ? nullptr : &controls->second;
}

void CRuleNet::GetMatch_From(CLattice* lattice, int& out) const {
    const CRSConfig* controls = Controls(lattice);
    out = controls && controls->From > 0 ? controls->From : 0;
}

void CRuleNet::GetMatch_To(CLattice* lattice, int last, int& out) const {
    const CRSConfig* controls = Controls(lattice);
    out = controls && controls->To >= 0 && controls->To <= last ? controls->To : last;
}

void CRuleNet::GetLen_LiHe(CLattice* lattice, int& out) const {
    const CRSConfig* controls = Controls(lattice);
    out = controls ? controls->Dist : kDefaultDist;
}

bool CRuleNet::IsMatchLihe(CLattice* lattice) const {
    const CRSConfig* controls = Controls(lattice);
    return controls && controls->gap;
}

bool CRuleNet::IsArgMatch(CLattice* lattice) const {
    const CRSConfig* controls = Controls(lattice);
    return controls && controls->scope;
}

bool CRuleNet::IsArgCandidate(CLattice* lattice) const {
    const CRSConfig* controls = Controls(lattice);
    return controls && controls->candidate;
}

bool CRuleNet::IsMatchOrder(CLattice* lattice) const {
    const CRSConfig* controls = Controls(lattice);
    return controls && controls->Order;
}

int CRuleNet::GetBoundType(CLattice* lattice) const {
    const CRSConfig* controls = Controls(lattice);
    return controls ? controls->Bound : kBoundSent;
}

void CRuleNet::Add2RuleInfo(CLattice* lattice, const char* unit, const char* key, const char* params) {
    std::lock_guard<std::mutex> lock(latticeMutex_);
    std::vector<RuleEntrySlot>& slots = entrySlots_[KeyOf(lattice)];
    int& used = entrySlotsUsed_[KeyOf(lattice)];
    if (used == static_cast<int>(slots.size())) slots.emplace_back();
    slots[static_cast<size_t>(used++)] = {unit ? unit : "", key ? key : "", params ? params : ""};
}

void CRuleNet::ClearUnit_Beg(CLattice* lattice) {
    std::lock_guard<std::mutex> lock(latticeMutex_);
    entrySlotsUsed_[KeyOf(lattice)] = 0;
}

void CRuleNet::ForgetLattice(const CLattice* lattice) {
    std::lock_guard<std::mutex> lock(latticeMutex_);
    params_.erase(KeyOf(lattice));
    controls_.erase(KeyOf(lattice));
    entrySlots_.erase(KeyOf(lattice));
    entrySlotsUsed_.erase(KeyOf(lattice));
}

}  // namespace zel
