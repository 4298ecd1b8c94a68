// The process's rule base: every loaded network, found by name through a
// hash table of sorted chains. Start-up fills it from the compiled
// rule-base files; GlobalExit frees it with all its networks.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "zel/rules/net/rule_net.h"

namespace zel {

// Name -> network; the bucket of a name is hashValue(name, size) and each
// bucket keeps its names in byte order.
class Hash_Table_Rule {
public:
    explicit Hash_Table_Rule(int size);
    // An existing name gets the new network.
    void Update(const std::string& name, CRuleNet* net);
    CRuleNet* Lookup(const std::string& name) const;

private:
    std::vector<std::map<std::string, CRuleNet*>> buckets_;
};

class CRuleBase {
public:
    explicit CRuleBase(int hashSize) : hashSize_(hashSize) {}
    ~CRuleBase() { RuleBaseExit(); }
    CRuleBase(const CRuleBase&) = delete;
    CRuleBase& operator=(const CRuleBase&) = delete;

    // Loads the networks of one index/data pair; false when a file is
    // missing or a block cannot be read (networks before it stay).
    bool RuleBaseInit(const char* idxPath, const char* datPath, int hashSize, std::vector<CRuleNet*>& loaded);
    void RuleBaseExit();
    // Stores the name as given.
    void UpdateRuleNet(const char* name, CRuleNet* net);
    // A single-block file, registered under the upper-case name; false
    // (nothing registered) when it cannot be read.
    bool UpdateRuleNet(const char* name, const char* path);
    // The name is folded to upper case first.
    CRuleNet* LookupRuleNet(const char* name) const;

    // Every network of the index files, in load order.
    std::vector<std::unique_ptr<CRuleNet>> nets;
    // Networks loaded one at a time by name and file.
    std::vector<std::unique_ptr<CRuleNet>> singleNets;

private:
    int hashSize_;
    std::unique_ptr<Hash_Table_Rule> names_;
};

extern CRuleBase* g_pRuleBase;

// Loads the pairs of the names from folder into a new rule base; does
// nothing when the rule base exists. Always true.
bool GlobalInit_Rule(const std::vector<std::string>& names, const char* folder, int hashSize);
// The same for one explicitly named pair.
bool GlobalInit(const char* idxPath, const char* datPath, int hashSize);
// Frees the rule base and everything in it.
void GlobalExit();

// Folds a-z to A-Z.
void ToUpper(std::string& text);

}  // namespace zel
