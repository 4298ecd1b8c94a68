#include "zel/compiler/rule_base_compiler.h"

#include <sys/stat.h>

#include "zel/compiler/compiler_messages.h"
#include "zel/compiler/compiler_text.h"
#include "zel/rules/format/trim_line.h"
#include "zel/compiler/net_encoder.h"
#include "zel/compiler/operator_source.h"
#include "zel/compiler/word_net.h"
#include "zel/rules/format/fsa_format.h"

namespace zel {

namespace {

std::string CleanListLine(std::string line) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    TrimLine(line);
    for (const char* mark : {"--", "\\\\"}) {
        const size_t at = GbkFind(line, mark);
        if (at != std::string::npos) line.resize(at);
    }
    return line;
}

bool IsSectionLine(const std::string& line) {
    return StartsWith(line, "RuleSet ") || StartsWith(line, "FSA ") || StartsWith(line, "NameSpace ") ||
           StartsWith(line, "FuncLib");
}

std::string UpperCase(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

// The text after the first blank of a directive line; the network's name for
// a line without one.
std::string DirectiveValue(const std::string& line, const std::string& name) {
    const size_t blank = line.find(' ');
    return blank == std::string::npos ? name : line.substr(blank + 1);
}

// The directive lists a header line adds to, or null for an ordinary line.
std::vector<std::string>* DirectiveList(const std::string& line, NetLists& lists) {
    const auto has = [&](const char* a, const char* b) {
        return GbkFind(line, a) != std::string::npos || GbkFind(line, b) != std::string::npos;
    };
    if (has("#include", "#Include")) return &lists.libraries;
    if (has("#param", "#Param")) return &lists.defaults;
    if (has("#entry", "#Entry")) return &lists.conditions;
    return nullptr;
}

// Keyword, name and pending lines of the section being read.
class ListCompiler {
public:
    ListCompiler(FILE* data, std::string defaultLibrary) : data_(data), defaultLibrary_(std::move(defaultLibrary)) {}

    void Line(const std::string& line) {
        if (line.empty() || line[0] == '/' || line[0] == '\\') return;
        if (line[0] == '@') {
            Flush();
            name_ = line.substr(1);
            named_ = true;
        } else if (IsSectionLine(line)) {
            Flush();
            TakeSection(line);
        } else if (StartsWith(line, "def ") && !defSeen_) {
            Flush();
            defSeen_ = true;
            keyword_ = "FuncLib";
            name_ = defaultLibrary_;
            named_ = true;
            pending_.push_back(line);
        } else {
            pending_.push_back(line);
        }
    }

    void Flush() {
        if (pending_.empty()) return;
        if (!named_) {
            // Lines before any section or network name have nothing to be
            // compiled as.
            CompilerError("Error format %s\n", pending_.front());
        } else if (StartsWith(name_, "sub") || keyword_ == "NameSpace" || keyword_ == "FuncLib") {
            if (g_showMsg) printf("Idxing sub %s\n", name_.c_str());
            snippets_.AddSection(name_, pending_);
        } else {
            CompileNetwork();
        }
        pending_.clear();
    }

    const std::string& index() const { return index_; }
    int32_t count() const { return count_; }
    const OperatorSnippets& snippets() const { return snippets_; }

private:
    void TakeSection(const std::string& line) {
        const size_t first = line.find(' ');
        if (first == std::string::npos) {
            // A bare "FuncLib" opens the default library, so that its code
            // is not taken for the network before it.
            keyword_ = "FuncLib";
            name_ = defaultLibrary_;
        } else {
            keyword_ = line.substr(0, first);
            name_ = line.substr(line.rfind(' ') + 1);
        }
        named_ = true;
    }

    void CompileNetwork() {
        if (g_showMsg) printf("Idxing FSA %s\n", name_.c_str());
        std::string name = name_;
        NetLists lists;
        if (!IdxRuleFile(name, pending_, data_, offsets_, lists)) CompilerError("Error Idx Rule Named %s\n", name);
        const auto offset = offsets_.find(name);
        if (offset == offsets_.end()) return;
        if (!defaultLibrary_.empty() && lists.libraries.empty()) lists.libraries.push_back(defaultLibrary_);
        AppendFsaIndexEntry(index_, FsaIndexEntry{UpperCase(name), offset->second, lists.libraries, lists.defaults,
                                                  lists.conditions});
        ++count_;
    }

    FILE* data_;
    std::string defaultLibrary_;
    std::string keyword_;
    std::string name_;
    bool named_ = false;
    bool defSeen_ = false;
    std::vector<std::string> pending_;
    std::map<std::string, int32_t> offsets_;
    std::string index_;
    int32_t count_ = 0;
    OperatorSnippets snippets_;
};

std::string LibraryPath(const std::string& datPath) {
    const size_t dot = datPath.rfind('.');
    return (dot == std::string::npos ? datPath : datPath.substr(0, dot)) + ".sub";
}

}  // namespace

void CheckParam(std::string& name, std::vector<std::string>& defaults) {
    const size_t open = name.find('(');
    if (open == std::string::npos) return;
    std::string inside = name.substr(open + 1);
    if (!inside.empty()) inside.pop_back();  // the closing parenthesis
    defaults.clear();
    size_t start = 0;
    while (start <= inside.size()) {
        size_t comma = inside.find(',', start);
        if (comma == std::string::npos) comma = inside.size();
        if (comma > start) defaults.push_back(inside.substr(start, comma - start));
        start = comma + 1;
    }
    name.resize(open);
}

bool ProcessEntry(const std::string& text, std::string& rest, int& counter, std::map<std::string, int>& entries,
                  std::string& condition) {
    condition.clear();
    const size_t marker = GbkFind(text, "Entry:");
    if (marker == std::string::npos) {
        rest = text;
        return true;
    }
    size_t start = marker + 6;
    while (start < text.size() && (text[start] == ' ' || text[start] == '\t')) ++start;
    size_t end = start;
    if (start < text.size() && text[start] == '[') {
        end = GbkFindChar(text, ']', start);
        end = end == std::string::npos ? text.size() : end + 1;
    } else {
        while (end < text.size() && text[end] != ' ' && text[end] != '\t') end += CharAt(text, end);
    }
    const std::string token = text.substr(start, end - start);
    const auto known = entries.find(token);
    const int k = known != entries.end() ? known->second : counter;
    rest = text.substr(0, marker) + "Entry" + std::to_string(k) + " " + text.substr(end);
    if (known != entries.end()) return true;
    entries[token] = k;
    condition = "Entry" + std::to_string(k) + (token.find('[') == std::string::npos ? "=[" + token + "]" : "=" + token);
    ++counter;
    return false;
}

bool IdxRuleFile(std::string& name, const std::vector<std::string>& lines, FILE* data,
                 std::map<std::string, int32_t>& offsets, NetLists& lists) {
    lists = NetLists();
    if (lines.size() == 1 && StartsWith(lines[0], "==")) {
        const auto target = offsets.find(lines[0].substr(2));
        if (target == offsets.end()) {
            CompilerError("Error format %s\n", name);
            return false;
        }
        offsets[name] = target->second;
        return true;
    }
    CheckParam(name, lists.defaults);
    const std::string regPath = name + ".reg";
    const std::string netPath = name + ".net_";
    const std::string logPath = name + ".log";
    std::string text;
    bool header = true;
    int counter = 0;
    std::map<std::string, int> entries;
    for (const std::string& line : lines) {
        if (header) {
            if (std::vector<std::string>* list = DirectiveList(line, lists)) {
                list->push_back(DirectiveValue(line, name));
                continue;
            }
            header = false;
        }
        std::string rewritten = line;
        while (GbkFind(rewritten, "Entry:") != std::string::npos) {
            std::string rest, condition;
            if (!ProcessEntry(rewritten, rest, counter, entries, condition)) lists.conditions.push_back(condition);
            rewritten = rest;
        }
        text += rewritten + "\n";
    }
    if (!WriteTextFile(regPath, text)) {
        CompilerError("Error open %s\n", name);
        return false;
    }
    if (!Reg2Net(regPath, netPath, logPath)) {
        std::remove(regPath.c_str());
        std::remove(netPath.c_str());
        CompilerError("Error Idx %s\n", regPath);
        return false;
    }
    if (!compiled_net::DictIdx(name, netPath, data, offsets)) {
        CompilerError("Error Idx %s\n", netPath);
        return false;
    }
    RemoveIntermediate(logPath);
    std::remove(regPath.c_str());
    std::remove(netPath.c_str());
    return true;
}

std::string GetFuncLibInfo(const std::string& list) {
    std::string text;
    if (!ReadTextFile(list, text)) return "";
    std::string library;
    bool found = false;
    for (std::string line : SplitLines(text)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        TrimLine(line);
        if (StartsWith(line, "FuncLib") && line.find(' ') != std::string::npos) {
            library = line.substr(line.rfind(' ') + 1);
            found = true;
        }
    }
    if (found) return library;
    const std::string cut = list.substr(0, std::min(list.rfind('.'), list.size()));
    size_t slash = cut.rfind('/');
    if (slash == std::string::npos) slash = cut.rfind('\\');
    return slash == std::string::npos ? cut : cut.substr(slash + 1);
}

bool RuleBaseIdxEx(const std::string& list, const std::string& idxPath, const std::string& datPath) {
    const std::string defaultLibrary = GetFuncLibInfo(list);
    std::string text;
    if (!ReadTextFile(list, text)) {
        CompilerError("Error open %s\n", list);
        return false;
    }
    FILE* index = fopen(idxPath.c_str(), "wb");
    if (!index) {
        CompilerError("Error open %s\n", idxPath);
        return false;
    }
    FILE* data = fopen(datPath.c_str(), "wb");
    if (!data) {
        fclose(index);
        CompilerError("Error open %s\n", datPath);
        return false;
    }
    ListCompiler compiler(data, defaultLibrary);
    for (const std::string& line : SplitLines(text)) compiler.Line(CleanListLine(line));
    compiler.Flush();
    const bool dataWritten = fclose(data) == 0;
    std::string out;
    AppendFsaIndexCount(out, compiler.count());
    out += compiler.index();
    const bool indexWritten = fwrite(out.data(), 1, out.size(), index) == out.size();
    if (fclose(index) != 0 || !indexWritten || !dataWritten) {
        CompilerError("Error open %s\n", idxPath);
        return false;
    }
    // Every library section of the list goes into the one library file.
    if (!compiler.snippets().empty() && !WriteTextFile(LibraryPath(datPath), compiler.snippets().Encode())) {
        CompilerError("Error open %s\n", LibraryPath(datPath));
        return false;
    }
    return true;
}

bool RuleIdx(const std::string& list, const std::string& idxPath, const std::string& datPath) {
    if (RuleBaseIdxEx(list, idxPath, datPath)) return true;
    CompilerError("Error Idx Rule %s\n", list);
    return false;
}

bool RuleIdx2(const std::string& source, const std::string& folder) {
    size_t slash = source.rfind('/');
    if (slash == std::string::npos) slash = source.rfind('\\');
    std::string base = slash == std::string::npos ? source : source.substr(slash + 1);
    const size_t dot = base.rfind('.');
    if (dot != std::string::npos) base.resize(dot);
    std::string dir = folder;
    if (dir.empty() || (dir.back() != '/' && dir.back() != '\\')) dir += '/';
    mkdir(dir.c_str(), 0775);
    return RuleIdx(source, dir + base + "fsa.idx", dir + base + "fsa.dat");
}

}  // namespace zel
