// Query functions on the process-wide word categories. They need no search
// object and work under either engine kind.
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <cjson/cJSON.h>
#include <lua.hpp>

#include "common/text/encoding.h"
#include "qav/index/base/cat_table.h"
#include "qav/search/filter/cat_tags.h"
#include "qav/service/lua/lua_query_functions.h"
#include "qav/service/lua/lua_slots.h"
#include "qav/service/lua/query_args.h"

namespace qav {

namespace {

// Room of the listing texts: a whole answer, and one word of it.
constexpr size_t kMaxListingBytes = 65535;
constexpr size_t kMaxWordBytes = 10239;

// The UTF-8 form of a GBK text, cut after the last whole character that fits
// in maxBytes.
std::string Utf8Of(const std::string& gbk, size_t maxBytes) {
    std::string utf8(maxBytes + 1, '\0');
    gbk_to_utf8(gbk.c_str(), utf8.data(), static_cast<int>(maxBytes));
    utf8.resize(std::strlen(utf8.c_str()));
    return utf8;
}

// Cuts a UTF-8 text to at most maxBytes, keeping whole characters.
void CutUtf8(std::string& text, size_t maxBytes) {
    if (text.size() <= maxBytes) return;
    size_t end = maxBytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    text.resize(end);
}

struct JsonDeleter {
    void operator()(cJSON* json) const { cJSON_Delete(json); }
    void operator()(char* text) const { cJSON_free(text); }
};

// {"type":type,"total":<entries>,"res":[entries in UTF-8]}, formatted.
std::string ListingJson(const char* type, const std::vector<std::string>& gbkEntries, size_t maxEntryBytes) {
    std::unique_ptr<cJSON, JsonDeleter> root(cJSON_CreateObject());
    if (!root) return std::string();
    cJSON* list = cJSON_CreateArray();
    if (!list) return std::string();
    cJSON_AddStringToObject(root.get(), "type", type);
    cJSON_AddNumberToObject(root.get(), "total", static_cast<double>(gbkEntries.size()));
    cJSON_AddItemToObject(root.get(), "res", list);
    for (const std::string& entry : gbkEntries)
        cJSON_AddItemToArray(list, cJSON_CreateString(Utf8Of(entry, maxEntryBytes).c_str()));
    std::unique_ptr<char, JsonDeleter> printed(cJSON_Print(root.get()));
    return printed ? std::string(printed.get()) : std::string();
}

void PushTextTable(lua_State* L, const std::vector<std::string>& texts) {
    lua_createtable(L, static_cast<int>(texts.size()), 0);
    lua_Integer index = 1;
    for (const std::string& text : texts) {
        lua_pushlstring(L, text.data(), text.size());
        lua_rawseti(L, -2, index++);
    }
}

}  // namespace

int LuaAddTag(lua_State* L) {
    if (lua_gettop(L) != 2 || !lua_isstring(L, 1) || !lua_isstring(L, 2)) return 0;
    AddTag(lua_tostring(L, 1), lua_tostring(L, 2));
    return 0;
}

int LuaClearTag(lua_State* L) {
    if (lua_gettop(L) != 1) {
        g_mCatTable.Clear();
    } else if (IsStringArg(L, 1)) {
        g_mCatTable.Remove(lua_tostring(L, 1));
    }
    return PushNil(L);
}

int LuaGetTags(lua_State* L) {
    const bool web = lua_getwebbuff(L) != nullptr;
    const bool asTable = lua_gettop(L) == 0 && !web;
    std::vector<std::string> names;
    GetTags(names);
    if (asTable) {
        PushTextTable(L, names);
        return 1;
    }
    if (web) return PushNil(L);
    std::string json = ListingJson("GetTags", names, kMaxListingBytes);
    CutUtf8(json, kMaxListingBytes);
    lua_pushlstring(L, json.data(), json.size());
    return 1;
}

int LuaGetTagVal(lua_State* L) {
    const int count = lua_gettop(L);
    if (count >= 1 && !lua_isstring(L, 1)) {
        lua_newtable(L);
        return 1;
    }
    const bool asTable = count == 1 && !lua_getwebbuff(L);
    std::vector<std::string> entries;
    if (count == 0)
        GetTags(entries);
    else
        GetTagVal(lua_tostring(L, 1), entries);
    if (asTable) {
        PushTextTable(L, entries);
        return 1;
    }
    const std::string json = ListingJson("GetKV", entries, kMaxWordBytes);
    lua_pushlstring(L, json.data(), json.size());
    return 1;
}

}  // namespace qav
