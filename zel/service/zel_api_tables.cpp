// Exported word-table functions over the process's table cluster, and the
// table and rule builders.
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "include/zellib.h"
#include "zel/lattice/attribute_text.h"
#include "zel/lattice/kv_table.h"
#include "zel/lattice/value_text.h"
#include "zel/rules/tables/table.h"
#include "zel/rules/tables/table_functions.h"
#include "zel/rules/tables/table_kv.h"
#include "zel/service/answer_rules.h"
#include "zel/service/runtime_shims.h"
#include "zel/service/start_state.h"

namespace zel {
namespace {

constexpr const char* kDefaultFolder = "./data";

CTable* FindTable(const std::string& name) {
    CTable* table = nullptr;
    return TableClusterGetTable(name.c_str(), table) ? table : nullptr;
}

// The key of the first item of the table that the text begins (or ends)
// with.
int AnswerAffix(void* handle, const char* tableName, const char* text, bool atEnd, char* out, int size) {
    if (!handle) return 0;
    CTable* table = FindTable(ToGbk(tableName));
    const std::string gbk = ToGbk(text);
    std::vector<CTableItemEx> found;
    if (!table || gbk.empty() || !g_pTableCluster ||
        !(atEnd ? g_pTableCluster->IsStrEnd(gbk.c_str(), table, 1, found)
                : g_pTableCluster->IsStrBegin(gbk.c_str(), table, 1, found)) ||
        found.empty())
        return AnswerEmpty(out, size);
    return AnswerText(ToUtf8(found.front().word), out, size);
}

// Source path "dir/name.ext" -> "name".
std::string BaseName(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) slash = path.find_last_of('\\');
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = base.rfind('.');
    return dot == std::string::npos ? base : base.substr(0, dot);
}

std::string FolderOrDefault(std::string& folder) {
    if (folder.empty()) {
        _mkdir(kDefaultFolder);
        folder = kDefaultFolder;
    }
    return folder;
}

}  // namespace
}  // namespace zel

using namespace zel;

extern "C" {

int ZEL_GetTable(void* handle, char* out, int size) {
    if (!handle) return 0;
    std::vector<std::string> names;
    TableClusterGetTables(names);
    if (names.empty()) return AnswerEmpty(out, size);
    return AnswerJson(JsonListGbk(names, static_cast<int>(names.size())), out, size);
}

int ZEL_GetTableItems(void* handle, const char* tableName, const char* expression, char* out, int size) {
    if (!handle) return 0;
    const std::string name = ToGbk(tableName), gbk = ToGbk(expression);
    CTable* table = FindTable(name);
    std::vector<std::string> keys;
    if (table && gbk.empty()) {
        for (const CTableItem& item : table->items())
            if (!item.key.empty()) keys.push_back(item.key);
    } else if (table) {
        CTableKV* index = nullptr;
        std::vector<int> numbers;
        int count = 0;
        if (TableClusterGetTable(name.c_str(), index) && index->GetKV(gbk.c_str(), numbers, count)) {
            for (int i = 0; i < count; ++i) {
                const size_t k = static_cast<size_t>(numbers[static_cast<size_t>(i)]);
                if (k < table->items().size() && !table->items()[k].key.empty()) keys.push_back(table->items()[k].key);
            }
        }
    }
    if (keys.empty()) return AnswerEmpty(out, size);
    return AnswerJson(JsonListGbk(keys, static_cast<int>(keys.size())), out, size);
}

int ZEL_GetTableItemKVs(void* handle, const char* tableName, const char* item, const char* key, char* out,
                        int size) {
    if (!handle) return 0;
    std::string attributes;
    int n = 0;
    if (!TableClusterIsStrEqual(ToGbk(item).c_str(), ToGbk(tableName).c_str(), attributes, n))
        return AnswerEmpty(out, size);
    const std::string gbkKey = ToGbk(key);
    if (!gbkKey.empty()) {
        CKVTable table;
        table.Insert2KV(attributes.c_str());
        std::vector<std::string> values;
        int count = 0;
        table.GetKVs(gbkKey.c_str(), values, count);
        if (count == 0) return AnswerEmpty(out, size);
        return AnswerJson(JsonListGbk(values, count), out, size);
    }
    std::vector<std::string> items;
    int count = 0;
    SplitAVEx(attributes.c_str(), items, count);
    std::map<std::string, std::vector<std::string>> map;
    for (int i = 0; i < count && i < static_cast<int>(items.size()); ++i) {
        const std::string& text = items[static_cast<size_t>(i)];
        const size_t eq = text.find('=');
        if (eq == std::string::npos)
            Push_backVal(map["Tag"], text.c_str());
        else
            Push_backVal(map[text.substr(0, eq)], text.substr(eq + 1).c_str());
    }
    if (map.empty()) return AnswerEmpty(out, size);
    return AnswerJson(JsonListMapGbk(map), out, size);
}

int ZEL_IsTable(void* handle, const char* tableName, const char* item, const char* expression) {
    if (!handle) return 0;
    const std::string name = ToGbk(tableName), word = ToGbk(item), gbk = ToGbk(expression);
    if (name.empty()) return 0;
    if (word.empty()) return LookupTable(name.c_str()) ? 1 : 0;
    CTable* table = FindTable(name);
    CTableItem* found = nullptr;
    if (!table || !table->Lookup(word.c_str(), found) || !found) return 0;
    if (gbk.empty()) return 1;
    CKVTable attributes;
    attributes.Insert2KV(found->value.c_str());
    return attributes.CheckExp(gbk.c_str()) ? 1 : 0;
}

int ZEL_GetPrefix(void* handle, const char* tableName, const char* text, char* out, int size) {
    return AnswerAffix(handle, tableName, text, false, out, size);
}

int ZEL_GetSuffix(void* handle, const char* tableName, const char* text, char* out, int size) {
    return AnswerAffix(handle, tableName, text, true, out, size);
}

int ZEL_MakeTable(const char* source, char* out) {
    if (!out) return 0;
    *out = '\0';
    g_vIdxTables.clear();
    if (!source || !*source) return 0;
    const std::string folder = FolderOrDefault(g_psTablePath);
    const std::string base = folder + "/" + BaseName(source) + "table";
    std::remove((base + ".idx").c_str());
    std::remove((base + ".dat").c_str());
    // A cluster of its own: the tables the host has loaded stay loaded.
    CTableCluster cluster;
    cluster.TableClusterInitEx((base + ".idx").c_str(), (base + ".dat").c_str());
    if (cluster.Idx_IsJSON(source))
        cluster.Idx_BatchJSON(source);
    else
        cluster.Idx_Batch(source);
    cluster.TableClusterExit();
    if (g_vIdxTables.empty()) return 0;
    // The indexer records names in UTF-8 already.
    return AnswerText(JsonList(g_vIdxTables), out, ZEL_LIST_ANSWER_BYTES);
}

int ZEL_MakeRule(const char* source) {
    const std::string folder = FolderOrDefault(g_psFSAPath);
    if (source && *source) RuleIdx2(source, folder.c_str());
    return 1;
}

}  // extern "C"
