#include "qav/index/wordtable/table_cluster.h"

#include <algorithm>

#include "qav/index/wordtable/word_table.h"

namespace qav {

namespace {

// Whether a key of the table is a prefix of text: candidates of 2k bytes,
// longest first, never longer than the table's bound for text's start.
bool BeginsWithKey(const CTable& table, std::string_view text) {
    int longest = std::min<size_t>(table.GetMaxLen_R(text), text.size() / 2);
    for (int k = longest; k >= 1; --k)
        if (table.Lookup(text.substr(0, 2 * static_cast<size_t>(k)))) return true;
    return false;
}

bool EndsWithKey(const CTable& table, std::string_view text) {
    int longest = std::min<size_t>(table.GetMaxLen_L(text), text.size() / 2);
    for (int k = longest; k >= 1; --k)
        if (table.Lookup(text.substr(text.size() - 2 * static_cast<size_t>(k)))) return true;
    return false;
}

}  // namespace

bool CTableCluster::TableClusterInit(const char* idx_path, const char* dat_path) {
    New_Table(&names_, kTableClusterBuckets);
    if (!idx_path || !dat_path || !*idx_path || !*dat_path) return true;
    idx_path_ = idx_path;
    dat_path_ = dat_path;
    return LoadTables();
}

bool CTableCluster::Insert(const std::set<std::string>& words, const char* name) {
    auto table = std::make_unique<CTable>();
    table->SetTable_Set(words, name);
    tables_.push_back(std::move(table));
    return Update_Table(&names_, name, tables_.back().get());
}

bool CTableCluster::UpdateTableCluster(const char* name, CTable* table) {
    return Update_Table(&names_, name, table);
}

const CTable* CTableCluster::Find(const char* name) const {
    void* data = nullptr;
    if (!Lookup_Table(&names_, name, &data)) return nullptr;
    return static_cast<const CTable*>(data);
}

bool CTableCluster::IsStrBegin(std::string_view text, const char* name) const {
    const CTable* table = Find(name);
    return table && BeginsWithKey(*table, text);
}

bool CTableCluster::IsStrEnd(std::string_view text, const char* name) const {
    const CTable* table = Find(name);
    return table && EndsWithKey(*table, text);
}

bool CTableCluster::IsStrMid(std::string_view text, const char* name) const {
    const CTable* table = Find(name);
    if (!table) return false;
    for (size_t p = 0; p < text.size(); p += GetHZNo(text.substr(p)) >= 0 ? 2 : 1)
        if (BeginsWithKey(*table, text.substr(p))) return true;
    return false;
}

bool CTableCluster::IsStrEqual(std::string_view key, const char* name, std::string& value,
                               uint32_t& number) const {
    const CTable* table = Find(name);
    const CTableItem* item = table ? table->Lookup(key) : nullptr;
    if (!item) return false;
    value = item->value;
    number = item->number;
    return true;
}

bool CTableCluster::GetTable(const char* name, std::string& out) const {
    const CTable* table = Find(name);
    if (!table) return false;
    out.clear();
    for (const CTableItem& item : table->Items()) {
        out += item.key;
        out += '|';
    }
    return true;
}

void CTableCluster::TableClusterExit() {
    Free_Table(&names_);
    tables_.clear();
    idx_path_.clear();
    dat_path_.clear();
}

}  // namespace qav
