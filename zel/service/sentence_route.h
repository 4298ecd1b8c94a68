// The analysis route of the grammar server ("/" and "/zel"): a JSON body
// names a sentence ("Text") and a rule set ("FSA"); the answer is what the
// rule actions write with WebPrint while the rule set runs over the
// sentence.
#pragma once

#include <cstddef>
#include <string>

#include "zel/service/web_request.h"

namespace zel {

// The route's texts keep the sizes its clients were built against; each
// size holds a terminating NUL, so a text is at most one byte shorter.
constexpr size_t kSentenceTextBytes = 512000;
constexpr size_t kRuleSetNameBytes = 51200;
constexpr size_t kSentenceAnswerBytes = 0x1FE000;  // also bounds the posted body

// One analysis: the sentence and rule-set name (GBK, as posted) and the
// request the actions write to.
struct SentenceJob {
    std::string text;
    std::string ruleSet;
    ZelWebRequest request;
};

// Runs the job's rule set over its sentence in a lattice of its own, with
// the actions run as Lua; switches the copy of print output into each new
// lattice's message buffer on for the process.
void JParseCoreThread(SentenceJob& job);

// The HTTP status and body for a posted body: 200 and the WebPrint lines
// (cut at a whole line to fit the answer size); 400 with an error text when
// the body is not JSON; 413 with an error text when "Text" or "FSA" is too
// long. Member names are matched without regard to case; a JSON body
// without both members runs an empty sentence with an empty name.
int AnswerSentence(const std::string& body, std::string& answer);

}  // namespace zel
