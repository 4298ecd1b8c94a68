// The rule-text converter's base: validation and normalisation of a rule text
// (format check, pre-pass, aligner, reorderer with include files), file to
// file, before the XML grammar is written.
#pragma once

#include <string>
#include <unordered_set>

namespace zel {

class CConvPub {
public:
    virtual ~CConvPub() = default;

    // Pre-pass into source + ".format2", alignment into source + ".format",
    // reordering with include files into output (source when output is
    // empty). The intermediate files are removed unless g_bIsLogOn is set.
    bool refineZEL(const std::string& source, const std::string& output = "");

    bool alignGramFile(const std::string& input, const std::string& output);
    bool reorderGramFile(const std::string& input, const std::string& output);
    // True when one of the pairs "()", "<>" or the double quote occurs a
    // balanced, non-zero number of times.
    bool checkZELGrammarFile(const std::string& path);

    static bool isRule(const std::string& line);
    static bool isSubRule(const std::string& line);
    static bool isInclude(const std::string& line);
    // The text before the first blank; false when the line has none.
    static bool getZELRuleName(const std::string& line, std::string& name);

protected:
    // The last error or status message of the converter.
    std::string message_;

private:
    bool checkFileFormat(const std::string& text, char opening, char closing);
    bool insertIncludeFile(const std::string& line, std::string& out);
    bool includeFileInserted(const std::string& name) const { return includes_.count(name) != 0; }

    std::unordered_set<std::string> includes_;
};

// The aligner's character filter over a pre-passed text: one line per rule and
// sub-rule.
std::string AlignRuleText(const std::string& text);

}  // namespace zel
