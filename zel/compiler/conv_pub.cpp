#include "zel/compiler/conv_pub.h"

#include "zel/compiler/compiler_messages.h"
#include "zel/compiler/compiler_text.h"
#include "zel/compiler/rule_prepass.h"

namespace zel {

namespace {

bool IsAsciiLetterOrDigit(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Occurrences of mark, except those directly after a backslash that is not
// at the start of the line.
size_t CountMark(const std::string& line, char mark) {
    size_t count = 0;
    bool afterBackslash = false;
    for (size_t at = 0; at < line.size();) {
        const size_t step = CharAt(line, at);
        if (step == 1 && line[at] == mark && !afterBackslash) ++count;
        afterBackslash = step == 1 && line[at] == '\\';
        at += step;
    }
    return count;
}

}  // namespace

bool CConvPub::isRule(const std::string& line) { return !line.empty() && line[0] == '.'; }

bool CConvPub::isSubRule(const std::string& line) {
    if (line.empty()) return false;
    const unsigned char c = static_cast<unsigned char>(line[0]);
    return IsAsciiLetterOrDigit(c) || c == '-' || c == '@' || c == '_';
}

bool CConvPub::isInclude(const std::string& line) { return StartsWith(line, "#include"); }

bool CConvPub::getZELRuleName(const std::string& line, std::string& name) {
    const size_t blank = line.find(' ');
    if (blank == std::string::npos) return false;
    name = line.substr(0, std::min<size_t>(blank, 256));
    return true;
}

bool CConvPub::checkFileFormat(const std::string& text, char opening, char closing) {
    size_t opened = 0;
    size_t closed = 0;
    for (const std::string& line : SplitLines(text)) {
        opened += CountMark(line, opening);
        if (closing != opening) closed += CountMark(line, closing);
    }
    if (closing == opening) closed = opened;
    return opened > 0 && opened == closed;
}

bool CConvPub::checkZELGrammarFile(const std::string& path) {
    if (path.empty()) {
        message_ = "Error:checkFileFormat():NULL filename!\n";
        CompilerError(message_);
        return false;
    }
    std::string text;
    if (!ReadTextFile(path, text)) {
        message_ = FormatMessage("Error:checkFileFormat():cannot open file %s!\n", path);
        CompilerError(message_);
        return false;
    }
    if (checkFileFormat(text, '(', ')') || checkFileFormat(text, '<', '>') || checkFileFormat(text, '"', '"'))
        return true;
    message_ = "File Format Error:" + path + " is not a valid ZEL Grammar file\n";
    CompilerError(message_);
    return false;
}

bool CConvPub::alignGramFile(const std::string& input, const std::string& output) {
    std::string text;
    if (!ReadTextFile(input, text) || !WriteTextFile(output, AlignRuleText(text))) {
        message_ = "Error:refineZEL():Cannot open file " + input + " or " + output + "\n";
        CompilerError(message_);
        return false;
    }
    return true;
}

bool CConvPub::refineZEL(const std::string& source, const std::string& output) {
    const std::string target = output.empty() ? source : output;
    const std::string prepassed = source + ".format2";
    const std::string aligned = source + ".format";
    ProcessRule(source, prepassed);  // a missing source shows in the aligner
    bool ok = alignGramFile(prepassed, aligned) && reorderGramFile(aligned, target);
    RemoveIntermediate(prepassed);
    RemoveIntermediate(aligned);
    return ok;
}

}  // namespace zel
