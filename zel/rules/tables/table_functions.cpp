#include "zel/rules/tables/table_functions.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "zel/lattice/lattice.h"
#include "zel/rules/format/table_format.h"

namespace zel {
namespace {

std::unique_ptr<CTableCluster> clusterOwner;

CTable* FindTable(const char* name) {
    CTable* table = nullptr;
    if (!g_pTableCluster || !g_pTableCluster->GetTable(name, table)) return nullptr;
    return table;
}

void AppendGlobal(CTable* table, std::string& out) {
    CTableItem* global = nullptr;
    if (table->Lookup("#Global", global)) out.append(" ").append(global->value);
}

}  // namespace

CTableCluster* g_pTableCluster = nullptr;
std::vector<std::string> g_vIdxTables;

bool TableClusterPrepare() {
    TableClusterExit();
    clusterOwner = std::make_unique<CTableCluster>();
    g_pTableCluster = clusterOwner.get();
    return true;
}

bool TableClusterInit(const char* idxPath, const char* datPath) {
    return g_pTableCluster && g_pTableCluster->TableClusterInit(idxPath, datPath);
}

bool TableClusterInitEx(const char* idxPath, const char* datPath) {
    return g_pTableCluster && g_pTableCluster->TableClusterInitEx(idxPath, datPath);
}

bool TableClusterExit() {
    if (clusterOwner) clusterOwner->TableClusterExit();
    clusterOwner.reset();
    g_pTableCluster = nullptr;
    return true;
}

bool TableClusterOntology(const char*) { return g_pTableCluster != nullptr; }

bool TableClusterGetTable(const char* name, CTable*& table) {
    return g_pTableCluster && g_pTableCluster->GetTable(name, table);
}

bool TableClusterGetTable(const char* name, CTableKV*& index) {
    return g_pTableCluster && name && g_pTableCluster->GetTable((kTableKVPrefix + std::string(name)).c_str(), index);
}

bool TableClusterGetTables(std::vector<std::string>& names) {
    if (!g_pTableCluster) return false;
    g_pTableCluster->GetTables(names);
    return true;
}

bool TableClusterIsStrEqual(const char* word, const char* table, std::string& out, int&) {
    out.clear();
    CTable* found = FindTable(table);
    if (!found || !word) return false;
    CTableItem* item = nullptr;
    if (found->Lookup(word, item)) {
        out = item->value;
    } else {
        const CTableItemKV* match = nullptr;
        if (found->HasItemKV()) {
            for (const CTableItemKV& entry : found->itemKVs()) {
                if (entry.key == word) {
                    match = &entry;
                    break;
                }
            }
        }
        if (!match) return false;
        out = match->value;
    }
    AppendGlobal(found, out);
    return true;
}

bool TableClusterIsStrEqualEx(CUnit* unit, const char* table, std::string& out, int&) {
    out.clear();
    CTable* found = FindTable(table);
    if (!found || !unit) return false;
    bool result = false;
    CTableItem* item = nullptr;
    if (found->Lookup(unit->GetWord().c_str(), item)) {
        out = item->value;
        result = true;
    }
    if (found->Lookup(unit->GetHeadWord().c_str(), item)) {
        out.append(" ").append(item->value);
        result = true;
    }
    if (found->HasItemKV()) {
        for (const CTableItemKV& entry : found->itemKVs()) {
            if (!unit->CheckAtt(entry.key.c_str())) continue;
            out.append(" ").append(entry.value);
            result = true;
        }
    }
    if (result) AppendGlobal(found, out);
    return result;
}

bool TableClusterDump2File(const char* fileName) { return g_pTableCluster && g_pTableCluster->Dump2File(fileName); }

bool TableCheckIsPossible(const char* text, int n, const char* table) {
    CTable* found = FindTable(table);
    return found && text && n >= 1 && found->RetTablePossible(text, n);
}

bool GlobalInit_Coll(const std::vector<std::string>& names, const char* folder) {
    TableClusterPrepare();
    for (const std::string& name : names) {
        std::string idxPath, datPath;
        TableFilePaths(folder ? folder : ".", name, idxPath, datPath);
        if (!TableClusterInit(idxPath.c_str(), datPath.c_str()))
            std::printf("Warning:Error open %s or %s\n", datPath.c_str(), idxPath.c_str());
    }
    return true;
}

bool LookupTable(const char* name) { return FindTable(name) != nullptr; }

bool GetTable(CLattice& lattice, const char* prefix, CUnit* unit, std::string& out) {
    if (!g_pTableCluster || !unit || !prefix) return false;
    out = std::string(prefix) + "_" + unit->GetWord();
    if (LookupTable(out.c_str())) return true;
    unit->GetKVs("Syn", lattice.workList, lattice.workCount);
    for (int i = 0; i < lattice.workCount; ++i) {
        out = std::string(prefix) + "_" + lattice.workList[static_cast<size_t>(i)];
        if (LookupTable(out.c_str())) return true;
    }
    return false;
}

}  // namespace zel
