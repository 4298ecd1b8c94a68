// The word network of one compiled network: nodes for words, unit
// conditions, table references, return values and sub-rule separators, built
// from the XML grammar and saved as the word-network file that the block
// encoder reads.
#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "zel/compiler/network_file.h"

namespace tinyxml2 {
class XMLDocument;
class XMLElement;
}  // namespace tinyxml2

namespace zel {

struct CNode {
    // The codes of the word-network file and of compiled blocks.
    enum Type : uint32_t { ENTER = 0, EXIT = 1, Char = 2, WORD = 3, WORDLH = 4, Return = 5, ATTR = 6, SR = 7, CW = 8 };

    Type type = ENTER;
    bool hasText = false;
    std::string text;
    std::vector<CNode*> next;
    std::vector<float> weights;
    int instance = -1;
    int number = 0;

    void AddNode(CNode* node, float weight) {
        next.push_back(node);
        weights.push_back(weight);
    }
    // Appends every node of the list as a successor of weight 0, the weight
    // the word-network file gives every edge.
    void SetNextNodes(const std::vector<CNode*>& list);
};

// The entry and exit nodes of the part of the network one element stands
// for; the end node among the heads means the part can be skipped.
struct CWordNet {
    std::vector<CNode*> heads;
    std::vector<CNode*> tails;
};

const char* WordNodeTypeName(uint32_t type);

// Prints the text as a line.
void DebugInfo(const std::string& text);

class CXML2WordNet {
public:
    CXML2WordNet();
    // The language ("English", "Chinese", ...) changes nothing in the build.
    explicit CXML2WordNet(const std::string& language);
    ~CXML2WordNet();
    CXML2WordNet(const CXML2WordNet&) = delete;
    CXML2WordNet& operator=(const CXML2WordNet&) = delete;

    bool XML2WordNetInit(const std::string& xmlPath, const std::string& netPath);
    // Builds the network, its word list, and saves it.
    bool XML2WordNet();
    bool DebugWordNet(const std::string& path);

    // ---- further tools (word_net_tools.cpp) ----
    // Word list and word-network file of the network built.
    bool SaveWordNet();
    // The "Name" of every Phrase element of the XML grammar, depth first.
    bool GenWordListFromGrammar(std::set<std::string>& names);
    bool GenSyllableFromWordlist();
    // Frees the networks made for the element and everything below it.
    void FreeXMLNode(tinyxml2::XMLElement* element);
    // Bisection search: the word list must be sorted; index is -1 when absent.
    bool GetEncodeID(const std::string& text, int& index) const;
    // u32 count, then per word a u8 length and its bytes, to the word-list
    // path (which nothing sets, so this reports that it cannot open it).
    bool SaveWordList();
    // 512 blank-filled bytes of text naming the grammar and the build time,
    // then an i32: the node count when selector is not 0, else the word count.
    bool WriteHeader(FILE* stream, int selector);
    // The "Name" of the document's root, which must be WCL.
    bool GetCFGName(std::string& name);
    // A use of a sub-rule that copies only its heads and tails and shares its
    // inner nodes.
    CWordNet* GenRuleRefWordNetEx(CWordNet* source);
    // The element's "Name" attribute when it has one; name is kept otherwise.
    static bool GetRuleElementName(const tinyxml2::XMLElement* element, std::string& name);

    // ---- NETWORK files (network_file.cpp) ----
    static bool ReadNetWordlist(const std::string& netPath, const std::string& wordListPath, NetWordlist& net);
    static void FreeNetWordlist(NetWordlist& net);
    // The readable listing of the network, appended to the file when append is
    // set (the file must then exist).
    static bool WriteNetWordlist(const NetWordlist& net, const std::string& path, bool append);

    tinyxml2::XMLDocument* document() const { return document_.get(); }
    // The sub-rule network recorded under name, or null.
    CWordNet* SubRuleNet(const std::string& name) const;

    const std::vector<std::unique_ptr<CNode>>& nodes() const { return nodes_; }
    const std::vector<std::string>& words() const { return words_; }

private:
    bool CreateWordNet();
    bool CreateGrammarLibNet(tinyxml2::XMLElement* element);
    bool CreateGrammarNet(tinyxml2::XMLElement* element);
    bool CreateRuleNet(tinyxml2::XMLElement* element);

    CWordNet* NewNet();
    CNode* NewNode(CNode::Type type, const std::string* text);
    CWordNet* Seq(const std::vector<CWordNet*>& children, const char* element);
    CWordNet* Oneof(const std::vector<CWordNet*>& children);
    CWordNet* Loop(const std::vector<CWordNet*>& children);
    CWordNet* Single(CNode* node);
    CWordNet* Phrase(tinyxml2::XMLElement* element);
    CWordNet* RuleRef(tinyxml2::XMLElement* element);
    CWordNet* SubReturn(tinyxml2::XMLElement* element);
    CWordNet* GenRuleRefWordNet(CWordNet* source);
    const std::vector<CNode*>& GetAllNode(CWordNet* net);
    void SetSubRuleInstantID(CWordNet* net);
    bool TransformVal_Att(const std::string& attribute, const std::string& value, std::string& out) const;
    void GetWordlist();
    bool SaveNet();
    bool LoadDocument();

    std::string xmlPath_;
    std::string wordListPath_;
    std::string netPath_;
    std::unique_ptr<tinyxml2::XMLDocument> document_;
    bool loaded_ = false;
    std::map<std::string, CWordNet*> subRules_;
    CNode* start_ = nullptr;
    CNode* end_ = nullptr;
    std::vector<std::unique_ptr<CNode>> nodes_;
    std::vector<std::unique_ptr<CWordNet>> nets_;
    std::unordered_map<const tinyxml2::XMLElement*, CWordNet*> elementNets_;
    std::vector<std::string> words_;
    std::unordered_map<std::string, uint32_t> wordIndex_;
    std::set<CNode*> instantiated_;
    std::set<std::string> referenced_;
    int instanceCounter_ = 0;
    std::unordered_map<CWordNet*, std::vector<CNode*>> nodeSetCache_;
    std::map<std::string, std::set<int>> variables_;
    // Nodes whose text holds a '$': the only ones a return value's variable
    // substitution can change.
    std::vector<CNode*> dollarNodes_;
};

// Rule text to word-network file (and its readable dump when dumpPath is not
// empty), through the XML grammar in source + ".xml".
bool Reg2Net(const std::string& source, const std::string& netPath, const std::string& dumpPath);

}  // namespace zel
