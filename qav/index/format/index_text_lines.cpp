#include "qav/index/format/index_text_lines.h"

#include <cstdlib>

namespace qav {

namespace {

std::string Number(int64_t value) { return std::to_string(value); }

// Leading decimal number as atoll reads it (blanks, sign, digits).
int64_t LeadingNumber(std::string_view text) {
    return std::atoll(std::string(text.substr(0, 32)).c_str());
}

}  // namespace

std::string ListLine(const std::string& dataTextPath, int kind) {
    return dataTextPath + "\t" + std::to_string(kind) + "\n";
}

std::string DataTextLine(int64_t lineNo, std::string_view sentence) {
    return Number(lineNo) + "\t" + std::string(sentence) + "\n";
}

std::string OrgLines(int64_t first, int64_t end, std::string_view name) {
    return "#" + Number(first) + "\t" + Number(end) + "\nT:" + std::string(name) + "\nEx:\n";
}

std::string SentInfoTextLine(int64_t lineNo, int64_t docIndex, std::string_view tag) {
    return Number(lineNo) + "\t" + Number(docIndex) + "\t" + std::string(tag) + "\n";
}

std::string DocInfoHeaderLine(int64_t docIndex) { return "#" + Number(docIndex) + "\n"; }

std::string IdLine(int64_t key, int64_t lineNo) { return Number(key) + "\t" + Number(lineNo) + "\n"; }

std::string CountLine(std::string_view text, int64_t count) {
    return std::string(text) + "\t" + Number(count) + "\n";
}

void StripLineEnd(std::string* line) {
    if (!line->empty() && line->back() == '\n') line->pop_back();
    if (!line->empty() && line->back() == '\r') line->pop_back();
}

bool ParseListLine(std::string_view line, std::string* path, int* kind) {
    if (line.empty()) return false;
    const char first = line.front();
    if (first == ' ' || first == '#' || first == '-' || first == '\\') return false;
    const size_t tab = line.find('\t');
    *path = std::string(line.substr(0, tab));
    *kind = tab == std::string_view::npos ? -1 : static_cast<int>(LeadingNumber(line.substr(tab + 1)));
    return true;
}

bool ParseIdLine(std::string_view line, int64_t* key, int64_t* lineNo) {
    const size_t tab = line.find('\t');
    if (tab == std::string_view::npos) return false;
    *key = LeadingNumber(line.substr(0, tab));
    *lineNo = LeadingNumber(line.substr(tab + 1));
    return true;
}

}  // namespace qav
