#include "qav/fulltext/build/split_line.h"

#include <algorithm>

#include "common/text/text_utils.h"
#include "qav/fulltext/format/term_table.h"

namespace qav {

namespace bm {
namespace {

bool IsSeparator(char c) { return c == ' ' || c == '\t' || c == '\n'; }
bool IsLeadByte(char c) { return static_cast<unsigned char>(c) >= 0x80; }

// Position of the last "/" of a GBK token, stepping over two-byte characters;
// npos when there is none.
size_t LastSlash(std::string_view token) {
    size_t slash = std::string_view::npos;
    for (size_t i = 0; i < token.size(); ++i) {
        if (IsLeadByte(token[i])) {
            ++i;
        } else if (token[i] == '/') {
            slash = i;
        }
    }
    return slash;
}

// The word cut to kMaxTermBytes without splitting a two-byte character.
std::string_view CutWord(std::string_view word) {
    if (word.size() <= kMaxTermBytes) return word;
    size_t end = 0;
    while (end < word.size()) {
        const size_t next = end + (IsLeadByte(word[end]) ? 2 : 1);
        if (next > kMaxTermBytes) break;
        end = next;
    }
    return word.substr(0, end);
}

bool IsNumber(std::string_view word) { return word.find_first_not_of("0123456789.") == std::string_view::npos; }

}  // namespace

std::vector<std::string> SplitLine(std::string_view text, const StrSet& stopWords, const StrSet& stopTags,
                                   bool dropNumbers) {
    std::vector<std::string> words;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = start;
        while (end < text.size() && !IsSeparator(text[end])) end += IsLeadByte(text[end]) ? 2 : 1;
        end = std::min(end, text.size());
        const std::string_view token = text.substr(start, end - start);
        start = end + 1;
        if (token.empty()) continue;
        const size_t slash = LastSlash(token);
        const std::string_view word = CutWord(token.substr(0, slash));
        const std::string_view tag = slash == std::string_view::npos ? std::string_view() : token.substr(slash + 1);
        if (word.empty() || (dropNumbers && IsNumber(word))) continue;
        if (stopTags.count(tag) != 0 || stopWords.count(word) != 0) continue;
        words.emplace_back(word);
    }
    return words;
}

bool GetLineInfo(std::string_view text, std::map<std::string, std::string>& info) {
    info.clear();
    std::vector<std::string> items;
    qz::SplitString(std::string(text).c_str(), ";", items);
    for (const std::string& item : items) {
        const size_t equals = item.find('=');
        if (equals != std::string::npos) info[item.substr(0, equals)] = item.substr(equals + 1);
    }
    return !items.empty();
}

}  // namespace bm

}  // namespace qav
