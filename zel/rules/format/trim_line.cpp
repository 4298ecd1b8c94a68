#include "zel/rules/format/trim_line.h"

namespace zel {

void TrimLine(std::string& text) {
    size_t end = text.find_last_not_of(" \t");
    text.resize(end == std::string::npos ? 0 : end + 1);
}

bool ReadSourceLine(FILE* file, std::string& line) {
    line.clear();
    int c;
    while ((c = std::fgetc(file)) != EOF && c != '\n') line.push_back(static_cast<char>(c));
    if (c == EOF && line.empty()) return false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

}  // namespace zel
