#include "qav/service/query/request_translate.h"

#include <cJSON.h>

#include <algorithm>
#include <initializer_list>
#include <memory>
#include <vector>

#include <lua.hpp>

#include "common/text/encoding.h"
#include "qav/index/base/qav_log.h"
#include "qav/service/query/parser_script_call.h"
#include "qav/service/query/text_convert.h"
#include "qav/service/query/web_info.h"

namespace qav {

namespace {

constexpr size_t kMaxParserInputBytes = 30719;

struct JsonDeleter {
    void operator()(cJSON* json) const { cJSON_Delete(json); }
};
using Json = std::unique_ptr<cJSON, JsonDeleter>;
struct TextDeleter {
    void operator()(char* text) const { cJSON_free(text); }
};

// The record's text as JSON, logged formatted; null (logged) when it is not
// JSON.
Json ParseLogged(const std::string& text) {
    Json json(cJSON_ParseWithLength(text.data(), text.size()));
    if (!json) {
        const char* where = cJSON_GetErrorPtr();
        QavLog("Error before: [%s]\n", where ? where : "");
        return nullptr;
    }
    const std::unique_ptr<char, TextDeleter> formatted(cJSON_Print(json.get()));
    QavLog("%s\n", formatted ? formatted.get() : "");
    return json;
}

const cJSON* Member(const Json& json, const char* name) { return cJSON_GetObjectItemCaseSensitive(json.get(), name); }

bool IsAnyOf(const char* text, std::initializer_list<const char*> names) {
    for (const char* name : names)
        if (std::string(text) == name) return true;
    return false;
}

void StoreCut(std::string& target, std::string text, size_t maxBytes) {
    text.resize(QavGbkPrefixLength(text, maxBytes));
    target = std::move(text);
}

// The members StructQAVText2Json and StructQAVText2Json_Script require: the
// page size and number go into the record.
const cJSON* StructQuery(const Json& json, CWebInfo& info) {
    const cJSON* pageNum = Member(json, "PageNum");
    const cJSON* pageNo = Member(json, "PageNo");
    if (!pageNum || !pageNo) return nullptr;
    info.m_nPageSize = pageNum->valueint;
    info.m_nPageNo = pageNo->valueint;
    const cJSON* query = Member(json, "Query");
    if (!Member(json, "Func") || !cJSON_IsString(query)) return nullptr;
    if (!Member(json, "Value")) {
        QavLog("Error JSON object \"Value\"\n");
        return nullptr;
    }
    return query;
}

}  // namespace

bool unicode2gbk(const uint16_t* text, std::string& out) {
    const int length = ucs16_to_gbk(text, nullptr, 0);
    std::vector<char> gbk(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
    ucs16_to_gbk(text, gbk.data(), length);
    out.assign(gbk.data(), static_cast<size_t>(length > 0 ? length : 0));
    return true;
}

void ParseExpBMQAV(const std::string& query, int pageSize, int pageNo, int type, std::string& program) {
    CallParserScript("ParserBMQ",
                     [&](lua_State* L) {
                         lua_pushlstring(L, query.data(), query.size());
                         lua_pushnumber(L, pageSize);
                         lua_pushnumber(L, pageNo);
                         lua_pushnumber(L, type);
                         return 4;
                     },
                     program);
    QavLog("lua_pcall success!!!\n");
}

void ParseExpBMQAV(const std::string& query, const std::string& ids, int pageSize, int pageNo,
                   std::string& program) {
    CallParserScript("ParserBMID",
                     [&](lua_State* L) {
                         lua_pushlstring(L, query.data(), query.size());
                         lua_pushlstring(L, ids.data(), ids.size());
                         lua_pushnumber(L, pageSize);
                         lua_pushnumber(L, pageNo);
                         return 4;
                     },
                     program);
    QavLog("lua_pcall success!!!\n");
}

bool ParseExpStructQAV(const std::string&, std::string&, std::string&) { return true; }

bool BMQAVText2Json(CWebInfo* info) {
    const Json json = ParseLogged(info->m_text);
    if (!json) return false;
    const cJSON* func = Member(json, "Func");
    if (!func) return false;
    const char* name = cJSON_IsString(func) ? func->valuestring : "";
    const cJSON* query = Member(json, "Query");
    const cJSON* pageNum = Member(json, "PageNum");
    const cJSON* pageNo = Member(json, "PageNo");
    std::string program;
    if (IsAnyOf(name, {"Query", "query"})) {
        const cJSON* type = Member(json, "Type");
        if (!cJSON_IsString(query) || !type || !pageNum || !pageNo) return false;
        ParseExpBMQAV(query->valuestring, pageNum->valueint, pageNo->valueint, type->valueint, program);
    } else if (IsAnyOf(name, {"ID", "Id", "id"})) {
        const cJSON* idArray = Member(json, "ID");
        if (!cJSON_IsString(query) || !idArray) return false;
        std::string ids;
        const cJSON* id = nullptr;
        cJSON_ArrayForEach(id, idArray) {
            if (cJSON_IsString(id)) ids += std::string(id->valuestring) + ";";
        }
        ids.resize(std::min(ids.size(), kMaxTranslatedBytes));
        if (!pageNum || !pageNo) return false;
        ParseExpBMQAV(query->valuestring, ids, pageNum->valueint, pageNo->valueint, program);
    }
    StoreCut(info->m_text, std::move(program), kMaxTranslatedBytes);
    return true;
}

bool StructQAVText2Json(CWebInfo* info) {
    const Json json = ParseLogged(info->m_text);
    if (!json || !StructQuery(json, *info)) return false;
    std::string condition;
    const cJSON* value = nullptr;
    cJSON_ArrayForEach(value, Member(json, "Value")) {
        if (cJSON_IsObject(value) && cJSON_IsString(value->child)) {
            condition += std::string(value->child->string) + "=" + value->child->valuestring + "|";
        } else if (cJSON_IsString(value)) {
            condition += std::string(value->valuestring) + "|";
        }
    }
    StoreCut(info->m_text, std::move(condition), kMaxTranslatedBytes);
    return true;
}

bool StructQAVText2Json_Script(CWebInfo* info) {
    const Json json = ParseLogged(info->m_text);
    if (!json) return false;
    const cJSON* query = StructQuery(json, *info);
    if (!query) return false;
    StoreCut(info->m_text, query->valuestring, kWebTextBytes);
    return true;
}

void StructQAVText2Json_LUA(CWebInfo* info, int /*flag*/) {
    std::string text = info->m_text;
    text.resize(QavGbkPrefixLength(text, kMaxParserInputBytes));
    std::string program;
    CallParserScript("Parser",
                     [&](lua_State* L) {
                         lua_pushlstring(L, text.data(), text.size());
                         return 1;
                     },
                     program);
    StoreCut(info->m_text, std::move(program), kWebTextBytes);
}

}  // namespace qav
