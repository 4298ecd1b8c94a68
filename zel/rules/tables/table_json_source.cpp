// The table indexer over JSON sources: {"Table": name, "Units": [...]} where
// each unit {"Unit": word, "Att": {...}} becomes one item line of the word
// and its attributes, nested objects flattened as prefix_name.
#include <cjson/cJSON.h>

#include <cstdio>
#include <memory>

#include "common/platform/file_handle.h"
#include "zel/rules/tables/table_functions.h"
#include "zel/rules/tables/whole_text_convert.h"

namespace zel {
namespace {

struct JsonDeleter {
    void operator()(cJSON* json) const { cJSON_Delete(json); }
};

std::string Named(const char* prefix, const char* name) {
    return *prefix ? std::string(prefix) + "_" + name : std::string(name);
}

// "[", then " " and each number or string element, then "]".
std::string ListText(const cJSON* array) {
    std::string list = "[";
    for (const cJSON* element = array->child; element; element = element->next) {
        if (cJSON_IsNumber(element)) {
            list.append(" ").append(std::to_string(element->valueint));
        } else if (cJSON_IsString(element)) {
            list.append(" ").append(element->valuestring);
        }
    }
    return list + "]";
}

// Appends " name=value" (or " prefix_name=value") for one attribute member;
// an object adds each of its members with its own name as their prefix.
void GetAttInfo(const cJSON* item, const char* prefix, std::string& text) {
    if (!item->string) return;
    if (cJSON_IsNumber(item)) {
        text.append(" ").append(Named(prefix, item->string)).append("=").append(std::to_string(item->valueint));
    } else if (cJSON_IsString(item)) {
        text.append(" ").append(Named(prefix, item->string)).append("=").append(item->valuestring);
    } else if (cJSON_IsArray(item)) {
        text.append(" ").append(Named(prefix, item->string)).append("=").append(ListText(item));
    } else if (cJSON_IsObject(item)) {
        for (const cJSON* member = item->child; member; member = member->next) GetAttInfo(member, item->string, text);
    }
}

// The word, then for each attribute a blank and its text; false for a unit
// without a "Unit" string.
bool GetUnitInfo(const cJSON* unit, std::string& line) {
    const cJSON* word = cJSON_GetObjectItemCaseSensitive(unit, "Unit");
    if (!cJSON_IsString(word)) return false;
    line = word->valuestring;
    const cJSON* attributes = cJSON_GetObjectItemCaseSensitive(unit, "Att");
    if (cJSON_IsObject(attributes)) {
        for (const cJSON* member = attributes->child; member; member = member->next) {
            line.append(" ");
            GetAttInfo(member, "", line);
        }
    }
    return true;
}

}  // namespace

bool CTableCluster::Idx_BatchJSON(const char* path) {
    g_vIdxTables.clear();
    std::string text;
    if (!path || !qz::ReadWholeFile(path, text)) return false;
    std::unique_ptr<cJSON, JsonDeleter> document(cJSON_Parse(text.c_str()));
    if (!document) {
        const char* at = cJSON_GetErrorPtr();
        std::printf("Error before:[%s]\n", at ? at : "");
        return false;
    }
    const cJSON* name = cJSON_GetObjectItemCaseSensitive(document.get(), "Table");
    const cJSON* units = cJSON_GetObjectItemCaseSensitive(document.get(), "Units");
    if (!cJSON_IsString(name) || !(cJSON_IsArray(units) || cJSON_IsObject(units))) return false;
    std::vector<std::string> lines;
    std::string line;
    for (const cJSON* unit = units->child; unit; unit = unit->next) {
        if (GetUnitInfo(unit, line)) lines.push_back(Utf8ToGbk(line));
    }
    CTable table;
    bool hasColl = false;
    table.SetTableEx(name->valuestring, lines, true, hasColl);
    if (!Write2File(name->valuestring, table)) {
        std::printf("Warning:No Write to file");
        return false;
    }
    // The name was taken as it stands in the (UTF-8) source.
    if (hasColl) g_vIdxTables.push_back(name->valuestring);
    return true;
}

}  // namespace zel
