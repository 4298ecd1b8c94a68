#include "zel/compiler/zel2xml.h"

#include "zel/compiler/compiler_messages.h"
#include "zel/compiler/compiler_text.h"

namespace zel {

namespace {

bool IsQuantifier(char c) { return c == '*' || c == '+' || c == '?'; }

// A zero-or-more part: Opt around Loop, both tags on one line.
const char kOptLoopBegin[] = "Opt><Loop";
const char kOptLoopEnd[] = "Loop></Opt";

}  // namespace

void CZEL2XML::fail(const std::string& text) {
    message_ = text;
    CompilerError(text);
}

std::string CZEL2XML::processXMLSpecialTag(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        const size_t step = CharAt(text, at);
        if (step == 1) {
            switch (text[at]) {
                case '"': out += "&quot;"; break;
                case '&': out += "&amp;"; break;
                case '\'': out += "&apos;"; break;
                case '<': out += "&lt;"; break;
                case '>': out += "&gt;"; break;
                default: out += text[at]; break;
            }
        } else {
            out.append(text, at, step);
        }
        at += step;
    }
    return out;
}

void CZEL2XML::filterComment(std::string& line) {
    bool afterBackslash = false;
    for (size_t at = 0; at < line.size();) {
        const size_t step = CharAt(line, at);
        if (step == 1 && line[at] == '#' && at > 0 && !afterBackslash) {
            line.resize(at);
            return;
        }
        afterBackslash = step == 1 && line[at] == '\\';
        at += step;
    }
}

void CZEL2XML::xmlTagBegin(std::string& out, const std::string& tag) {
    out.append(depth_, '\t');
    out += "<" + tag + ">\n";
    ++depth_;
}

bool CZEL2XML::xmlTagEnd(std::string& out) {
    if (tags_.size() <= bodyFloor_) {
        fail("Error: tag num does not match!\n");
        return false;
    }
    const std::string name = tags_.back();
    tags_.pop_back();
    --depth_;
    out.append(depth_, '\t');
    out += "</" + name + ">\n";
    return true;
}

void CZEL2XML::xmlTagWrite(std::string& out, const std::string& text) {
    out.append(depth_, '\t');
    out += "<" + text + "/>\n";
}

bool CZEL2XML::readLibName(const std::string& path) {
    std::string text;
    if (!ReadTextFile(path, text)) {
        fail(FormatMessage("Error:Cannot open file %s\n", path));
        return false;
    }
    for (const std::string& line : SplitLines(text)) {
        std::string name;
        if (isRule(line) || !isSubRule(line) || !getZELRuleName(line, name)) continue;
        if (!subRuleNames_.insert(name).second) {
            fail(FormatMessage("Error: SubRule Name conflict with another Rule/SubRule: %s\n", name));
            return false;
        }
    }
    return true;
}

bool CZEL2XML::printXMLPhrase(std::string& out) {
    phrase_ = processXMLSpecialTag(phrase_);
    variable_ = processXMLSpecialTag(variable_);
    if (!ruleName_.empty() && phrase_ == ruleName_) {
        fail(FormatMessage("Error: Cannot support a direct recursion in Rule/SubRule:%s\n", ruleName_));
        return false;
    }
    if (!phrase_.empty()) {
        const char* element = "Phrase";
        std::string name = phrase_;
        if (subRuleNames_.count(phrase_)) {
            element = "RuleRef";
        } else if (StartsWith(phrase_, "_W_")) {
            element = "Word";
            name = phrase_.substr(3, 199);
        }
        std::string text = std::string(element) + " Name=\"" + name + "\" ";
        if (!weight_.empty()) {
            text += "Weight=\"" + weight_ + "\" ";
            --weights_;
        }
        if (!variable_.empty()) {
            text += (variable_[0] == '$' ? "Var" : "Attribute") + std::string("=\"") + variable_ + "\" ";
            inVariable_ = false;
        }
        phrase_.clear();
        weight_.clear();
        variable_.clear();
        xmlTagWrite(out, text);
    } else if (!weight_.empty()) {
        --weights_;
        inVariable_ = false;
        weight_.clear();
        variable_.clear();
    }
    if (quantifiers_ > 0) {
        --quantifiers_;
        return xmlTagEnd(out);
    }
    return true;
}

void CZEL2XML::processReturn(std::string& out, const std::string& body, size_t& at) {
    std::string text;
    bool afterBackslash = false;
    ++at;
    while (at < body.size() && body[at] != '}') {
        const size_t step = CharAt(body, at);
        if (!(step == 1 && body[at] == '"' && !afterBackslash)) text.append(body, at, step);
        afterBackslash = step == 1 && body[at] == '\\';
        at += step;
    }
    if (text.empty()) return;
    xmlTagBegin(out, "Return");
    pushTag("Return");
    xmlTagWrite(out, "SubReturn Value=\"" + processXMLSpecialTag(text) + "\"");
    xmlTagEnd(out);
}

bool CZEL2XML::convZELRuleBody2WCL(std::string& out, std::string body, const std::string& name) {
    phrase_.clear();
    weight_.clear();
    variable_.clear();
    ruleName_ = name;
    body += ' ';
    bool firstGroupSeen = false;
    char p = ' ';
    bool ok = true;
    for (size_t at = 0; at < body.size() && ok;) {
        const size_t step = CharAt(body, at);
        const char c = body[at];
        std::string* target = weights_ > 0 ? &weight_ : inVariable_ ? &variable_ : &phrase_;
        if (step == 2) {
            if (IsQuantifier(p)) ++quantifiers_;
            target->append(body, at, 2);
            p = body[at + 1];
            at += 2;
            continue;
        }
        switch (c) {
            case ' ':
            case '\t': ok = printXMLPhrase(out); break;
            case '\n':
            case '}': break;
            case '(':
                groupStatus_.push_back(IsQuantifier(p));
                if (firstGroupSeen) {
                    ++sequenceDepth_;
                    xmlTagBegin(out, "Seq");
                    pushTag("Seq");
                } else {
                    firstGroupSeen = true;
                }
                break;
            case ')':
                ok = printXMLPhrase(out);
                if (ok && sequenceDepth_ > 0) {
                    ok = xmlTagEnd(out);
                    --sequenceDepth_;
                    const bool quantified = !groupStatus_.empty() && groupStatus_.back();
                    if (!groupStatus_.empty()) groupStatus_.pop_back();
                    if (ok && quantified) ok = xmlTagEnd(out);
                }
                break;
            case '[':
                groupStatus_.push_back(IsQuantifier(p));
                firstGroupSeen = true;
                xmlTagBegin(out, "Oneof");
                pushTag("Oneof");
                break;
            case ']': {
                ok = printXMLPhrase(out) && xmlTagEnd(out);
                const bool quantified = !groupStatus_.empty() && groupStatus_.back();
                if (!groupStatus_.empty()) groupStatus_.pop_back();
                if (ok && quantified) ok = xmlTagEnd(out);
                break;
            }
            case '*':
                xmlTagBegin(out, kOptLoopBegin);
                pushTag(kOptLoopEnd);
                break;
            case '+':
                xmlTagBegin(out, "Loop");
                pushTag("Loop");
                break;
            case '?':
                xmlTagBegin(out, "Opt");
                pushTag("Opt");
                break;
            case '{': processReturn(out, body, at); break;
            case '~':
                inVariable_ = false;
                ++weights_;
                weight_.clear();
                break;
            case ':':
                if (at + 1 < body.size() && body[at + 1] == '$') {
                    inVariable_ = true;
                } else {
                    phrase_.push_back(':');
                }
                break;
            case '\\':
                if (at + 1 < body.size()) {
                    const size_t next = CharAt(body, at + 1);
                    phrase_.append(body, at + 1, next);
                    at += next;
                }
                p = 'S';
                at += 1;
                continue;
            default:
                if (IsQuantifier(p)) ++quantifiers_;
                target->push_back(c);
                break;
        }
        p = body[at];
        at += 1;
    }
    ruleName_.clear();
    return ok;
}

bool CZEL2XML::convertLine(const std::string& line, const char* element, size_t nameStart, std::string& out) {
    const size_t blank = line.find(' ');
    if (blank == std::string::npos) return true;
    const std::string name = line.substr(nameStart, blank - nameStart);
    xmlTagBegin(out, std::string(element) + " Name=\"" + name + "\"");
    pushTag(element);
    quantifiers_ = weights_ = sequenceDepth_ = 0;
    inVariable_ = false;
    bodyFloor_ = tags_.size();
    bool ok = convZELRuleBody2WCL(out, line.substr(blank), name);
    // A body whose groups or quantifiers do not close would end the wrong
    // elements; it fails instead.
    if (ok && tags_.size() != bodyFloor_) {
        fail("Error: tag num does not match!\n");
        ok = false;
    }
    bodyFloor_ = 0;
    return ok && xmlTagEnd(out);
}

bool CZEL2XML::convertZELRule2WCL(const std::string& line, std::string& out) {
    return convertLine(line, "Rule", 1, out);
}

bool CZEL2XML::convertZELSubRule2WCL(const std::string& line, std::string& out) {
    return convertLine(line, "SubRule", 0, out);
}

bool CZEL2XML::ZEL2XML(const std::string& source, const std::string& output) {
    if (!checkZELGrammarFile(source)) return false;
    const std::string refined = source + ".refined";
    if (!refineZEL(source, refined)) return false;
    if (!readLibName(refined)) return false;
    std::string target = output;
    if (target.empty()) {
        const size_t dot = source.find('.');
        if (dot == std::string::npos) return false;
        target = source.substr(0, dot) + ".wcl.xml";
    }
    std::string text;
    if (!ReadTextFile(refined, text)) {
        fail("Error:ZEL2XML():Cannot open file " + source + " or " + target + "\n");
        return false;
    }
    tags_.clear();
    depth_ = 0;
    std::string out = "<?xml version=\"1.0\" encoding=\"GB2312\"?>\n";
    xmlTagBegin(out, "WCL");
    pushTag("WCL");
    bool grammarOpen = false;
    bool libraryOpen = false;
    bool ok = true;
    for (std::string line : SplitLines(text)) {
        filterComment(line);
        if (isRule(line)) {
            if (libraryOpen) xmlTagEnd(out);
            if (!grammarOpen) {
                xmlTagBegin(out, "Grammar");
                pushTag("Grammar");
            }
            if (!(ok = convertZELRule2WCL(line, out))) break;
            libraryOpen = false;
            grammarOpen = true;
        } else if (isSubRule(line)) {
            if (!libraryOpen) {
                xmlTagBegin(out, "GrammarLib");
                pushTag("GrammarLib");
            }
            if (!(ok = convertZELSubRule2WCL(line, out))) break;
            const bool grammarWasOpen = grammarOpen;
            grammarOpen = false;
            libraryOpen = true;
            if (grammarWasOpen) xmlTagEnd(out);
        }
    }
    if (ok) {
        if (grammarOpen) xmlTagEnd(out);
        if (libraryOpen) xmlTagEnd(out);
        xmlTagEnd(out);
    }
    // A failed conversion leaves what it wrote, and the refined file, to look at.
    if (!WriteTextFile(target, out)) {
        fail("Error:ZEL2XML():Cannot open file " + source + " or " + target + "\n");
        return false;
    }
    if (!ok) return false;
    RemoveIntermediate(refined);
    message_ = source + " converted successfully,result saved in " + target + "\n";
    return true;
}

bool Regular2XML(const std::string& source, const std::string& output) {
    CZEL2XML converter;
    return converter.ZEL2XML(source, output);
}

}  // namespace zel
