// The rule-text converter's base: validation and normalisation of a rule text
// (format check, pre-pass, aligner, reorderer with include files), file to
// file, before the XML grammar is written. Beside that road it carries the
// phrase optimiser and the state-machine converter of rule text.
#pragma once

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace zel {

// One edge of a state machine read by the state-machine converter; a missing
// field leaves -1 in from or to and an empty label.
struct CFsmNode {
    int from = -1;
    int to = -1;
    std::string label;
};
// The edges of a machine by from-state, each state's edges in file order.
using FsmEdges = std::multimap<int, CFsmNode>;
// True for a final state: one without a labelled edge.
using FsmStatus = std::map<int, bool>;

// How often each word, and each pair of neighbouring words joined by one
// blank, occurs in a grammar; ordered by bytes.
using PhraseCounts = std::map<std::string, int>;

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

    // ---- Phrase optimiser: sub-rules for frequent words and word pairs ----

    // Splits a line at blanks into words with the nesting level after each
    // word's last character (1 at the top, 2 inside "(", 3 inside "[", 4
    // inside "{", 0 after a closer without opener). A backslash takes the
    // next character into its word; the line end is no part of any word.
    // False when no word was kept.
    static bool parsePhraseBuf(std::string_view line, std::vector<std::string>& words, std::vector<int>& levels);
    // Keeps a finished word, unless it is empty or a lone line feed, and
    // clears it.
    static void pushPhrase(std::string& word, int level, std::vector<std::string>& words, std::vector<int>& levels);
    // Text other than "NULL" made of name characters and characters that
    // follow a backslash; the empty text is valid.
    static bool isValidPhrase(std::string_view text);
    static bool isValidChar(unsigned char c);
    // "return" in any case, or a word holding ':' or '$'.
    static bool isReserveWords(std::string_view word);
    static bool hasOptimized(std::string_view line) { return line.find("optsub_") != std::string_view::npos; }
    static int findFreq(const PhraseCounts& counts, const std::string& phrase);

    // Starts a fresh count: forgets the names and defined names of any earlier
    // run, counts the rule and sub-rule lines of the grammar into counts and
    // names the counted phrases. False when the file cannot be opened.
    bool genFreqHash(const std::string& grammar, PhraseCounts& counts);
    // Counts one rule line; its first word becomes a defined name. False when
    // the line holds no word.
    bool cntPhrase(std::string_view line, PhraseCounts& counts);
    // Names each counted phrase that is not a defined name "optsub_<n>", n
    // being its place among all counted phrases in byte order.
    void genSubRuleName(const PhraseCounts& counts);
    // The generated name of phrase; "NULL_NAME" and false when it has none.
    bool findSubRuleName(const std::string& phrase, std::string& name) const;
    // Appends line (its line end included) to out, frequent pairs and words
    // of at least minLength bytes replaced by their names when counted at
    // least minCount times; names written go into used.
    bool rewriteRule(std::string_view line, std::string& out, const PhraseCounts& counts,
                     std::set<std::string>& used, int minCount, int minLength);
    // Writes the grammar to output with its frequent phrases moved into
    // sub-rules of their own, which lead the output.
    bool makeSubRuleZEL(const std::string& grammar, const std::string& output, int minCount, int minLength);
    // Writes every single word counted in the refined grammar, one a line.
    bool outputAllWords(const std::string& grammar, const std::string& output);

    // ---- State-machine converter ----

    // Reads a machine of tab-separated lines "from, to, label" and writes it
    // as rule text: ".rule_0" for state 0, "subrule_<n>" for every other state
    // that is not final.
    bool FSM2GrammarFile(const std::string& machine, const std::string& output);
    bool parseFSMFile(const std::string& machine, FsmEdges& edges);
    static CFsmNode parseFSMLine(std::string_view line);
    static FsmStatus collecFSMtNodeStatus(const FsmEdges& edges);
    static bool isTerminal(const FsmStatus& status, int state);
    static std::string convertFSMNode(const FsmEdges& edges, const FsmStatus& status);

protected:
    // The last error or status message of the converter.
    std::string message_;

private:
    bool checkFileFormat(const std::string& text, char opening, char closing);
    bool insertIncludeFile(const std::string& line, std::string& out);
    bool includeFileInserted(const std::string& name) const { return includes_.count(name) != 0; }

    std::unordered_set<std::string> includes_;
    // The phrase optimiser's state of the current run.
    std::map<std::string, std::string> subRuleNames_;
    std::set<std::string> definedNames_;
};

// The aligner's character filter over a pre-passed text: one line per rule and
// sub-rule.
std::string AlignRuleText(const std::string& text);

}  // namespace zel
