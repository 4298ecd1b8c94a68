// CTableCluster: every word table and key-value index of the process, filed
// by name ("KV-" + name for an index) in a _Hash_Table of 10,240 buckets and
// listed in load order. The cluster also records the "table.idx"/"table.dat"
// pair it was last given, to which the table indexer appends.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "zel/rules/tables/hash_table.h"
#include "zel/rules/tables/table.h"
#include "zel/rules/tables/table_kv.h"

namespace zel {

constexpr int kClusterBuckets = 10240;

class CTableCluster {
public:
    CTableCluster() = default;
    CTableCluster(const CTableCluster&) = delete;
    CTableCluster& operator=(const CTableCluster&) = delete;

    // ---- loading and writing the file pair (table_cluster_files.cpp) ----
    // Loads every object of a pair and records its paths. True when either
    // path is missing (nothing loaded); false when a file cannot be opened
    // or the pair is damaged, and then nothing of it is loaded.
    bool TableClusterInit(const char* idxPath, const char* datPath);
    // Appends one table (and its key-value index, when it was built with
    // one) to the recorded pair.
    bool Write2File(const char* name, const CTable& table);

    // Empties the cluster, makes the name table and records the paths.
    bool TableClusterInitEx(const char* idxPath, const char* datPath);
    void TableClusterExit();

    bool GetTable(const char* name, CTable*& table) const;
    bool GetTable(const char* name, CTableKV*& index) const;
    // Every item key followed by "|", in item order.
    bool GetTable(const char* name, std::string& keys) const;
    void GetTables(std::vector<std::string>& names) const;
    bool IsStrEqual(const char* word, CTable* table, std::string& value, CKVTable*& attributes);
    bool IsHaveKVItem(const CTable* table) const { return table && table->HasItemKV(); }
    // Every word table as text, in name-table order, into
    // g_szNetPath/table/fileName.
    bool Dump2File(const char* fileName) const;

    // ---- text matchers (table_text_match.cpp) ----
    bool IsStrBegin(const char* text, CTable* table, int n, std::vector<CTableItemEx>& out);
    bool IsStrEnd(const char* text, CTable* table, int n, std::vector<CTableItemEx>& out);
    bool MaxMatch_R(const char* text, CTable* table, CTableItem*& item);
    bool IsStrMid(const char* text, CTable* table, int n, std::vector<CTableItemEx>& out,
                  std::vector<int>& positions);
    bool IsStrMid_R2L(const char* text, CTable* table, int n, std::vector<CTableItemEx>& out,
                      std::vector<int>& positions);

    // ---- the table indexer (table_indexer.cpp, table_json_source.cpp) ----
    bool Idx_IsJSON(const char* path) const;
    bool Idx_Batch(const char* path);
    bool Idx_BatchJSON(const char* path);

    const std::string& idxPath() const { return idxPath_; }
    const std::string& datPath() const { return datPath_; }

private:
    struct Object {
        std::unique_ptr<CTable> table;
        std::unique_ptr<CTableKV> index;
    };

    Object* Find(const char* name) const;
    void File(const std::string& name, Object* object);
    void MakeNameTable();
    // Writes one built table and reports it as the indexer does.
    bool FinishTable(const std::string& name, const std::vector<std::string>& lines, bool withIndex,
                     int& counter);

    _Hash_Table names_;
    bool namesMade_ = false;
    std::vector<std::unique_ptr<Object>> objects_;
    std::string idxPath_;
    std::string datPath_;
};

}  // namespace zel
