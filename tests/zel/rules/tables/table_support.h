// Word tables for the table tests: a source (GBK, or UTF-8 for ".json") built into a folder's
// "Ttable" pair (by a cluster of its own, torn down afterwards, as the build
// driver does) and loaded into the process's cluster.
#pragma once

#include <string>

#include "support/test_support.h"
#include "zel/rules/format/table_format.h"
#include "zel/rules/tables/table_functions.h"

namespace zel {

inline bool BuildTables(const qztest::TempDir& dir, const std::string& utf8Source, const char* file = "src.txt") {
    bool json = std::string(file).find(".json") != std::string::npos;
    qztest::WriteFile(dir.file(file), json ? utf8Source : qztest::Gbk(utf8Source));
    std::string idx, dat;
    TableFilePaths(dir.path(), "T", idx, dat);
    TableClusterPrepare();
    TableClusterInitEx(idx.c_str(), dat.c_str());
    bool ok = TableClusterIdx(dir.file(file).c_str());
    TableClusterExit();
    return ok;
}

inline bool LoadTables(const qztest::TempDir& dir) { return GlobalInit_Coll({"T"}, dir.path().c_str()); }

inline CTable* Table(const char* name) {
    CTable* table = nullptr;
    return TableClusterGetTable(name, table) ? table : nullptr;
}

}  // namespace zel
