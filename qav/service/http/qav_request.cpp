#include <cJSON.h>

#include <cmath>
#include <cstdint>
#include <memory>

#include "qav/service/http/http_routes.h"

namespace qav {

namespace {

struct JsonDeleter {
    void operator()(cJSON* json) const { cJSON_Delete(json); }
};

// A sentence key of a limit pair. Keys go beyond 32 bits, so the number is
// kept whole (held to the 64-bit range).
long long LimitKey(const cJSON* item) {
    const double value = cJSON_IsNumber(item) ? item->valuedouble : 0.0;
    if (value >= 9223372036854775807.0) return INT64_MAX;
    if (value <= -9223372036854775808.0) return INT64_MIN;
    return static_cast<long long>(value);
}

std::string ConditionPart(const cJSON* condition) {
    if (cJSON_IsArray(condition)) {
        std::string part = "{";
        const cJSON* item = nullptr;
        cJSON_ArrayForEach(item, condition) {
            if (!cJSON_IsString(item)) continue;
            part += ' ';
            part += item->valuestring;
        }
        return part + "}";
    }
    if (cJSON_IsString(condition)) return std::string("{") + condition->valuestring + "}";
    return "{}";
}

std::string LimitPart(const cJSON* limit) {
    if (cJSON_IsArray(limit)) {
        std::string part = "[";
        const cJSON* pair = nullptr;
        cJSON_ArrayForEach(pair, limit) {
            if (!cJSON_IsArray(pair) || cJSON_GetArraySize(pair) != 2) continue;
            part += '(' + std::to_string(LimitKey(cJSON_GetArrayItem(pair, 0))) + ',' +
                    std::to_string(LimitKey(cJSON_GetArrayItem(pair, 1))) + ");";
        }
        return part + "]";
    }
    if (cJSON_IsString(limit)) return std::string("{") + limit->valuestring + "}";
    return "";
}

}  // namespace

bool QavRequestText(const std::string& body, std::string& query) {
    const std::unique_ptr<cJSON, JsonDeleter> json(cJSON_ParseWithLength(body.data(), body.size()));
    if (!json) return false;
    const cJSON* text = cJSON_GetObjectItemCaseSensitive(json.get(), "query");
    query = cJSON_IsString(text) ? text->valuestring : "";
    query += ConditionPart(cJSON_GetObjectItemCaseSensitive(json.get(), "condition"));
    const cJSON* limit = cJSON_GetObjectItemCaseSensitive(json.get(), "limit");
    if (limit) query += LimitPart(limit);
    return true;
}

}  // namespace qav
