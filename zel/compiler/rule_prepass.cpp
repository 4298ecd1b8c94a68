#include "zel/compiler/rule_prepass.h"

#include "zel/compiler/compiler_text.h"
#include "zel/rules/format/trim_line.h"

namespace zel {

namespace {

// A word as a context: either a one-character unit of type HZ that is the
// word, or the word itself.
std::string ContextPattern(const std::string& word) { return "[ ( +Type=HZ " + word + ") " + word + "]"; }

// Items of a context list are kept only when they can be a unit: Chinese
// text, a condition or a table reference.
bool IsContextItem(const std::string& item) {
    return !item.empty() && (static_cast<unsigned char>(item[0]) >= 0x80 || item.find('=') != std::string::npos ||
                             item.find('_') != std::string::npos);
}

std::vector<std::string> SplitAtBlanks(const std::string& text) {
    std::vector<std::string> items;
    size_t at = 0;
    while (at < text.size()) {
        while (at < text.size() && text[at] == ' ') ++at;
        const size_t start = at;
        while (at < text.size() && text[at] != ' ') at += CharAt(text, at);
        if (at > start) items.emplace_back(text, start, at - start);
    }
    return items;
}

std::string WithoutLeadingCarets(const std::string& item) {
    return item.substr(std::min(item.find_first_not_of('^'), item.size()));
}

// The expansion of the context mark at text[at] == '^'; consumed is set to the
// length of the mark.
std::string ProcessContext_LH(const std::string& text, size_t at, size_t& consumed) {
    const size_t start = at + 1;
    const char opener = start < text.size() ? text[start] : '\0';
    if (opener == '(' || opener == '[') {
        const char closer = opener == '(' ? ')' : ']';
        size_t end = GbkFindChar(text, closer, start + 1);
        const size_t innerEnd = end == std::string::npos ? text.size() : end;
        consumed = (end == std::string::npos ? text.size() : end + 1) - at;
        const std::vector<std::string> items = SplitAtBlanks(text.substr(start + 1, innerEnd - start - 1));
        std::string out(1, opener);
        if (opener == '(') {
            if (!items.empty()) {
                const std::string first = WithoutLeadingCarets(items[0]);
                if (IsContextItem(first)) out += ContextPattern(first);
            }
            out += ' ';
            for (size_t i = 1; i < items.size(); ++i) out += " " + items[i];
        } else {
            for (const std::string& raw : items) {
                const std::string item = WithoutLeadingCarets(raw);
                if (IsContextItem(item)) out += ContextPattern(item);
                out += ' ';
            }
        }
        out += closer;
        return out;
    }
    size_t end = start;
    while (end < text.size() && text[end] != ' ' && text[end] != '\t' && text[end] != '\n' && text[end] != ')' &&
           text[end] != ']')
        end += CharAt(text, end);
    consumed = end - at;
    return ContextPattern(text.substr(start, end - start));
}

bool IsBlockOpener(const std::string& text) { return text == "{" || text == "{{" || text == "<"; }
bool IsBlockCloser(const std::string& text) { return text == "}" || text == "}}" || text == ">"; }

void CutAt(std::string& text, std::string_view mark) {
    const size_t at = GbkFind(text, mark);
    if (at != std::string::npos) text.resize(at);
}

// Blanks right after a '^' belong to the mark, not between items.
std::string JoinCarets(const std::string& text) {
    std::string out;
    for (size_t at = 0; at < text.size();) {
        const size_t step = CharAt(text, at);
        out.append(text, at, step);
        if (step == 1 && text[at] == '^') {
            at += 1;
            while (at < text.size() && text[at] == ' ') ++at;
        } else {
            at += step;
        }
    }
    return out;
}

void WriteContext(const std::vector<std::string>& patternLines, std::string& out) {
    for (const std::string& line : patternLines) {
        if (line == "(" || line == ")" || StartsWith(line, ".")) continue;
        out += line;
        out += '\n';
    }
}

}  // namespace

std::string TransferConetxt(const std::string& line) {
    std::string out;
    for (size_t at = 0; at < line.size();) {
        const size_t step = CharAt(line, at);
        if (step == 1 && line[at] == '^') {
            size_t consumed = 0;
            out += ProcessContext_LH(line, at, consumed);
            at += consumed;
        } else {
            out.append(line, at, step);
            at += step;
        }
    }
    return out;
}

std::string TransferOperation(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (size_t at = 0; at < text.size();) {
        const size_t step = CharAt(text, at);
        char escaped = '\0';
        if (step == 1) {
            switch (text[at]) {
                case '"': escaped = '&'; break;
                case '#': escaped = '!'; break;
                case '+': escaped = '-'; break;
                case '?': escaped = '_'; break;
                case '[': escaped = '<'; break;
                case ']': escaped = '>'; break;
                case '{': escaped = '*'; break;
                case '}': escaped = '|'; break;
                case '~': escaped = '/'; break;
                default: break;
            }
        }
        if (escaped) {
            out += '\\';
            out += escaped;
        } else {
            out.append(text, at, step);
        }
        at += step;
    }
    return out;
}

std::string WriteOperator(const std::vector<std::string>& actionLines) {
    std::string joined;
    for (const std::string& line : actionLines) joined += line + "\\@";
    return "{" + TransferOperation(joined) + "}\n";
}

std::string PrepassRuleText(const std::string& text) {
    std::string out;
    std::vector<std::string> patternLines;
    std::vector<std::string> actionLines;
    bool inBlock = false;
    bool inSubRule = false;
    for (std::string line : SplitLines(text)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        CutAt(line, "--");
        CutAt(line, "\\\\");
        TrimLine(line);
        if (StartsWith(line, "sub ")) {
            line.erase(0, 4);
            inSubRule = true;
        }
        if (line.empty() || StartsWith(line, "//")) continue;
        if (inSubRule) {
            out += line + "\n";
            if (line == ")") inSubRule = false;
        } else if (IsBlockOpener(line)) {
            inBlock = true;
        } else if (IsBlockCloser(line)) {
            out += ".R\n(\n";
            WriteContext(patternLines, out);
            out += WriteOperator(actionLines);
            out += ")\n";
            patternLines.clear();
            actionLines.clear();
            inBlock = false;
        } else if (inBlock) {
            CutAt(line, "//");
            actionLines.push_back(line);
        } else {
            patternLines.push_back(TransferConetxt(JoinCarets(line)));
        }
    }
    return out;
}

bool ProcessRule(const std::string& source, const std::string& output) {
    std::string text;
    if (!ReadTextFile(source, text)) return false;
    return WriteTextFile(output, PrepassRuleText(text));
}

}  // namespace zel
