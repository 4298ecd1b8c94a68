#include "zel/compiler/compiler_text.h"

#include <cstdio>

#include "common/text/gbk_char.h"

namespace zel {

size_t CharAt(std::string_view text, size_t at) { return qz::GbkCharLen(text.data() + at, text.size() - at); }

size_t GbkFind(std::string_view text, std::string_view what, size_t from) {
    for (size_t at = from; at < text.size(); at += CharAt(text, at)) {
        if (text.compare(at, what.size(), what) == 0) return at;
    }
    return std::string_view::npos;
}

size_t GbkFindChar(std::string_view text, char what, size_t from) {
    for (size_t at = from; at < text.size(); at += CharAt(text, at)) {
        if (text[at] == what) return at;
    }
    return std::string_view::npos;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.emplace_back(text, start, end - start);
        start = end + 1;
    }
    return lines;
}

std::vector<std::string> SplitLinesWithEnds(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end + 1;
        lines.emplace_back(text, start, end - start);
        start = end;
    }
    return lines;
}

std::string_view LineContent(std::string_view line) {
    if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

void TrimLeftBlanks(std::string& text) {
    size_t start = 0;
    while (start < text.size() && (text[start] == ' ' || text[start] == '\t')) ++start;
    text.erase(0, start);
}

bool StartsWith(std::string_view text, std::string_view head) { return text.substr(0, head.size()) == head; }

bool ReadTextFile(const std::string& path, std::string& text) {
    text.clear();
    FILE* file = fopen(path.c_str(), "rb");
    if (!file) return false;
    char block[65536];
    size_t n;
    while ((n = fread(block, 1, sizeof block, file)) > 0) text.append(block, n);
    const bool ok = !ferror(file);
    fclose(file);
    return ok;
}

bool WriteTextFile(const std::string& path, const std::string& text) {
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool written = fwrite(text.data(), 1, text.size(), file) == text.size();
    return fclose(file) == 0 && written;
}

}  // namespace zel
