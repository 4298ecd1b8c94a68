// Word tables: whether a table or an item is there, the attributes of an
// item, and the items of a table, all or by attribute condition.
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "zel/lattice/kv_table.h"
#include "zel/lattice/lattice.h"
#include "zel/rules/tables/table_functions.h"
#include "zel/service/lua/action_args.h"
#include "zel/service/lua/action_functions.h"

namespace zel::actions {

namespace {

bool Texts(lua_State* L, int n) {
    for (int i = 1; i <= n; ++i)
        if (!IsText(L, i)) return false;
    return true;
}

bool HasAny(const std::string& key, std::initializer_list<const char*> parts) {
    for (const char* part : parts)
        if (key.find(part) != std::string::npos) return true;
    return false;
}

// Keys of the table's items: all of them in table order, or those holding
// every pair of the condition, in the order the table's index gives them.
std::vector<std::string> ItemKeys(const std::string& name, const std::string* condition) {
    std::vector<std::string> keys;
    CTable* table = nullptr;
    if (!TableClusterGetTable(name.c_str(), table)) return keys;
    const std::vector<CTableItem>& items = table->items();
    if (!condition) {
        for (const CTableItem& item : items) keys.push_back(item.key);
        return keys;
    }
    CTableKV* index = nullptr;
    if (!TableClusterGetTable(name.c_str(), index)) return keys;
    std::vector<int> numbers;
    int count = 0;
    if (!index->GetKV(condition->c_str(), numbers, count)) return keys;
    for (int i = 0; i < count; ++i) {
        const int number = numbers[static_cast<size_t>(i)];
        if (number >= 0 && number < static_cast<int>(items.size())) keys.push_back(items[static_cast<size_t>(number)].key);
    }
    return keys;
}

// (table) or (table, condition): the item keys that keep passes, or the
// misuse message.
int PushItemKeys(lua_State* L, const char* misuse, bool (*keep)(const std::string& key)) {
    const int n = lua_gettop(L);
    if (!LatticeOf(L)) return 0;
    if ((n != 1 && n != 2) || !Texts(L, n)) {
        ParamError(misuse);
        lua_newtable(L);
        return 1;
    }
    const std::string condition = n == 2 ? TextArg(L, 2) : "";
    std::vector<std::string> keys = ItemKeys(TextArg(L, 1), n == 2 ? &condition : nullptr);
    std::vector<std::string> kept;
    for (const std::string& key : keys)
        if (keep(key)) kept.push_back(key);
    PushList(L, kept);
    return 1;
}

}  // namespace

int IsTable(lua_State* L) {
    const int n = lua_gettop(L);
    if (!LatticeOf(L)) return 0;
    if (n < 1 || n > 3 || !Texts(L, n)) {
        ParamError("IsTable Param Error!");
        lua_pushboolean(L, 0);
        return 1;
    }
    const std::string name = TextArg(L, 1);
    bool holds = false;
    if (n == 1) {
        holds = LookupTable(name.c_str());
    } else {
        CTable* table = nullptr;
        CTableItem* item = nullptr;
        holds = TableClusterGetTable(name.c_str(), table) && table->Lookup(TextArg(L, 2).c_str(), item);
        if (holds && n == 3) {
            CKVTable attributes;
            attributes.Insert2KV(item->value.c_str());
            holds = attributes.CheckExp(TextArg(L, 3).c_str());
        }
    }
    lua_pushboolean(L, holds);
    return 1;
}

int GetTableKVs(lua_State* L) {
    const int n = lua_gettop(L);
    if ((n != 2 && n != 3) || !Texts(L, n)) {
        ParamError("GetTableKVs Param Error!");
        lua_newtable(L);
        return 1;
    }
    std::string value;
    int count = 0;
    if (!TableClusterIsStrEqual(TextArg(L, 2).c_str(), TextArg(L, 1).c_str(), value, count)) {
        lua_newtable(L);
        return 1;
    }
    CKVTable attributes;
    attributes.Insert2KV(value.c_str());
    if (n == 3) {
        std::vector<std::string> values;
        int found = 0;
        attributes.GetKVs(TextArg(L, 3).c_str(), values, found);
        PushList(L, values, found);
        return 1;
    }
    std::map<std::string, std::vector<std::string>> map;
    attributes.CollectKVInfoEx(map);
    PushListMap(L, map);
    return 1;
}

int GetTableItems(lua_State* L) {
    return PushItemKeys(L, "GetTableKVItems Param Error!", [](const std::string&) { return true; });
}

int GetTableKVItems(lua_State* L) {
    const int n = lua_gettop(L);
    if (!LatticeOf(L)) return 0;
    if (n == 1 && IsText(L, 1)) {
        std::vector<std::string> keys;
        CTable* table = nullptr;
        if (TableClusterGetTable(TextArg(L, 1).c_str(), table))
            for (const CTableItemKV& entry : table->itemKVs()) keys.push_back(entry.key);
        PushList(L, keys);
        return 1;
    }
    return PushItemKeys(L, "GetTableKVItems Param Error!",
                        [](const std::string& key) { return HasAny(key, {"=", "URoot"}); });
}

int GetTableWordItems(lua_State* L) {
    return PushItemKeys(L, "GetTableWordItems Param Error!",
                        [](const std::string& key) { return !HasAny(key, {"=", "URoot", "#Global"}); });
}

}  // namespace zel::actions
