// Encoding a word-network file into the body of a compiled rule-network block:
// the first-word filter, sorted successor lists, predecessor lists, length
// tables and node sets. These are the writer's side of a rule network; the
// runtime's network class reads what they write.
#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "zel/rules/format/fsa_format.h"

namespace zel {

// A word-network file as read: atoms (trimmed texts) and nodes.
struct WordNetData {
    struct Node {
        uint32_t type = 0;
        int32_t atom = -1;
        int32_t instance = -1;
        std::vector<int32_t> next;
        std::vector<float> weights;
    };
    std::vector<std::string> atoms;
    std::vector<Node> nodes;
};

namespace compiled_net {

// Filter size for a number of atoms.
int32_t FilterSize(size_t atoms);

// Reads and checks a word-network file; "Error read %s.\n" when it cannot be
// opened or does not hold a whole, consistent network.
bool Read_Old_Net(const std::string& path, WordNetData& net);
FsaBlock Encode_Old_Net(const WordNetData& net, const std::string& name);
// Appends the block (i32 body size, body) of the word-network file to data
// and records its offset under name.
bool DictIdx(const std::string& name, const std::string& netPath, FILE* data, std::map<std::string, int32_t>& offsets);
// A file holding the one block of the word-network file, named by its path;
// with a dump path also its readable dump.
bool RuleIdx(const std::string& netPath, const std::string& outPath, const std::string& dumpPath);
bool WriteToLog(const FsaBlock& block, const std::string& path);

}  // namespace compiled_net
}  // namespace zel
