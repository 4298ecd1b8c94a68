// The word network of one compiled network: nodes for words, unit
// conditions, table references, return values and sub-rule separators, built
// from the XML grammar and saved as the word-network file that the block
// encoder reads.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

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
};

// The entry and exit nodes of the part of the network one element stands
// for; the end node among the heads means the part can be skipped.
struct CWordNet {
    std::vector<CNode*> heads;
    std::vector<CNode*> tails;
};

const char* WordNodeTypeName(uint32_t type);

class CXML2WordNet {
public:
    CXML2WordNet();
    ~CXML2WordNet();
    CXML2WordNet(const CXML2WordNet&) = delete;
    CXML2WordNet& operator=(const CXML2WordNet&) = delete;

    bool XML2WordNetInit(const std::string& xmlPath, const std::string& netPath);
    // Builds the network, its word list, and saves it.
    bool XML2WordNet();
    bool DebugWordNet(const std::string& path);

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

    std::string xmlPath_;
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
