// Weighted features and scores of relations and of unit attributes.
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "zel/lattice/kv_table.h"
#include "zel/lattice/lattice.h"
#include "zel/service/lua/action_args.h"
#include "zel/service/lua/action_functions.h"

namespace zel::actions {

namespace {

bool ThreeTexts(lua_State* L) { return lua_gettop(L) == 3 && IsText(L, 1) && IsText(L, 2) && IsText(L, 3); }

void PushFeatures(lua_State* L, const std::vector<std::pair<std::string, int>>& features, int count) {
    lua_createtable(L, 0, count);
    for (int i = 0; i < count && i < static_cast<int>(features.size()); ++i) {
        const auto& [feature, weight] = features[static_cast<size_t>(i)];
        lua_pushinteger(L, weight);
        lua_setfield(L, -2, feature.c_str());
    }
}

// The unit's feature table (made and handed to the lattice on first use
// when create is set); null when the identifier names no unit.
CKVTable* FeatureTable(CLattice& lattice, const std::string& id, bool create) {
    CUnit* unit = !id.empty() && id[0] == '(' ? lattice.GetLatticeUnit(id.c_str()) : nullptr;
    if (!unit) return nullptr;
    if (!unit->features && create) unit->features = lattice.NewUnitTable();
    return unit->features;
}

}  // namespace

int AddRelationFeature(lua_State* L) {
    const int n = lua_gettop(L);
    CLattice* lattice = LatticeOf(L);
    if (!lattice) return 0;
    if (n < 4 || !IsText(L, 1) || !IsText(L, 2) || !IsText(L, 3) || !IsText(L, 4) || (n == 5 && !IsText(L, 5))) {
        ParamError("AddRelationFeature Param Error!");
        return 0;
    }
    if (n > 5) return 0;
    const std::string head = TextArg(L, 1), dependent = TextArg(L, 2), name = TextArg(L, 3);
    const std::string feature = TextArg(L, 4);
    if (n == 4) {
        lattice->AddRelationScore(head.c_str(), dependent.c_str(), name.c_str(), 0);
        lattice->AddRoleFeature2Score(head.c_str(), dependent.c_str(), name.c_str(), feature.c_str(), 0);
        return 0;
    }
    const std::string value = TextArg(L, 5);
    const int weight = std::atoi(value.c_str());
    if (feature == "Score") {
        lattice->AddRelationScore(head.c_str(), dependent.c_str(), name.c_str(), weight);
    } else if (weight == 0) {
        lattice->AddRelationKV(head.c_str(), dependent.c_str(), name.c_str(), feature.c_str(), value.c_str());
    } else {
        lattice->AddRelationScore(head.c_str(), dependent.c_str(), name.c_str(), weight);
        lattice->AddRoleFeature2Score(head.c_str(), dependent.c_str(), name.c_str(), feature.c_str(), weight);
    }
    return 0;
}

int GetRelationFeatures(lua_State* L) {
    CLattice* lattice = LatticeOf(L);
    if (!lattice) return 0;
    std::vector<std::pair<std::string, int>> features;
    int count = 0;
    if (ThreeTexts(L)) {
        const std::string head = TextArg(L, 1), dependent = TextArg(L, 2), name = TextArg(L, 3);
        if (lattice->GetRelationKVStr(head.c_str(), dependent.c_str(), name.c_str()))
            lattice->GetFeature2Score(head.c_str(), dependent.c_str(), name.c_str(), features, count);
    }
    PushFeatures(L, features, count);
    return 1;
}

int GetRelationScore(lua_State* L) {
    CLattice* lattice = LatticeOf(L);
    if (!lattice) return 0;
    float score = 0;
    if (ThreeTexts(L))
        score = lattice->GetRelationScore(TextArg(L, 1).c_str(), TextArg(L, 2).c_str(), TextArg(L, 3).c_str());
    lua_pushnumber(L, score);
    return 1;
}

int AddUnitAttFeature(lua_State* L) {
    const int n = lua_gettop(L);
    CLattice* lattice = LatticeOf(L);
    if (!lattice) return 0;
    const bool three = n == 3 && IsText(L, 1) && IsText(L, 2) && IsText(L, 3);
    const bool four = n == 4 && IsText(L, 1) && IsText(L, 2) && IsText(L, 3) && IsInteger(L, 4);
    if (!three && !four) return 0;
    const int weight = four ? static_cast<int>(lua_tointeger(L, 4)) : 0;
    CKVTable* table = FeatureTable(*lattice, TextArg(L, 1), true);
    if (!table) return 0;
    const std::string key = TextArg(L, 2);
    table->Insert2KV(key.c_str(), TextArg(L, 3).c_str(), weight);
    table->Update_Table(key.c_str(), static_cast<float>(weight), "");
    return 0;
}

int GetUnitAttFeatures(lua_State* L) {
    CLattice* lattice = LatticeOf(L);
    if (!lattice) return 0;
    std::vector<std::pair<std::string, int>> features;
    int count = 0;
    if (lua_gettop(L) == 2 && IsText(L, 1) && IsText(L, 2))
        if (CKVTable* table = FeatureTable(*lattice, TextArg(L, 1), false))
            table->GetKVs(TextArg(L, 2).c_str(), features, count);
    PushFeatures(L, features, count);
    return 1;
}

int GetUnitAttScore(lua_State* L) {
    CLattice* lattice = LatticeOf(L);
    if (!lattice) return 0;
    float score = 0;
    CRelationItem* record = nullptr;
    if (lua_gettop(L) == 2 && IsText(L, 1) && IsText(L, 2))
        if (CKVTable* table = FeatureTable(*lattice, TextArg(L, 1), false))
            if (table->Lookup_Table(TextArg(L, 2).c_str(), record)) score = record->score;
    lua_pushnumber(L, score);
    return 1;
}

}  // namespace zel::actions
