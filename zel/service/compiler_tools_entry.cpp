// The exported entries of the further compiler tools: each forwards to the
// compiler with a fresh converter, so that no call sees another's state.
#include <memory>

#include "include/zellib_compiler.h"
#include "zel/compiler/conv_pub.h"
#include "zel/compiler/network_file.h"
#include "zel/compiler/rule_base_idx.h"
#include "zel/compiler/word_net.h"
#include "zel/service/compiler_message_route.h"

bool CRuleBase::RuleBaseIdx(const char* listPath, const char* indexPath, const char* dataPath) {
    if (!listPath || !indexPath || !dataPath) return false;
    zel::RouteCompilerMessages();
    return zel::RuleBaseIdx(listPath, indexPath, dataPath);
}

bool CRuleNet::RuleIdx(const char* name, const char* netPath, FILE* data, FILE* index,
                       std::map<std::string, int>& offsets) {
    if (!name || !netPath || !data || !index) return false;
    zel::RouteCompilerMessages();
    return zel::compiled_net::RuleIdx(name, netPath, data, index, offsets);
}

bool CConvPub::genFreqHash(const char* grammarPath, std::map<std::string, int>& counts) {
    if (!grammarPath) return false;
    zel::RouteCompilerMessages();
    return zel::CConvPub().genFreqHash(grammarPath, counts);
}

bool CConvPub::makeSubRuleZEL(const char* grammarPath, const char* outputPath, int minCount, int minLength) {
    if (!grammarPath || !outputPath) return false;
    zel::RouteCompilerMessages();
    return zel::CConvPub().makeSubRuleZEL(grammarPath, outputPath, minCount, minLength);
}

bool CConvPub::outputAllWords(const char* grammarPath, const char* outputPath) {
    if (!grammarPath || !outputPath) return false;
    zel::RouteCompilerMessages();
    return zel::CConvPub().outputAllWords(grammarPath, outputPath);
}

bool CConvPub::FSM2GrammarFile(const char* machinePath, const char* outputPath) {
    if (!machinePath || !outputPath) return false;
    zel::RouteCompilerMessages();
    return zel::CConvPub().FSM2GrammarFile(machinePath, outputPath);
}

bool CXML2WordNet::ReadNetWordlist(const char* netPath, const char* wordListPath, zel::NetWordlist*& network) {
    network = nullptr;
    if (!netPath || !wordListPath) return false;
    zel::RouteCompilerMessages();
    auto read = std::make_unique<zel::NetWordlist>();
    if (!zel::CXML2WordNet::ReadNetWordlist(netPath, wordListPath, *read)) return false;
    network = read.release();
    return true;
}

void CXML2WordNet::FreeNetWordlist(zel::NetWordlist* network) { delete network; }

bool CXML2WordNet::WriteNetWordlist(const zel::NetWordlist* network, const char* path, bool append) {
    if (!network || !path) return false;
    zel::RouteCompilerMessages();
    return zel::CXML2WordNet::WriteNetWordlist(*network, path, append);
}

void DebugInfo(const char* text) { zel::DebugInfo(text ? text : ""); }
