// Tools around the word network that the compile itself does not use: word
// lists from the grammar, the file header of NETWORK files, a sharing form
// of sub-rule use, and freeing the networks of part of the document.
#include <algorithm>
#include <ctime>
#include <tinyxml2.h>

#include "zel/compiler/compiler_messages.h"
#include "zel/compiler/compiler_text.h"
#include "zel/compiler/word_net.h"
#include "zel/rules/format/byte_reader.h"

namespace zel {

using tinyxml2::XMLElement;

namespace {

void CollectPhraseNames(const tinyxml2::XMLNode* element, std::set<std::string>& names) {
    for (const XMLElement* child = element->FirstChildElement(); child; child = child->NextSiblingElement()) {
        if (std::string(child->Name()) == "Phrase") {
            if (const char* name = child->Attribute("Name")) names.insert(name);
        }
        CollectPhraseNames(child, names);
    }
}

// The text cut to at most size bytes without splitting a character.
std::string CutAtCharacter(const std::string& text, size_t size) {
    size_t end = 0;
    while (end < text.size()) {
        const size_t step = CharAt(text, end);
        if (end + step > size) break;
        end += step;
    }
    return text.substr(0, end);
}

}  // namespace

void CNode::SetNextNodes(const std::vector<CNode*>& list) {
    for (CNode* node : list) AddNode(node, 0.0f);
}

void DebugInfo(const std::string& text) { std::puts(text.c_str()); }

CXML2WordNet::CXML2WordNet(const std::string&) : CXML2WordNet() {}

bool CXML2WordNet::LoadDocument() {
    if (loaded_) return true;
    if (!document_) document_ = std::make_unique<tinyxml2::XMLDocument>();
    loaded_ = document_->LoadFile(xmlPath_.c_str()) == tinyxml2::XML_SUCCESS;
    return loaded_;
}

bool CXML2WordNet::SaveWordNet() {
    GetWordlist();
    return SaveNet();
}

bool CXML2WordNet::GenWordListFromGrammar(std::set<std::string>& names) {
    names.clear();
    if (LoadDocument()) CollectPhraseNames(document_.get(), names);
    return true;
}

bool CXML2WordNet::GenSyllableFromWordlist() { return true; }

void CXML2WordNet::FreeXMLNode(XMLElement* element) {
    if (!element) return;
    for (XMLElement* child = element->FirstChildElement(); child; child = child->NextSiblingElement())
        FreeXMLNode(child);
    const auto attached = elementNets_.find(element);
    if (attached == elementNets_.end()) return;
    CWordNet* net = attached->second;
    elementNets_.erase(attached);
    // Nothing may keep pointing at the network once it is gone.
    nodeSetCache_.erase(net);
    for (auto rule = subRules_.begin(); rule != subRules_.end();) {
        rule = rule->second == net ? subRules_.erase(rule) : std::next(rule);
    }
    nets_.erase(std::remove_if(nets_.begin(), nets_.end(), [&](const auto& owned) { return owned.get() == net; }),
                nets_.end());
}

bool CXML2WordNet::GetEncodeID(const std::string& text, int& index) const {
    const auto found = std::lower_bound(words_.begin(), words_.end(), text);
    if (found == words_.end() || *found != text) {
        index = -1;
        return false;
    }
    index = static_cast<int>(found - words_.begin());
    return true;
}

bool CXML2WordNet::SaveWordList() {
    std::string out;
    AppendLE<uint32_t>(out, static_cast<uint32_t>(words_.size()));
    for (const std::string& word : words_) {
        // The length is one byte: a longer word would corrupt the list.
        if (word.size() > 0xFF) {
            CompilerError("GoToError: word too long: " + word.substr(0, 64) + "\n");
            return false;
        }
        out += static_cast<char>(word.size());
        out += word;
    }
    if (wordListPath_.empty() || !WriteTextFile(wordListPath_, out)) {
        CompilerError("GoToError open the file " + wordListPath_ + ".\n");
        return false;
    }
    return true;
}

bool CXML2WordNet::GetCFGName(std::string& name) {
    if (!LoadDocument()) return false;
    const XMLElement* root = document_->FirstChildElement();
    if (!root || std::string(root->Name()) != "WCL") return false;
    const char* value = root->Attribute("Name");
    if (!value) return false;
    name = value;
    return true;
}

bool CXML2WordNet::WriteHeader(FILE* stream, int selector) {
    const std::time_t now = std::time(nullptr);
    char when[64] = "";
    ctime_r(&now, when);
    std::string text = std::string("Built: \t\t\t") + when;
    std::string name;
    if (GetCFGName(name)) text = "CFG: " + name + ";" + text;
    // However long the grammar's name, the text keeps its 512 bytes.
    text = CutAtCharacter(text, kNetHeaderTextSize);
    text.resize(kNetHeaderTextSize, ' ');
    AppendLE<int32_t>(text, static_cast<int32_t>(selector != 0 ? nodes_.size() : words_.size()));
    return fwrite(text.data(), 1, text.size(), stream) == text.size();
}

CWordNet* CXML2WordNet::GenRuleRefWordNetEx(CWordNet* source) {
    const std::vector<CNode*> members = GetAllNode(source);
    std::unordered_map<CNode*, CNode*> copies;
    const auto copyOf = [&](CNode* node) {
        CNode*& copy = copies[node];
        if (!copy) copy = NewNode(node->type, node->hasText ? &node->text : nullptr);
        return copy;
    };
    CWordNet* net = NewNet();
    for (CNode* head : source->heads) {
        // The end node stands for itself: the use can be skipped as the
        // template can.
        if (head == end_) {
            net->heads.push_back(end_);
            break;
        }
        net->heads.push_back(copyOf(head));
    }
    for (CNode* tail : source->tails) {
        if (tail != end_) net->tails.push_back(copyOf(tail));
    }
    const auto mapped = [&](CNode* node) {
        const auto copy = copies.find(node);
        return copy == copies.end() ? node : copy->second;
    };
    for (CNode* node : members) {
        if (node == end_) continue;
        const auto copy = copies.find(node);
        const size_t edges = node->next.size();
        for (size_t i = 0; i < edges; ++i) {
            CNode* next = node->next[i];
            const float weight = i < node->weights.size() ? node->weights[i] : 0.0f;
            if (copy != copies.end()) {
                // A copied end leads where the template's end leads.
                copy->second->AddNode(mapped(next), weight);
            } else if (copies.count(next)) {
                // The shared inner nodes lead to this use's copies too.
                node->AddNode(copies[next], weight);
            }
        }
    }
    return net;
}

bool CXML2WordNet::GetRuleElementName(const XMLElement* element, std::string& name) {
    if (const char* value = element->Attribute("Name")) name = value;
    return true;
}

CWordNet* CXML2WordNet::SubRuleNet(const std::string& name) const {
    const auto found = subRules_.find(name);
    return found == subRules_.end() ? nullptr : found->second;
}

}  // namespace zel
