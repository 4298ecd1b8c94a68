#include "zel/rules/tables/table_cluster.h"

#include "common/platform/file_handle.h"
#include "zel/rules/format/run_switches.h"

namespace zel {

void CTableCluster::MakeNameTable() {
    if (namesMade_) return;
    New_Table(names_, kClusterBuckets);
    namesMade_ = true;
}

CTableCluster::Object* CTableCluster::Find(const char* name) const {
    void* value = nullptr;
    if (!name || !namesMade_ || !Lookup_Table(names_, name, value)) return nullptr;
    return static_cast<Object*>(value);
}

void CTableCluster::File(const std::string& name, Object* object) { Update_Table(names_, name.c_str(), object); }

bool CTableCluster::TableClusterInitEx(const char* idxPath, const char* datPath) {
    TableClusterExit();
    MakeNameTable();
    if (idxPath && datPath) {
        idxPath_ = idxPath;
        datPath_ = datPath;
    }
    return true;
}

void CTableCluster::TableClusterExit() {
    Free_Table(names_);
    namesMade_ = false;
    objects_.clear();
}

bool CTableCluster::GetTable(const char* name, CTable*& table) const {
    Object* object = Find(name);
    if (!object || !object->table) return false;
    table = object->table.get();
    return true;
}

bool CTableCluster::GetTable(const char* name, CTableKV*& index) const {
    Object* object = Find(name);
    if (!object || !object->index) return false;
    index = object->index.get();
    return true;
}

bool CTableCluster::GetTable(const char* name, std::string& keys) const {
    keys.clear();
    CTable* table = nullptr;
    if (!GetTable(name, table)) return false;
    for (const CTableItem& item : table->items()) keys.append(item.key).append("|");
    return true;
}

void CTableCluster::GetTables(std::vector<std::string>& names) const {
    for (const auto& object : objects_) {
        if (object->table) names.push_back(object->table->GetKeyword());
    }
}

bool CTableCluster::IsStrEqual(const char* word, CTable* table, std::string& value, CKVTable*& attributes) {
    CTableItem* item = nullptr;
    if (!table || !table->Lookup(word, item)) return false;
    value = item->value;
    attributes = item->Attributes();
    return true;
}

bool CTableCluster::Dump2File(const char* fileName) const {
    std::string path = g_szNetPath + "/table/" + (fileName ? fileName : "");
    qz::FileHandle file(std::fopen(path.c_str(), "wb"));
    if (!file) return false;
    for (const _HashNode& head : names_.heads) {
        for (const _HashNode* node = head.next.get(); node; node = node->next.get()) {
            const auto* object = static_cast<const Object*>(node->value);
            if (object->table) object->table->Dump2File_Table(file.get());
        }
    }
    return true;
}

}  // namespace zel
