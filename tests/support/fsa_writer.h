// Compiled rule networks for tests, made from a plain list of nodes and
// edges: the writer derives what a compiled block holds (successor and
// predecessor lists by type and order, atoms, filter, length tables with
// one entry, node sets), so the run-time side can be tested without the
// compiler.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "zel/rules/format/fsa_format.h"

namespace qztest {

struct NetNode {
    int type;
    std::string text;  // GBK; empty for a node without an atom
    int tag = -1;
};

struct NetSpec {
    std::string name;
    std::vector<NetNode> nodes;              // node 0 is ENTER, node 1 EXIT
    std::vector<std::pair<int, int>> edges;  // from, to
    bool backward = true;                    // write the backward part
};

zel::FsaBlock BuildFsaBlock(const NetSpec& spec);

struct NetEntry {
    NetEntry(std::string entryName, NetSpec netSpec) : name(std::move(entryName)), spec(std::move(netSpec)) {}

    std::string name;  // index entry name
    NetSpec spec;
    bool hasBlock = true;
    std::vector<std::string> libraries;
    std::vector<std::string> defaults;
    std::vector<std::string> conditions;
};

// folder/<base>fsa.idx and .dat (or <base>.idx/.dat when base holds "fsa").
void WriteRuleBase(const std::string& folder, const std::string& base, const std::vector<NetEntry>& entries);

// ENTER, EXIT, 北京 (tag 0), 大学 (tag 1), Return with action; 0-2-3-4-1.
NetSpec TwoWordNet(const std::string& name, const std::string& action);

}  // namespace qztest
