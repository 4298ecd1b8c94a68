#include "zel/service/answer_rules.h"

#include <cstring>
#include <nlohmann/json.hpp>
#include <vector>

#include "zel/lattice/text_wrappers.h"

namespace zel {

std::string ToGbk(const char* utf8) {
    if (!utf8 || !*utf8) return {};
    std::vector<char> gbk(kConvertSize);
    if (UTF8_2_GBK(utf8, gbk.data()) < 0) return {};
    return gbk.data();
}

std::string ToUtf8(const std::string& gbk) {
    if (gbk.empty()) return {};
    std::vector<char> utf8(kConvertSize);
    if (GBK2UTF8(gbk.c_str(), utf8.data()) < 0) return {};
    return utf8.data();
}

int AnswerText(const std::string& answer, char* out, int size) {
    if (out && size > 0 && answer.size() < static_cast<size_t>(size)) std::memcpy(out, answer.c_str(), answer.size() + 1);
    return static_cast<int>(answer.size());
}

int AnswerJson(const std::string& answer, char* out, int size) {
    if (!out || size <= 0) return 0;
    if (answer.size() < static_cast<size_t>(size)) {
        std::memcpy(out, answer.c_str(), answer.size() + 1);
        return static_cast<int>(answer.size());
    }
    // The earlier content is only trusted up to the caller's size.
    return static_cast<int>(strnlen(out, static_cast<size_t>(size)));
}

int AnswerEmpty(char* out, int size) {
    if (out && size > 0) *out = '\0';
    return 0;
}

std::string JsonList(const std::vector<std::string>& utf8Values) {
    return nlohmann::json(utf8Values).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string JsonListMap(const std::map<std::string, std::vector<std::string>>& utf8Map) {
    return nlohmann::json(utf8Map).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string JsonLists(const std::vector<std::vector<std::string>>& utf8Lists) {
    return nlohmann::json(utf8Lists).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string JsonListGbk(const std::vector<std::string>& gbkValues, int count) {
    std::vector<std::string> values;
    for (int i = 0; i < count && i < static_cast<int>(gbkValues.size()); ++i)
        values.push_back(ToUtf8(gbkValues[static_cast<size_t>(i)]));
    return JsonList(values);
}

std::string JsonListMapGbk(const std::map<std::string, std::vector<std::string>>& gbkMap) {
    std::map<std::string, std::vector<std::string>> map;
    for (const auto& [key, values] : gbkMap) {
        std::vector<std::string>& converted = map[ToUtf8(key)];
        for (const std::string& value : values) converted.push_back(ToUtf8(value));
    }
    return JsonListMap(map);
}

}  // namespace zel
