// The phrase optimiser of rule text: words and neighbouring word pairs that
// occur often in a grammar's rules become sub-rules of their own, and the
// rules name those sub-rules instead. Lines are read whole, however long.
#include <strings.h>

#include <algorithm>

#include "zel/compiler/compiler_messages.h"
#include "zel/compiler/compiler_text.h"
#include "zel/compiler/conv_pub.h"

namespace zel {

namespace {

constexpr char kSubRulePrefix[] = "optsub_";
constexpr char kNoName[] = "NULL_NAME";
// The level of a word directly inside parentheses: only such neighbours form
// pairs.
constexpr int kParenLevel = 2;

int LevelAfterOpener(char c) {
    switch (c) {
        case '(': return 2;
        case '[': return 3;
        case '{': return 4;
        default: return -1;
    }
}

bool IsCloser(char c) { return c == ')' || c == ']' || c == '}'; }

bool IsRuleLine(const std::string& line) { return CConvPub::isRule(line) || CConvPub::isSubRule(line); }

}  // namespace

void CConvPub::pushPhrase(std::string& word, int level, std::vector<std::string>& words, std::vector<int>& levels) {
    if (!word.empty() && word != "\n") {
        words.push_back(word);
        levels.push_back(level);
    }
    word.clear();
}

bool CConvPub::parsePhraseBuf(std::string_view line, std::vector<std::string>& words, std::vector<int>& levels) {
    words.clear();
    levels.clear();
    line = LineContent(line);
    std::vector<int> outerLevels;  // the level before each open bracket
    int level = 1;
    std::string word;
    for (size_t at = 0; at < line.size();) {
        size_t step = CharAt(line, at);
        const char c = line[at];
        if (step == 1 && c == ' ') {
            pushPhrase(word, level, words, levels);
            ++at;
            continue;
        }
        if (step == 1 && c == '\\') {
            if (at + 1 < line.size()) step += CharAt(line, at + 1);
        } else if (step == 1 && LevelAfterOpener(c) > 0) {
            outerLevels.push_back(level);
            level = LevelAfterOpener(c);
        } else if (step == 1 && IsCloser(c)) {
            level = outerLevels.empty() ? 0 : outerLevels.back();
            if (!outerLevels.empty()) outerLevels.pop_back();
        }
        word.append(line, at, step);
        at += step;
    }
    pushPhrase(word, level, words, levels);
    return !words.empty();
}

bool CConvPub::isValidChar(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c >= 0x80 || c == '-' ||
           c == '@' || c == '_' || c == '\\';
}

bool CConvPub::isValidPhrase(std::string_view text) {
    if (text == "NULL") return false;
    for (size_t at = 0; at < text.size();) {
        const size_t step = CharAt(text, at);
        const unsigned char c = static_cast<unsigned char>(text[at]);
        if (!isValidChar(c)) return false;
        at += step;
        if (step == 1 && c == '\\' && at < text.size()) at += CharAt(text, at);
    }
    return true;
}

bool CConvPub::isReserveWords(std::string_view word) {
    if (word.size() == 6 && strncasecmp(word.data(), "return", 6) == 0) return true;
    return GbkFindChar(word, ':') != std::string_view::npos || GbkFindChar(word, '$') != std::string_view::npos;
}

int CConvPub::findFreq(const PhraseCounts& counts, const std::string& phrase) {
    const auto found = counts.find(phrase);
    return found == counts.end() ? 0 : found->second;
}

bool CConvPub::cntPhrase(std::string_view line, PhraseCounts& counts) {
    std::vector<std::string> words;
    std::vector<int> levels;
    if (!parsePhraseBuf(line, words, levels)) return false;
    const size_t last = words.size() - 1;
    if (last > 0) definedNames_.insert(words[0]);
    bool inReturnBlock = false;
    for (size_t i = 1; i < last; ++i) {
        const std::string& word = words[i];
        if (word == "{") inReturnBlock = true;
        const bool skipped = inReturnBlock || isReserveWords(word);
        if (word == "}") inReturnBlock = false;
        if (skipped || !isValidPhrase(word)) continue;
        ++counts[word];
        if (levels[i] == kParenLevel && levels[i + 1] == kParenLevel && isValidPhrase(words[i + 1]))
            ++counts[word + " " + words[i + 1]];
    }
    if (isValidPhrase(words[last])) ++counts[words[last]];
    return true;
}

void CConvPub::genSubRuleName(const PhraseCounts& counts) {
    int number = 0;
    for (const auto& counted : counts) {
        if (!definedNames_.count(counted.first))
            subRuleNames_[counted.first] = kSubRulePrefix + std::to_string(number);
        ++number;
    }
}

bool CConvPub::genFreqHash(const std::string& grammar, PhraseCounts& counts) {
    subRuleNames_.clear();
    definedNames_.clear();
    std::string text;
    if (!ReadTextFile(grammar, text)) {
        message_ = FormatMessage("Error:Cannot open file %s\n", grammar);
        CompilerError(message_);
        return false;
    }
    for (const std::string& line : SplitLinesWithEnds(text)) {
        if (IsRuleLine(line) && !cntPhrase(line, counts)) break;
    }
    genSubRuleName(counts);
    return true;
}

bool CConvPub::findSubRuleName(const std::string& phrase, std::string& name) const {
    const auto found = phrase.empty() ? subRuleNames_.end() : subRuleNames_.find(phrase);
    if (found == subRuleNames_.end()) {
        name = kNoName;
        return false;
    }
    name = found->second;
    return true;
}

bool CConvPub::rewriteRule(std::string_view line, std::string& out, const PhraseCounts& counts,
                           std::set<std::string>& used, int minCount, int minLength) {
    std::vector<std::string> words;
    std::vector<int> levels;
    if (!parsePhraseBuf(line, words, levels)) return false;
    if (hasOptimized(line) || words.size() < 5) {
        out.append(line);
        return true;
    }
    // Only a phrase that was given a name is replaced: with a minimum count
    // below one, an uncounted phrase must not turn into "NULL_NAME".
    auto writeName = [&](const std::string& phrase) {
        std::string name;
        if (findFreq(counts, phrase) < minCount || !findSubRuleName(phrase, name)) return false;
        out += name + " ";
        used.insert(name);
        return true;
    };
    const size_t minBytes = static_cast<size_t>(std::max(minLength, 0));
    bool inReturnBlock = false;
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word == "{") inReturnBlock = true;
        const bool kept = i == 0 || inReturnBlock || definedNames_.count(word) != 0;
        if (word == "}") inReturnBlock = false;
        if (kept) {
            out += word + " ";
            continue;
        }
        const bool pairs = i + 1 < words.size() && levels[i] == kParenLevel && levels[i + 1] == kParenLevel &&
                           !definedNames_.count(words[i + 1]);
        if (pairs && writeName(word + " " + words[i + 1])) {
            ++i;
            continue;
        }
        if (word.size() < minBytes || !writeName(word)) out += word + " ";
    }
    out += "\n";
    return true;
}

bool CConvPub::makeSubRuleZEL(const std::string& grammar, const std::string& output, int minCount, int minLength) {
    PhraseCounts counts;
    if (!genFreqHash(grammar, counts)) return false;
    const std::string rewrittenPath = output + ".tmp";
    std::string text;
    if (!ReadTextFile(grammar, text)) {
        message_ = "Error:Cannot open file " + grammar + " or " + rewrittenPath + "\n";
        CompilerError(message_);
        return false;
    }
    std::string rewritten;
    std::set<std::string> used;
    for (const std::string& line : SplitLinesWithEnds(text)) {
        if (!IsRuleLine(line)) {
            rewritten += line;
        } else if (!rewriteRule(line, rewritten, counts, used, minCount, minLength)) {
            break;
        }
    }
    std::string result;
    for (const auto& named : subRuleNames_) {
        if (used.count(named.second)) result += named.second + " ( " + named.first + " )\n";
    }
    result += rewritten;
    const bool written = WriteTextFile(rewrittenPath, rewritten) && WriteTextFile(output, result);
    RemoveIntermediate(rewrittenPath);
    if (!written) {
        message_ = "Error:Cannot open file " + rewrittenPath + " or " + output + "\n";
        CompilerError(message_);
    }
    return written;
}

bool CConvPub::outputAllWords(const std::string& grammar, const std::string& output) {
    const std::string refined = grammar + ".tmp$";
    PhraseCounts counts;
    const bool counted = refineZEL(grammar, refined) && genFreqHash(refined, counts);
    RemoveIntermediate(refined);
    if (!counted) return false;
    std::string words;
    for (const auto& counted : counts) {
        if (counted.first.find(' ') == std::string::npos) words += counted.first + "\n";
    }
    if (!WriteTextFile(output, words)) {
        message_ = FormatMessage("Error:Cannot write file %s\n", output);
        CompilerError(message_);
        return false;
    }
    return true;
}

}  // namespace zel
