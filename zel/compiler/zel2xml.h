// Conversion of a rule text into the XML grammar that the word-network builder
// reads: sub-rules under GrammarLib, rules under Grammar, bodies as nested
// Seq, Oneof, Opt, Loop, Phrase, Word, RuleRef and Return elements.
#pragma once

#include <cstdio>
#include <string>
#include <unordered_set>
#include <vector>

#include "zel/compiler/conv_pub.h"

namespace zel {

class CZEL2XML : public CConvPub {
public:
    // Checks and refines source, then writes the XML grammar to output (the
    // source up to its first '.' followed by ".wcl.xml" when output is empty).
    bool ZEL2XML(const std::string& source, const std::string& output = "");

    bool readLibName(const std::string& path);
    bool convertZELRule2WCL(const std::string& line, std::string& out);
    bool convertZELSubRule2WCL(const std::string& line, std::string& out);

    // The five XML entity escapes.
    static std::string processXMLSpecialTag(const std::string& text);
    // Cuts line at the first '#' that is neither its first character nor
    // directly after a backslash.
    static void filterComment(std::string& line);

private:
    bool convertLine(const std::string& line, const char* element, size_t nameStart, std::string& out);
    bool convZELRuleBody2WCL(std::string& out, std::string body, const std::string& name);
    bool printXMLPhrase(std::string& out);
    void processReturn(std::string& out, const std::string& body, size_t& at);

    void xmlTagBegin(std::string& out, const std::string& tag);
    bool xmlTagEnd(std::string& out);
    void xmlTagWrite(std::string& out, const std::string& text);
    void pushTag(const std::string& name) { tags_.push_back(name); }
    void fail(const std::string& text);

    int depth_ = 0;
    std::unordered_set<std::string> subRuleNames_;
    std::vector<std::string> tags_;
    std::vector<bool> groupStatus_;
    // Work area of one body scan.
    int quantifiers_ = 0;
    int weights_ = 0;
    int sequenceDepth_ = 0;
    bool inVariable_ = false;
    // Open elements when the body scan began: a closer in the body may not
    // end any of them.
    size_t bodyFloor_ = 0;
    std::string phrase_;
    std::string weight_;
    std::string variable_;
    std::string ruleName_;
};

// The entry of the word-network builder: source to XML grammar.
bool Regular2XML(const std::string& source, const std::string& output);

}  // namespace zel
