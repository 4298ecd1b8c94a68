#include "zel/lattice/value_text.h"

#include <cstring>

#include "zel/lattice/attribute_text.h"

namespace zel {

namespace {

// The work buffer callers keep their texts within.
constexpr size_t kSplitTextSize = 5120000;

bool StartsWith(const char* text, const char* prefix) { return std::strncmp(text, prefix, std::strlen(prefix)) == 0; }

}  // namespace

void SplitStr(const char* text, const char* delimiters, std::vector<std::string>& tokens) {
    tokens.clear();
    if (!text || std::strlen(text) >= kSplitTextSize) return;
    const char* p = text;
    while (*p) {
        p += std::strspn(p, delimiters);
        const size_t length = std::strcspn(p, delimiters);
        if (length > 0 && length < kItemSize) tokens.emplace_back(p, length);
        p += length;
    }
}

void Push_backVal(std::vector<std::string>& values, const char* text) {
    std::string current;
    bool quoted = false;
    for (const char* p = text; p && *p; ++p) {
        if (*p == '[' || *p == ']') continue;
        if (*p == '"') {
            quoted = true;
        } else if (!quoted && (*p == ' ' || *p == '\t')) {
            if (!current.empty()) values.push_back(current);
            current.clear();
        } else if (current.size() < kItemSize - 1) {
            current += *p;
        }
    }
    if (!current.empty()) values.push_back(current);
}

bool IsDup(std::set<std::string>& seen, const std::string& text, int k) {
    return !seen.insert(text + "_" + std::to_string(k)).second;
}

int GetEntryVal(const char* key) {
    if (StartsWith(key, "HeadWord") || StartsWith(key, "XB")) return 1;
    if (StartsWith(key, "Word")) return 2;
    if (StartsWith(key, "POS")) return 4;
    return 3;
}

}  // namespace zel
