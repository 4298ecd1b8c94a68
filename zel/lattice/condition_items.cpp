#include "zel/lattice/condition_items.h"

#include <algorithm>
#include <cstring>

namespace zel {

void SplitConditionItem(const char* item, std::string& key, std::string& value) {
    const char* equals = std::strchr(item, '=');
    if (equals) {
        key.assign(item, static_cast<size_t>(equals - item));
        value = equals + 1;
        return;
    }
    value = item;
    const bool word = value.find('_') != std::string::npos || static_cast<unsigned char>(value[0]) >= 0x80;
    key = word ? "Word" : "Tag";
}

bool CheckConditionItems(const char* condition, const std::function<bool(const char* item)>& holds) {
    if (!condition) return false;
    const std::string text(condition, std::min(std::strlen(condition), kConditionSize - 1));
    const bool all = text.find('&') != std::string::npos;
    const char separator = all ? '&' : '|';
    if (!all && text.find('|') == std::string::npos) return holds(text.c_str());
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(separator, start);
        if (end == std::string::npos) end = text.size();
        const std::string piece = text.substr(start, end - start);
        start = end + 1;
        if (piece.empty()) continue;
        const bool held = holds(piece.c_str());
        if (all && !held) return false;
        if (!all && held) return true;
    }
    return all;
}

}  // namespace zel
