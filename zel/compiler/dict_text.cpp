#include "zel/compiler/dict_text.h"

#include <algorithm>
#include <vector>

#include "common/platform/file_handle.h"
#include "common/text/encoding.h"
#include "zel/compiler/compiler_text.h"

namespace zel {

void SplitDictInfo(std::string_view text, std::string& first, std::string& second, std::string& rest) {
    first.clear();
    second.clear();
    rest.clear();
    size_t field = 0;
    for (size_t at = 0; at < text.size();) {
        const size_t step = CharAt(text, at);
        const char c = text[at];
        if (step == 1 && c == ')') break;
        if (step == 1 && (c == ' ' || c == '(' || c == ';')) {
            ++field;
        } else {
            std::string& target = field == 0 ? first : field == 1 ? second : rest;
            target.append(text, at, step);
        }
        at += step;
    }
}

bool ParseDictRuleInfo(std::string_view text, std::string& kind, std::string& name, std::string& arguments) {
    const size_t open = GbkFindChar(text, '(');
    if (open == std::string_view::npos) return false;
    name.clear();
    for (size_t at = 0; at < open;) {
        const size_t step = CharAt(text, at);
        const char c = text[at];
        name += step == 1 && c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        if (step > 1) name.append(text, at + 1, step - 1);
        at += step;
    }
    std::string_view rest = text.substr(open + 1);
    if (!rest.empty() && rest.back() == ')') rest.remove_suffix(1);
    arguments = std::string(rest);
    kind = "Word";
    return true;
}

bool Convert2GB(const std::string& input, const std::string& output) {
    std::string text;
    if (!ReadTextFile(input, text)) return false;
    qz::FileHandle out = qz::OpenFile(output, "wb");
    if (!out) return false;
    std::vector<char> gbk;
    for (const std::string& line : SplitLinesWithEnds(text)) {
        // Lines are converted whole: a cut line would split a character.
        gbk.resize(static_cast<size_t>(std::max(utf8_to_gbk(line.c_str(), nullptr, 0), 0)) + 1);
        const int length = utf8_to_gbk(line.c_str(), gbk.data(), static_cast<int>(gbk.size()));
        if (length > 0) fwrite(gbk.data(), 1, static_cast<size_t>(length), out.get());
    }
    return qz::CloseFile(out);
}

}  // namespace zel
