#include <cstring>
#include <string>

#include "zel/lattice/attribute_text.h"
#include "zel/lattice/lattice.h"

namespace zel {

namespace {

// Unit entry keys are cut like relation keys.
std::string EntryKey(std::string key) {
    if (key.size() > kRelationKeySize - 1) key.resize(kRelationKeySize - 1);
    return key;
}

}  // namespace

std::string RelationKey(const char* head, const char* dependent, const char* name) {
    return EntryKey(std::string(head ? head : "") + (dependent ? dependent : "") + (name ? name : ""));
}

void CUnit::InsertRelationInfo(const char* other, const char* source, const char* /*kind*/, const char* name,
                               bool isHead) {
    if (!other || Unit == other) return;
    const std::string s = source ? source : "";
    const std::string r = name ? name : "";
    const char* links = isHead ? "USub" : "UHead";
    const char* roles = isHead ? "RSub" : "RHead";
    if (!isHead) Insert2UnitKV(EntryKey(other).c_str(), r.c_str());
    for (const std::string& key : {std::string(links), links + s, links + ("-" + r), links + s + "-" + r})
        Insert2UnitKV(EntryKey(key).c_str(), other);
    Insert2UnitKV(roles, r.c_str());
    Insert2UnitKV(EntryKey(roles + s).c_str(), r.c_str());
}

bool CLattice::AddRelation(const char* head, const char* dependent, const char* name) {
    if (!relations) return false;
    relations->Update_Table(RelationKey(head, dependent, name).c_str(), 0, "");
    return true;
}

void CLattice::AddRelationKV(const char* head, const char* dependent, const char* name, const char* key,
                             const char* value) {
    if (!relations || !key) return;
    const std::string relation = RelationKey(head, dependent, name);
    auto addPair = [&](const std::string& pair) {
        relations->Update_Table(relation.c_str(), 0, pair.c_str());
        if (keyValues && pair.size() + 1 <= kRelationKeySize - 1)
            keyValues->Insert2KV((pair + "@").c_str(), relation.c_str());
    };
    if (value && *value) {
        addPair(std::string(key) + "=" + value);
        return;
    }
    int n = 0;
    SplitAVEx(key, workList, n);
    std::string itemKey, itemValue;
    for (int i = 0; i < n; ++i) {
        const std::string& item = workList[static_cast<size_t>(i)];
        if (item.size() >= kItemSize) continue;
        SplitItem(item, itemKey, itemValue);
        addPair(itemKey + "=" + itemValue);
    }
}

const char* CLattice::GetRelationKVStr(const char* head, const char* dependent, const char* name) {
    CRelationItem* item = nullptr;
    if (!relations || !relations->Lookup_Table(RelationKey(head, dependent, name).c_str(), item)) return nullptr;
    return item->text.c_str();
}

float CLattice::GetRelationScore(const char* head, const char* dependent, const char* name) {
    CRelationItem* item = nullptr;
    if (!relations || !relations->Lookup_Table(RelationKey(head, dependent, name).c_str(), item)) return 0;
    return item->score;
}

void CLattice::AddRelationScore(const char* head, const char* dependent, const char* name, int score) {
    if (relations) relations->Update_Table(RelationKey(head, dependent, name).c_str(), static_cast<float>(score), "");
}

void CLattice::AddRoleFeature2Score(const char* head, const char* dependent, const char* name, const char* feature,
                                    int weight) {
    if (relations && feature) relations->Insert2KV(RelationKey(head, dependent, name).c_str(), feature, weight);
}

void CLattice::GetFeature2Score(const char* head, const char* dependent, const char* name,
                                std::vector<std::pair<std::string, int>>& features, int& n) {
    if (relations) relations->GetKVs(RelationKey(head, dependent, name).c_str(), features, n);
}

std::string CLattice::GetBestArg(const char* unitId, const char* role) {
    std::string best;
    CUnit* unit = GetLatticeUnit(unitId);
    if (!unit || !role) return best;
    int n = 0;
    unit->GetKVs(role, workList, n);
    float bestScore = -10.0f;
    for (int i = 0; i < n; ++i) {
        const std::string& candidate = workList[static_cast<size_t>(i)];
        const float score = GetRelationScore(unitId, candidate.c_str(), role);
        if (score > bestScore) {
            bestScore = score;
            best = candidate;
        }
    }
    return best;
}

void CLattice::GetBestArg(const char* unitId, std::vector<std::string>& roles, std::vector<std::string>& args) {
    CUnit* unit = GetLatticeUnit(unitId);
    if (!unit) return;
    // The single-role form reuses the work list, so the roles are copied.
    int n = 0;
    unit->GetKVs("CollRole", workList, n);
    const std::vector<std::string> collRoles(workList.begin(), workList.begin() + n);
    for (const std::string& role : collRoles) {
        std::string best = GetBestArg(unitId, role.c_str());
        if (best.empty()) continue;
        roles.push_back(role);
        args.push_back(best);
    }
}

void SplitRelation(const char* key, std::string& head, std::string& dependent, std::string& name) {
    head.clear();
    dependent.clear();
    name.clear();
    if (!key) return;
    const std::string text = key;
    const size_t first = text.find(')');
    if (first == std::string::npos) {
        head = text;
        return;
    }
    head = text.substr(0, first + 1);
    const size_t second = text.find(')', first + 1);
    if (second == std::string::npos) {
        dependent = text.substr(first + 1);
        return;
    }
    dependent = text.substr(first + 1, second - first);
    name = text.substr(second + 1);
}

}  // namespace zel
