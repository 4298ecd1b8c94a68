// Loading a network from its block.
#include <algorithm>
#include <string>

#include "common/platform/file_handle.h"
#include "zel/lattice/error_msg.h"
#include "zel/rules/format/rule_hash.h"
#include "zel/rules/net/rule_net.h"

namespace zel {

std::string BlockNetName(const std::string& blockName) {
    size_t tmp = blockName.find("tmp/");
    if (tmp == std::string::npos) return blockName;
    std::string name = blockName.substr(tmp + 4);
    size_t old = name.find(".old");
    return old == std::string::npos ? name : name.substr(0, old);
}

void CRuleNet::RuleExit() {
    nodes.clear();
    atoms.clear();
    filter.clear();
    lastCharTable.clear();
    firstCharTable.clear();
    nodeCount = startNode = endNode = 0;
    longestEntry = 0;
}

bool CRuleNet::ReadNetDat(std::FILE* file, int64_t offset) {
    std::string body;
    return ReadFsaBlockAt(file, offset, body) && RuleNetInit_Buf(body.data(), body.size());
}

bool CRuleNet::RuleNetInit_Buf(const char* body, size_t size) {
    FsaBlock block;
    if (!DecodeFsaBody(std::string_view(body, size), block)) return false;
    RuleExit();
    namedSets.clear();
    entryIndex.Clear();
    name = BlockNetName(block.name);
    longestEntry = block.longest;
    filter = std::move(block.filter);
    nodeCount = static_cast<int32_t>(block.forward.size());
    startNode = block.startNode;
    endNode = block.endNode;
    atoms = std::move(block.atoms);
    nodes.resize(block.forward.size());
    for (size_t i = 0; i < nodes.size(); ++i) {
        nodes[i].next = std::move(block.forward[i]);
        if (i < block.backward.size()) nodes[i].prev = std::move(block.backward[i]);
    }
    lastCharTable = std::move(block.lastCharTable);
    firstCharTable = std::move(block.firstCharTable);
    if (!block.sets.empty() && entryIndex.BucketCount() == 0) {
        // Sized to the sets: the bucket count is not visible from outside.
        entryIndex.New_Table(static_cast<int>(std::min<size_t>(block.sets.size() * 2 + 1, 65536)));
    }
    for (FsaNodeSet& set : block.sets) {
        if (set.name.size() < kKVKeySize - 1) {
            for (int32_t node : set.nodes) entryIndex.Insert2KVEx(set.name.c_str(), std::to_string(node).c_str());
        }
        namedSets[set.name] = std::move(set.nodes);
    }
    return true;
}

bool CRuleNet::RuleInit(const char* path) {
    qz::FileHandle file = qz::OpenFile(path, "rb");
    if (!file) {
        _ErrorMsg("Error read %s.\n", path);
        return false;
    }
    return ReadNetDat(file.get(), 0);
}

const std::string& CRuleNet::AtomOf(int node) const {
    static const std::string none;
    if (node < 0 || node >= nodeCount) return none;
    int atom = nodes[static_cast<size_t>(node)].next.atom;
    return atom < 0 ? none : atoms[static_cast<size_t>(atom)];
}

bool CRuleNet::CheckBIT(const char* word) const { return FilterHas(filter, word); }

int CRuleNet::GetMaxLen_R(const char* text) const { return LengthBound(text, firstCharTable, false); }

int CRuleNet::GetMaxLen_L(const char* text) const { return LengthBound(text, lastCharTable, true); }

}  // namespace zel
