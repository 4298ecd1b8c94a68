// CRuleNet: one compiled rule network as loaded from its block, with the
// lists of its index entry and the state it keeps per lattice while rules
// run on it (parameters and matching controls, keyed by the lattice's
// address). A network takes part in the lattice-destruction hook, so a
// lattice's entries leave every network when the lattice is destroyed. The
// per-lattice maps are locked, so rules may run on different lattices in
// different threads.
#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "zel/lattice/kv_table.h"
#include "zel/rules/format/fsa_format.h"
#include "zel/rules/net/rs_config.h"

namespace zel {

class CLattice;

// One node: its forward record and its predecessors.
struct RULE_NODE {
    FsaForwardRecord next;
    FsaBackwardRecord prev;
};

// One slot of a lattice's entry record.
struct RuleEntrySlot {
    std::string unit;
    std::string key;
    std::string params;
};

class CRuleNet {
public:
    CRuleNet();
    ~CRuleNet();
    CRuleNet(const CRuleNet&) = delete;
    CRuleNet& operator=(const CRuleNet&) = delete;

    // ---- loading (rule_net_load.cpp) ----
    // Frees nodes, atoms, filter and length tables.
    void RuleExit();
    // The block at offset of an open data file.
    bool ReadNetDat(std::FILE* file, int64_t offset);
    // Decodes a block body; false (and nothing kept) for a bad body.
    bool RuleNetInit_Buf(const char* body, size_t size);
    // A file holding one block at offset 0.
    bool RuleInit(const char* path);

    // ---- parameters and controls (rule_params.cpp) ----
    // Applies the defaults, then text, to the lattice's controls and
    // parameters (made fresh on first use); false for a null text.
    bool SetRuleParam(CLattice* lattice, const char* text);
    // Controls back to their reset values (Dist kept), parameters emptied.
    void ClearParam(CLattice* lattice);
    bool GetParam(CLattice* lattice, const char* name, std::string& out) const;
    // The lattice's parameters in key order.
    std::map<std::string, std::string> GetParams(const CLattice* lattice) const;
    // The lattice's controls, or null when it has none.
    const CRSConfig* Controls(const CLattice* lattice) const;
    void GetMatch_From(CLattice* lattice, int& out) const;
    void GetMatch_To(CLattice* lattice, int last, int& out) const;
    void GetLen_LiHe(CLattice* lattice, int& out) const;
    bool IsMatchLihe(CLattice* lattice) const;
    bool IsArgMatch(CLattice* lattice) const;
    bool IsArgCandidate(CLattice* lattice) const;
    bool IsMatchOrder(CLattice* lattice) const;
    int GetBoundType(CLattice* lattice) const;
    void Add2RuleInfo(CLattice* lattice, const char* unit, const char* key, const char* params);
    void ClearUnit_Beg(CLattice* lattice);
    // Drops everything kept for the lattice.
    void ForgetLattice(const CLattice* lattice);

    // ---- lookups (rule_net_lookup.cpp) ----
    // The first-word filter test.
    bool CheckBIT(const char* word) const;
    // Length bounds of words starting (R) or ending (L) with text's characters.
    int GetMaxLen_R(const char* text) const;
    int GetMaxLen_L(const char* text) const;
    // The atom of a node, "" for a node without one.
    const std::string& AtomOf(int node) const;

    std::string name;
    int32_t longestEntry = 0;
    std::vector<uint8_t> filter;
    std::vector<uint16_t> lastCharTable;
    std::vector<uint16_t> firstCharTable;
    int32_t nodeCount = 0;
    int32_t startNode = 0;
    int32_t endNode = 0;
    std::vector<RULE_NODE> nodes;
    std::vector<std::string> atoms;
    std::map<std::string, std::vector<int32_t>> namedSets;
    // Set name -> decimal texts of its node numbers.
    CKVTable entryIndex;
    std::vector<std::string> libraries;
    std::vector<std::string> defaults;
    std::vector<std::string> conditions;

private:
    using LatticeKey = uint64_t;
    static LatticeKey KeyOf(const CLattice* lattice) { return reinterpret_cast<uintptr_t>(lattice); }
    void ApplyParams(CLattice* lattice, CRSConfig& controls, std::map<std::string, std::string>& params,
                     const char* text);

    mutable std::mutex latticeMutex_;  // guards the maps below
    std::map<LatticeKey, std::map<std::string, std::string>> params_;
    std::map<LatticeKey, CRSConfig> controls_;
    std::map<LatticeKey, std::vector<RuleEntrySlot>> entrySlots_;
    std::map<LatticeKey, int> entrySlotsUsed_;
};

// The network's own name from a block name: the text after the first
// "tmp/", cut at the first ".old" that follows; other names stay whole.
std::string BlockNetName(const std::string& blockName);

}  // namespace zel
