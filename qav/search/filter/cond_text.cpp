#include "qav/search/filter/cond_text.h"

#include "common/text/gbk_char.h"

namespace qav {

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

size_t FindAscii(std::string_view text, char c) {
    for (size_t p = 0; p < text.size(); p += qz::GbkCharLen(text.data() + p, text.size() - p))
        if (text[p] == c) return p;
    return std::string_view::npos;
}

std::string_view ListText(std::string_view text) {
    size_t last = 0;
    for (size_t p = 0; p < text.size(); p += qz::GbkCharLen(text.data() + p, text.size() - p)) last = p;
    if (!text.empty() && last == text.size() - 1 && text[last] == ']') text.remove_suffix(1);
    return text;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

}  // namespace qav
