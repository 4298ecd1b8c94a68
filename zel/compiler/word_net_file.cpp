// The word-network file, its readable dump, and the whole step from rule text
// to word-network file.
#include <cstdio>
#include <tinyxml2.h>

#include "zel/compiler/compiler_messages.h"
#include "zel/compiler/compiler_text.h"
#include "zel/compiler/word_net.h"
#include "zel/compiler/zel2xml.h"
#include "zel/rules/format/byte_reader.h"

namespace zel {

namespace {

constexpr uint32_t kNone = 0xFFFFFFFFu;
const char kRule[] = "====================================\n";

}  // namespace

bool CXML2WordNet::SaveNet() {
    std::string out;
    AppendLE<uint32_t>(out, static_cast<uint32_t>(words_.size()));
    for (const std::string& word : words_) {
        if (word.size() > 0xFFFF) {
            CompilerError("GoToError: word too long: " + word.substr(0, 64) + "\n");
            return false;
        }
        AppendLE<uint16_t>(out, static_cast<uint16_t>(word.size()));
        out += word;
    }
    AppendLE<uint32_t>(out, static_cast<uint32_t>(nodes_.size()));
    for (const auto& node : nodes_) {
        // A sub-rule template that was copied for its uses is only a
        // placeholder in the file.
        if (instantiated_.count(node.get())) {
            node->type = CNode::SR;
            AppendLE<uint32_t>(out, CNode::SR);
            AppendLE<uint32_t>(out, kNone);
            AppendLE<uint32_t>(out, node->instance < 0 ? kNone : static_cast<uint32_t>(node->instance));
            AppendLE<uint32_t>(out, 0);
            continue;
        }
        AppendLE<uint32_t>(out, node->type);
        AppendLE<uint32_t>(out, node->hasText ? wordIndex_.at(node->text) : kNone);
        AppendLE<uint32_t>(out, node->instance < 0 ? kNone : static_cast<uint32_t>(node->instance));
        AppendLE<uint32_t>(out, static_cast<uint32_t>(node->next.size()));
        for (const CNode* next : node->next) AppendLE<uint32_t>(out, static_cast<uint32_t>(next->number));
        for (size_t i = 0; i < node->next.size(); ++i) AppendLE<uint32_t>(out, 0);
    }
    if (!WriteTextFile(netPath_, out)) {
        CompilerError("GoToError open the file " + netPath_ + ".\n");
        return false;
    }
    return true;
}

bool CXML2WordNet::DebugWordNet(const std::string& path) {
    if (!document_) return false;
    std::string out = kRule;
    out += "           Wordlist\n";
    out += kRule;
    for (size_t i = 0; i < words_.size(); ++i) {
        out += "<" + std::to_string(i) + ">" + words_[i] + "\t";
        if ((i + 1) % 15 == 0) out += "\n";
    }
    out += "\n";
    out += kRule;
    out += "           CFG NET        \n";
    out += kRule;
    for (const auto& node : nodes_) {
        out += "<" + std::to_string(node->number) + ">\t" + WordNodeTypeName(node->type);
        if (node->hasText) out += "\t" + node->text + "\t" + std::to_string(node->instance);
        out += "\n";
        for (const CNode* next : node->next) {
            char item[64];
            snprintf(item, sizeof item, "%d(%3.1f %d)\t", next->number, 1.0, next->instance);
            out += item;
        }
        out += "\n------------------------------\n";
    }
    out += "\n\n\n";
    if (g_bIsLogOn) {
        out += kRule;
        out += "           XML\n";
        out += kRule;
        document_->Print();
    }
    if (!WriteTextFile(path, out)) {
        CompilerError("GoToError open the file " + path + ".\n");
        return false;
    }
    return true;
}

bool Reg2Net(const std::string& source, const std::string& netPath, const std::string& dumpPath) {
    const std::string xmlPath = source + ".xml";
    if (!Regular2XML(source, xmlPath)) {
        RemoveIntermediate(xmlPath);
        CompilerError("Error in Regular2XML%s\n", "");
        return false;
    }
    CXML2WordNet builder;
    builder.XML2WordNetInit(xmlPath, netPath);
    if (!builder.XML2WordNet()) {
        CompilerError("Error in XML2WordNet%s\n", "");
        return false;
    }
    if (!dumpPath.empty()) builder.DebugWordNet(dumpPath);
    RemoveIntermediate(xmlPath);
    return true;
}

}  // namespace zel
