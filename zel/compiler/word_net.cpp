#include "zel/compiler/word_net.h"

#include <algorithm>
#include <tinyxml2.h>

#include "zel/compiler/compiler_messages.h"
#include "zel/compiler/compiler_text.h"

namespace zel {

using tinyxml2::XMLElement;

namespace {

void Report(const std::string& text) { CompilerError(text + "\n"); }

std::string ElementText(const XMLElement* element) {
    const char* text = element->GetText();
    return text ? text : "";
}

// The "Name" attribute, else the element's text.
bool ElementWord(const XMLElement* element, std::string& word) {
    if (const char* name = element->Attribute("Name")) {
        word = name;
        return true;
    }
    if (const char* text = element->GetText()) {
        word = text;
        return true;
    }
    return false;
}

std::string Attribute(const XMLElement* element, const char* name) {
    const char* value = element->Attribute(name);
    return value ? value : "";
}

bool Has(const std::string& text, char c) { return GbkFindChar(text, c) != std::string::npos; }

// A unit's node kind and text, from the text written in the rule.
CNode::Type ClassifyUnit(const std::string& s, std::string& text) {
    if (!s.empty() && (s[0] == '|' || s[0] == '_')) {
        text = s.substr(1);
        return CNode::ATTR;
    }
    if (!Has(s, '=') && Has(s, '_')) {
        if (Has(s, '$') && s.back() >= '0' && s.back() <= '9') {
            text = "Word=" + s;
            return CNode::ATTR;
        }
        text = s;
        return CNode::CW;
    }
    if (StartsWith(s, "Tab=") || StartsWith(s, "Str=")) {
        text = s.substr(4);
        return CNode::CW;
    }
    if (s == "XB") {
        text = "_XB";
        return CNode::CW;
    }
    if (s == "Word=XB") {
        text = "Word=_XB";
        return CNode::ATTR;
    }
    if (Has(s, '=')) {
        text = s;
        return CNode::ATTR;
    }
    if (!s.empty() && s[0] == '^') {
        text = s.substr(1);
        return CNode::WORDLH;
    }
    text = s;
    return CNode::WORD;
}

bool EndsVariableName(char c) {
    static const std::string kEnds = "\t !\"#%&'()*+,-./:;<=>?@[\\]^_{}~";
    return kEnds.find(c) != std::string::npos;
}

// Element codes of the XML grammar.
enum ElementCode { kSeq, kOneof, kOpt, kPhrase, kRule, kRuleRef, kSubRule, kLoop, kOptLoop, kSp, kReturn, kSubReturn, kWord, kUnknown };

ElementCode GetElementType(const XMLElement* element) {
    static const std::map<std::string, ElementCode> kCodes = {
        {"Seq", kSeq},         {"Oneof", kOneof}, {"Opt", kOpt},     {"Phrase", kPhrase},
        {"Rule", kRule},       {"RuleRef", kRuleRef}, {"SubRule", kSubRule}, {"Loop", kLoop},
        {"OptLoop", kOptLoop}, {"SP", kSp},        {"Return", kReturn}, {"SubReturn", kSubReturn},
        {"Word", kWord}};
    const auto found = kCodes.find(element->Name());
    return found == kCodes.end() ? kUnknown : found->second;
}

}  // namespace

const char* WordNodeTypeName(uint32_t type) {
    static const char* const kNames[] = {"ENTER", "EXIT", "Char", "WORD", "WORDLH", "Return", "ATTR", "SR", "CW"};
    return type < 9 ? kNames[type] : "";
}

CXML2WordNet::CXML2WordNet() = default;
CXML2WordNet::~CXML2WordNet() = default;

bool CXML2WordNet::XML2WordNetInit(const std::string& xmlPath, const std::string& netPath) {
    if (!xmlPath.empty() && !netPath.empty()) {
        xmlPath_ = xmlPath;
        netPath_ = netPath;
    }
    document_ = std::make_unique<tinyxml2::XMLDocument>();
    loaded_ = false;
    return true;
}

bool CXML2WordNet::XML2WordNet() {
    if (!CreateWordNet()) return false;
    GetWordlist();
    return SaveNet();
}

CWordNet* CXML2WordNet::NewNet() {
    nets_.push_back(std::make_unique<CWordNet>());
    return nets_.back().get();
}

CNode* CXML2WordNet::NewNode(CNode::Type type, const std::string* text) {
    auto node = std::make_unique<CNode>();
    node->type = type;
    if (text) {
        node->hasText = true;
        node->text = *text;
        if (Has(*text, '$')) dollarNodes_.push_back(node.get());
    }
    node->number = static_cast<int>(nodes_.size());
    nodes_.push_back(std::move(node));
    return nodes_.back().get();
}

CWordNet* CXML2WordNet::Single(CNode* node) {
    CWordNet* net = NewNet();
    net->heads.push_back(node);
    net->tails.push_back(node);
    return net;
}

bool CXML2WordNet::CreateWordNet() {
    if (!LoadDocument()) return false;
    start_ = NewNode(CNode::ENTER, nullptr);
    end_ = NewNode(CNode::EXIT, nullptr);
    XMLElement* root = document_->FirstChildElement();
    if (!root) return true;
    if (XMLElement* library = root->FirstChildElement("GrammarLib")) {
        if (!CreateGrammarLibNet(library)) return false;
    }
    if (XMLElement* grammar = root->FirstChildElement("Grammar")) return CreateGrammarNet(grammar);
    return true;
}

bool CXML2WordNet::CreateGrammarLibNet(XMLElement* library) {
    for (XMLElement* rule = library->FirstChildElement("SubRule"); rule; rule = rule->NextSiblingElement("SubRule")) {
        const char* name = rule->Attribute("Name");
        if (!name || !CreateRuleNet(rule)) return false;
        const auto built = elementNets_.find(rule);
        if (built != elementNets_.end()) subRules_[name] = built->second;
    }
    return true;
}

bool CXML2WordNet::CreateGrammarNet(XMLElement* grammar) {
    std::vector<CWordNet*> rules;
    for (XMLElement* rule = grammar->FirstChildElement("Rule"); rule; rule = rule->NextSiblingElement("Rule")) {
        if (!CreateRuleNet(rule)) return false;
        const auto built = elementNets_.find(rule);
        if (built == elementNets_.end()) {
            Report("GoToError: Rule <" + ElementText(rule) + "> is not created correctly.");
            return false;
        }
        rules.push_back(built->second);
    }
    if (rules.empty()) return true;
    CWordNet* net = Oneof(rules);
    for (CNode* head : net->heads) start_->AddNode(head, 0.0f);
    for (CNode* tail : net->tails) tail->AddNode(end_, 1.0f);
    return true;
}

bool CXML2WordNet::CreateRuleNet(XMLElement* element) {
    std::vector<CWordNet*> children;
    for (XMLElement* child = element->FirstChildElement(); child; child = child->NextSiblingElement()) {
        if (!elementNets_.count(child) && !CreateRuleNet(child)) return false;
        // A child that made no network (an unknown element) adds nothing.
        const auto built = elementNets_.find(child);
        if (built != elementNets_.end()) children.push_back(built->second);
    }
    CWordNet* net = nullptr;
    switch (GetElementType(element)) {
        case kSeq: net = Seq(children, "Seq"); break;
        case kReturn: net = Seq(children, "Seq"); break;
        case kOneof:
            if (children.empty()) {
                Report("GoToError: <Oneof></Oneof> can not have 0 child!");
                return false;
            }
            net = Oneof(children);
            break;
        case kOpt:
            net = Seq(children, "Opt");
            if (net) net->heads.push_back(end_);
            break;
        case kLoop: net = Loop(children); break;
        case kRule:
            net = Seq(children, "Seq");
            variables_.clear();
            break;
        case kSubRule:
            net = Seq(children, "Seq");
            if (net) SetSubRuleInstantID(net);
            break;
        case kPhrase: net = Phrase(element); break;
        case kRuleRef: net = RuleRef(element); break;
        case kSubReturn: net = SubReturn(element); break;
        case kWord: {
            std::string word;
            if (!ElementWord(element, word)) return false;
            net = Single(NewNode(CNode::WORD, &word));
            break;
        }
        case kSp: {
            const std::string text = "SR";
            net = Single(NewNode(CNode::SR, &text));
            break;
        }
        case kOptLoop: return true;
        case kUnknown:
            Report("GoToError: Wrong element type:" + ElementText(element) + ".");
            return true;
    }
    if (!net) return false;
    elementNets_[element] = net;
    return true;
}

CWordNet* CXML2WordNet::Seq(const std::vector<CWordNet*>& children, const char* element) {
    if (children.empty()) {
        Report(std::string("GoToError: <") + element + "></" + element + "> can not have 0 child!");
        return nullptr;
    }
    CWordNet* net = NewNet();
    net->heads = children[0]->heads;
    net->tails = children[0]->tails;
    for (size_t i = 1; i < children.size(); ++i) {
        const CWordNet* child = children[i];
        const auto endInHeads = std::find(net->heads.begin(), net->heads.end(), end_);
        if (endInHeads != net->heads.end()) {
            net->heads.erase(endInHeads);
            net->heads.insert(net->heads.end(), child->heads.begin(), child->heads.end());
        }
        std::vector<CNode*> childTails = child->tails;
        const bool childSkippable = std::find(child->heads.begin(), child->heads.end(), end_) != child->heads.end();
        if (childSkippable) childTails.insert(childTails.end(), net->tails.begin(), net->tails.end());
        for (CNode* tail : net->tails) {
            for (CNode* head : child->heads) {
                if (head != end_) tail->AddNode(head, 0.0f);
            }
        }
        net->tails = childTails;
    }
    return net;
}

CWordNet* CXML2WordNet::Oneof(const std::vector<CWordNet*>& children) {
    CWordNet* net = NewNet();
    for (const CWordNet* child : children) {
        net->heads.insert(net->heads.end(), child->heads.begin(), child->heads.end());
        net->tails.insert(net->tails.end(), child->tails.begin(), child->tails.end());
    }
    return net;
}

CWordNet* CXML2WordNet::Loop(const std::vector<CWordNet*>& children) {
    CWordNet* net = Seq(children, "Loop");
    if (!net) return nullptr;
    for (CNode* tail : children.back()->tails) {
        for (CNode* head : children.front()->heads) {
            if (head != end_) tail->AddNode(head, 0.0f);
        }
    }
    return net;
}

CWordNet* CXML2WordNet::Phrase(XMLElement* element) {
    std::string written;
    if (!ElementWord(element, written)) return nullptr;
    std::string text;
    const CNode::Type type = ClassifyUnit(written, text);
    CNode* node = NewNode(type, &text);
    node->instance = 2 * instanceCounter_ + 2;
    ++instanceCounter_;
    const std::string variable = Attribute(element, "Var");
    if (!variable.empty()) variables_[variable].insert(node->instance);
    return Single(node);
}

CWordNet* CXML2WordNet::RuleRef(XMLElement* element) {
    const char* name = element->Attribute("Name");
    if (!name) {
        Report("GoToError: RuleRef element must have Name!");
        return nullptr;
    }
    const auto found = subRules_.find(name);
    if (found == subRules_.end()) {
        Report(std::string("GoToError: No sub rule named ") + name + ".");
        return nullptr;
    }
    CWordNet* copy = GenRuleRefWordNet(found->second);
    SetSubRuleInstantID(copy);
    referenced_.insert(name);
    const std::string variable = Attribute(element, "Var");
    if (!variable.empty() && !copy->heads.empty()) variables_[variable].insert(copy->heads[0]->instance);
    return copy;
}

const std::vector<CNode*>& CXML2WordNet::GetAllNode(CWordNet* net) {
    const auto cached = nodeSetCache_.find(net);
    if (cached != nodeSetCache_.end()) return cached->second;
    std::set<CNode*> seen;
    std::vector<CNode*> pending(net->heads.begin(), net->heads.end());
    std::vector<CNode*> all;
    while (!pending.empty()) {
        CNode* node = pending.back();
        pending.pop_back();
        if (!seen.insert(node).second) continue;
        all.push_back(node);
        pending.insert(pending.end(), node->next.begin(), node->next.end());
    }
    // Copies are numbered in the template's order, so that a network compiles
    // to the same bytes every time.
    std::sort(all.begin(), all.end(), [](const CNode* a, const CNode* b) { return a->number < b->number; });
    return nodeSetCache_[net] = std::move(all);
}

CWordNet* CXML2WordNet::GenRuleRefWordNet(CWordNet* source) {
    const std::vector<CNode*> members = GetAllNode(source);
    std::unordered_map<CNode*, CNode*> copies;
    copies[end_] = end_;
    for (CNode* node : members) {
        if (node == end_) continue;
        CNode* copy = NewNode(node->type, node->hasText ? &node->text : nullptr);
        copies[node] = copy;
        instantiated_.insert(node);
    }
    for (CNode* node : members) {
        if (node == end_) continue;
        CNode* copy = copies[node];
        for (size_t i = 0; i < node->next.size(); ++i) {
            const auto target = copies.find(node->next[i]);
            if (target != copies.end()) copy->AddNode(target->second, node->weights[i]);
        }
    }
    CWordNet* net = NewNet();
    for (CNode* head : source->heads) net->heads.push_back(copies.count(head) ? copies[head] : head);
    for (CNode* tail : source->tails) net->tails.push_back(copies.count(tail) ? copies[tail] : tail);
    return net;
}

void CXML2WordNet::SetSubRuleInstantID(CWordNet* net) {
    const int k = instanceCounter_;
    for (CNode* head : net->heads) {
        if (head != end_) head->instance = 2 * k + 1;
    }
    for (CNode* tail : net->tails) tail->instance = 2 * k + 2;
    ++instanceCounter_;
}

bool CXML2WordNet::TransformVal_Att(const std::string& attribute, const std::string& value, std::string& out) const {
    std::string result;
    for (size_t at = 0; at < value.size();) {
        const size_t step = CharAt(value, at);
        if (!(step == 1 && value[at] == '$')) {
            result.append(value, at, step);
            at += step;
            continue;
        }
        size_t end = at + 1;
        while (end < value.size()) {
            const size_t inner = CharAt(value, end);
            if (inner == 1 && EndsVariableName(value[end])) break;
            end += inner;
        }
        const auto bound = variables_.find(value.substr(at, end - at));
        if (bound == variables_.end()) return false;
        result += '$';
        bool first = true;
        for (int instance : bound->second) {
            if (!first) result += '@';
            result += std::to_string(instance);
            first = false;
        }
        if (end < value.size()) result += value[end++];
        at = end;
    }
    if (!attribute.empty()) result += "/" + attribute;
    out = result;
    return true;
}

CWordNet* CXML2WordNet::SubReturn(XMLElement* element) {
    const char* value = element->Attribute("Value");
    if (!value) {
        Report("GoToError not return value in SubReturn.");
        return nullptr;
    }
    std::string text;
    if (!TransformVal_Att(Attribute(element, "Attribute"), value, text)) {
        Report("GoToError Transform Attribute/Value when calling SubReturn.");
        return nullptr;
    }
    CWordNet* net = Single(NewNode(CNode::Return, &text));
    for (CNode* node : dollarNodes_) {
        std::string substituted;
        if (TransformVal_Att("", node->text, substituted) && !substituted.empty()) node->text = substituted;
    }
    return net;
}

void CXML2WordNet::GetWordlist() {
    for (const auto& node : nodes_) {
        if (!node->hasText) continue;
        if (wordIndex_.emplace(node->text, static_cast<uint32_t>(words_.size())).second) words_.push_back(node->text);
    }
}

}  // namespace zel
