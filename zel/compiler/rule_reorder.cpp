// The reorderer: include files first, then sub-rules and other lines, then
// rules; an operator line that stands alone joins the line before it.
#include "zel/compiler/compiler_messages.h"
#include "zel/compiler/compiler_text.h"
#include "zel/compiler/conv_pub.h"

namespace zel {

namespace {

// One pass of the reorderer: the lines that take is true for, each on its own
// line, with a lone operator line appended to the line written before it.
template <typename Take>
void ReorderPass(const std::vector<std::string>& lines, Take take, std::string& out) {
    bool wroteAny = false;
    bool previousWritten = false;
    bool previousWasBlock = false;
    for (const std::string& line : lines) {
        const bool isBlock = !line.empty() && line[0] == '{';
        if (isBlock) {
            if (previousWritten && !previousWasBlock) out += line;
            previousWasBlock = true;
            continue;
        }
        previousWasBlock = false;
        previousWritten = !CConvPub::isInclude(line) && take(line);
        if (!previousWritten) continue;
        if (wroteAny) out += '\n';
        out += line;
        wroteAny = true;
    }
    if (wroteAny) out += '\n';
}

// The include name: the text between the first two of '"', '<', '>'.
bool GetIncludeFileName(const std::string& line, std::string& name) {
    const size_t first = line.find_first_of("\"<>");
    if (first == std::string::npos) return false;
    const size_t second = line.find_first_of("\"<>", first + 1);
    if (second == std::string::npos) return false;
    name = line.substr(first + 1, std::min<size_t>(second - first - 1, 254));
    return !name.empty();
}

}  // namespace

bool CConvPub::insertIncludeFile(const std::string& line, std::string& out) {
    std::string name;
    if (!GetIncludeFileName(line, name)) {
        message_ = FormatMessage("Error:insertIncludeFile():Cannot parse include file name from line:%s\n", line);
        return false;
    }
    if (includeFileInserted(name)) return true;
    includes_.insert(name);
    std::string text;
    if (!ReadTextFile(name, text)) {
        message_ = FormatMessage("Error:inertIncludeFile():Cannot open include file \"%s\"\n", name);
        CompilerError(message_);
        return false;
    }
    for (const std::string& included : SplitLines(text)) {
        if (isInclude(included)) {
            if (!insertIncludeFile(included, out)) return false;
        } else {
            out += included + "\n";
        }
    }
    out += '\n';
    return true;
}

bool CConvPub::reorderGramFile(const std::string& input, const std::string& output) {
    std::string text;
    if (!ReadTextFile(input, text)) {
        message_ = "Error:refineZEL():Cannot open file " + input + " or " + output + "\n";
        CompilerError(message_);
        return false;
    }
    const std::vector<std::string> lines = SplitLines(text);
    std::string out;
    for (const std::string& line : lines) {
        if (isInclude(line) && !insertIncludeFile(line, out)) {
            message_ = FormatMessage("Error:Cannot load include file from current directory:%s\n", line);
            return false;
        }
    }
    ReorderPass(lines, [](const std::string& line) { return !isRule(line); }, out);
    ReorderPass(lines, [](const std::string& line) { return !isSubRule(line); }, out);
    if (!WriteTextFile(output, out)) {
        message_ = "Error:refineZEL():Cannot open file " + input + " or " + output + "\n";
        CompilerError(message_);
        return false;
    }
    return true;
}

}  // namespace zel
