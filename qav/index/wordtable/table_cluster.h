// A named collection of word tables. The conditions of one query file a table
// per word list and ask whether a GBK text begins with, ends with, contains or
// equals a word of a named table.
//
// A cluster can be loaded from an index file and a data file; all integers are
// little-endian 32-bit unless noted.
//   Index file, records until its end: name length n, n name bytes (no NUL),
//   offset of the table's block in the data file, block length in bytes.
//   A record with an empty name is skipped.
//   Data block: entry count m; m 16-bit end lengths; m 16-bit start lengths;
//   item count c; c items of key length k, k key bytes, value length v,
//   v value bytes, number. Items are in ascending key order; keys and values
//   are shorter than 2,048 bytes.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "qav/index/wordtable/string_hash.h"
#include "qav/index/wordtable/word_table.h"

namespace qav {

constexpr int64_t kTableClusterBuckets = 1024;

class CTableCluster {
public:
    CTableCluster() = default;
    ~CTableCluster() { TableClusterExit(); }
    CTableCluster(const CTableCluster&) = delete;
    CTableCluster& operator=(const CTableCluster&) = delete;

    // Creates the name hash; with both paths given, loads every table of the
    // pair. False when a file cannot be opened or is damaged; tables read
    // before the failure stay loaded.
    bool TableClusterInit(const char* idx_path = "", const char* dat_path = "");
    // Builds a table from the words and files it under name (replacing an
    // earlier table of that name in the lookup). False when it could not be
    // filed, which happens only before TableClusterInit.
    bool Insert(const std::set<std::string>& words, const char* name);
    // Files a table the cluster does not own under name.
    bool UpdateTableCluster(const char* name, CTable* table);

    // False also when no table has that name, and for an empty text.
    bool IsStrBegin(std::string_view text, const char* name) const;
    bool IsStrEnd(std::string_view text, const char* name) const;
    bool IsStrMid(std::string_view text, const char* name) const;
    // When key is an item of the table: its value into value, its number
    // into number.
    bool IsStrEqual(std::string_view key, const char* name, std::string& value, uint32_t& number) const;
    // out = every key of the table, each followed by "|".
    bool GetTable(const char* name, std::string& out) const;

    // Frees the name hash and every table; TableClusterInit may follow.
    void TableClusterExit();

private:
    const CTable* Find(const char* name) const;
    bool LoadTables();

    _Hash_Table names_;
    std::vector<std::unique_ptr<CTable>> tables_;
    std::string idx_path_;
    std::string dat_path_;
};

}  // namespace qav
