// Collocation: anchors are the words of a table found in the sentence;
// each anchor's collocation kinds name the tables whose words, found on
// either side of it, are related to it under the kind.
#include <lua.hpp>

#include <map>
#include <string>
#include <vector>

#include "common/text/gbk_char.h"
#include "zel/lattice/attribute_text.h"
#include "zel/lattice/collocation_tables.h"
#include "zel/lattice/lattice.h"
#include "zel/lattice/value_text.h"

namespace zel {

namespace {

CollocationTables* g_collocationTables = nullptr;

// Kinds, table names and the keys made from them are held in 1,024 bytes.
constexpr size_t kCollNameSize = 1024;

std::string Name(const std::string& text) { return text.substr(0, qz::GbkPrefixLength(text, kCollNameSize - 1)); }

std::vector<std::string> ValuesOf(CUnit& unit, const std::string& key) {
    std::vector<std::string> values;
    int n = 0;
    unit.GetKVs(key.c_str(), values, n);
    values.resize(static_cast<size_t>(n));
    return values;
}

}  // namespace

CollocationTables* GetCollocationTables() { return g_collocationTables; }
void SetCollocationTables(CollocationTables* tables) { g_collocationTables = tables; }

void CLattice::SetGlobalInfo(CConfigColl& config, const char* table) {
    config.Clear();
    std::string attributes;
    if (g_collocationTables && g_collocationTables->IsStrEqual(table, "#Global", attributes))
        config.Insert2KV(attributes.c_str());
}

void CLattice::Globa2Unit(const CConfigColl& config, CUnit& unit) {
    std::map<std::string, std::vector<std::string>> values;
    config.CollectKVInfoEx(values);
    for (const auto& [key, list] : values)
        for (const std::string& value : list) unit.Insert2UnitKV(key.c_str(), value.c_str());
}

void CLattice::SetUnitCollInfo(const CConfigColl& config, CUnit& unit) {
    Globa2Unit(config, unit);
    if (!g_collocationTables) return;
    std::string table;
    for (const std::string& kind : ValuesOf(unit, "Coll")) {
        const std::vector<std::string> named = ValuesOf(unit, kind);
        if (named.empty()) {
            if (g_collocationTables->GetTable(*this, kind.c_str(), unit, table))
                unit.Insert2UnitKV(Name("Coll-" + kind).c_str(), Name(table).c_str());
            continue;
        }
        for (const std::string& value : named) {
            unit.Insert2UnitKV("Coll", value.c_str());
            const std::string key = Name("Coll-" + value);
            for (const std::string& prefix : ValuesOf(unit, key))
                if (g_collocationTables->GetTable(*this, prefix.c_str(), unit, table))
                    unit.Insert2UnitKV(key.c_str(), Name(table).c_str());
        }
    }
}

// A Word unit for a match, made or reused; null when it cannot be made.
CUnit* CLattice::CollocationUnit(const CollMatch& match) {
    std::string id;
    if (!AddNewUnit(match.column, match.word.c_str(), kUnitWord, id, -1, true, "") || id.empty()) return nullptr;
    return GetLatticeUnit(id.c_str());
}

bool CLattice::Collocation(const char* table, const char* /*second*/, const char* source) {
    CollocationTables* tables = g_collocationTables;
    if (!tables || !table) return false;
    const std::string tag = source ? source : "";
    std::vector<CollMatch> anchors;
    tables->IsStrMidEx(*this, table, 0, anchors, nullptr);
    tables->IsStrMidUnit(*this, table, anchors);
    if (anchors.empty()) return false;

    CConfigColl anchorConfig;
    SetGlobalInfo(anchorConfig, table);
    std::vector<CollMatch> collocates;
    CConfigColl collocateConfig;
    for (const CollMatch& anchor : anchors) {
        CUnit* unit = CollocationUnit(anchor);
        if (!unit) continue;
        if (!anchor.unitId.empty()) AssignCut(unit->USegFrom, anchor.unitId.c_str(), kUnitIdSize);
        if (!tables->IsLimit(*this, *unit, nullptr, anchorConfig, anchor.value.c_str())) continue;
        unit->Insert2UnitKV(anchor.value.c_str());
        SetUnitCollInfo(anchorConfig, *unit);

        bool related = false;
        for (const std::string& kind : ValuesOf(*unit, "Coll")) {
            for (const std::string& name : ValuesOf(*unit, Name("Coll-" + kind))) {
                tables->IsStrMidEx(*this, name.c_str(), unit->To + 1, collocates, unit);
                tables->IsStrMid_R2LEx(*this, name.c_str(), unit->From - 1, collocates, unit);
                SetGlobalInfo(collocateConfig, name.c_str());
                for (const CollMatch& match : collocates) {
                    CUnit* other = CollocationUnit(match);
                    if (!other) continue;
                    AssignCut(other->USegFrom, match.unitId.c_str(), kUnitIdSize);
                    if (!tables->IsLimit(*this, *other, unit, collocateConfig, match.value.c_str())) continue;
                    if (!match.value.empty())
                        AddRelationKV(unit->Unit.c_str(), other->Unit.c_str(), kind.c_str(), match.value.c_str(), "");
                    if (keyValues) {
                        keyValues->Insert2KV("RRoot", kind.c_str());
                        keyValues->Insert2KV(Name("RRoot" + tag).c_str(), kind.c_str());
                    }
                    unit->InsertRelationInfo(other->Unit.c_str(), tag.c_str(), "", kind.c_str(), true);
                    other->InsertRelationInfo(unit->Unit.c_str(), tag.c_str(), "", kind.c_str(), false);
                    related = true;
                }
            }
        }
        if (related && keyValues) {
            keyValues->Insert2KV("URoot", unit->Unit.c_str());
            keyValues->Insert2KV(Name("URoot" + tag).c_str(), unit->Unit.c_str());
        }
    }
    return true;
}

int NewOperation2Table(lua_State* L, const char* attributes, std::map<std::string, std::vector<std::string>>& values) {
    values.clear();
    std::vector<std::string> items;
    int n = 0;
    SplitAVEx(attributes ? attributes : "", items, n);
    for (int i = 0; i < n; ++i) {
        const std::string& item = items[static_cast<size_t>(i)];
        const size_t equals = item.find('=');
        const std::string key = equals == std::string::npos ? "Tag" : item.substr(0, equals);
        const std::string value = equals == std::string::npos ? item : item.substr(equals + 1);
        Push_backVal(values[key], value.c_str());
    }
    lua_createtable(L, 0, static_cast<int>(values.size()));
    for (const auto& [key, list] : values) {
        lua_createtable(L, static_cast<int>(list.size()), 0);
        for (size_t k = 0; k < list.size(); ++k) {
            lua_pushlstring(L, list[k].data(), list[k].size());
            lua_rawseti(L, -2, static_cast<lua_Integer>(k + 1));
        }
        lua_setfield(L, -2, key.c_str());
    }
    return 1;
}

}  // namespace zel
