// Public interface of the grammar library's further compiler tools: the
// older rule-base compiler, the phrase optimiser and the state-machine
// converter of rule text, the NETWORK file tools and DebugInfo. C++ only.
// The classes here are thin entries into the compiler; they hold nothing,
// and nothing is kept between calls. Every path is used as given (GBK or
// plain bytes). Failure messages go to the library's message log.
#pragma once

#include <cstdio>
#include <map>
#include <string>

// Same definition as the library's own export marker, so that this header
// stands alone for a host program.
#ifndef QZ_EXPORT
#define QZ_EXPORT __attribute__((visibility("default")))
#endif

namespace zel {
struct NetWordlist;
}

// ---- Older rule-base compiler ----

class CRuleBase {
public:
    // Compiles an older rule-base list ("#name" lines naming the networks,
    // "Net:path" lines naming word-network files) into a bare index (per
    // entry an i32 name length, the name and an i32 offset) and a data file.
    // A file named twice is compiled once and indexed under both names; a
    // network that cannot be compiled is reported and left out. False, with
    // "Error open %s\n", only when one of the three files cannot be opened.
    QZ_EXPORT static bool RuleBaseIdx(const char* listPath, const char* indexPath, const char* dataPath);
};

class CRuleNet {
public:
    // Appends the compiled block of the word-network file, under name, to
    // data (an i32 body length and the body) and its entry (i32 name length,
    // name, i32 offset) to index, and records the block's offset under
    // netPath in offsets. False with "Error read %s\n" when the file cannot
    // be read.
    QZ_EXPORT static bool RuleIdx(const char* name, const char* netPath, FILE* data, FILE* index,
                                  std::map<std::string, int>& offsets);
};

// ---- Phrase optimiser and state-machine converter of rule text ----

class CConvPub {
public:
    // How often each word, and each pair of neighbouring words inside the
    // same parentheses (joined by one blank), occurs in the rule and sub-rule
    // lines of the grammar, added to what counts holds. False with
    // "Error:Cannot open file %s\n" when the grammar cannot be read.
    QZ_EXPORT static bool genFreqHash(const char* grammarPath, std::map<std::string, int>& counts);
    // Writes the grammar to outputPath with every word pair counted at least
    // minCount times, and every word of at least minLength bytes counted as
    // often, replaced by a sub-rule "optsub_<n>" whose definition lines lead
    // the output. Lines of fewer than 5 words and lines already optimised
    // stay as they are. False when a file cannot be opened.
    QZ_EXPORT static bool makeSubRuleZEL(const char* grammarPath, const char* outputPath, int minCount,
                                         int minLength);
    // Writes every word counted in the normalised grammar, without blanks,
    // one a line. False when the output cannot be written.
    QZ_EXPORT static bool outputAllWords(const char* grammarPath, const char* outputPath);
    // Reads a state machine of tab-separated lines "from, to, label" and
    // writes it as rule text: ".rule_0" for state 0 and "subrule_<n>" for
    // every other state that is not final. False when a file cannot be
    // opened.
    QZ_EXPORT static bool FSM2GrammarFile(const char* machinePath, const char* outputPath);
};

// ---- NETWORK files ----

class CXML2WordNet {
public:
    // Reads a network file and its word-list file into a new record of the
    // library (*network), to be freed with FreeNetWordlist. False, with
    // *network null, when a file cannot be read or is malformed.
    QZ_EXPORT static bool ReadNetWordlist(const char* netPath, const char* wordListPath,
                                          zel::NetWordlist*& network);
    // Frees a record of ReadNetWordlist; null is allowed.
    QZ_EXPORT static void FreeNetWordlist(zel::NetWordlist* network);
    // Writes the network readably to path: appended when append is set (the
    // file must then exist), else replacing it. False when the file cannot
    // be opened or network is null.
    QZ_EXPORT static bool WriteNetWordlist(const zel::NetWordlist* network, const char* path, bool append);
};

// Prints the text as a line on standard output.
QZ_EXPORT void DebugInfo(const char* text);
