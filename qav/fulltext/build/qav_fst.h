// Builder of the document-name transducer ("%s.BYTE" on the "Data" path): an
// array of u32 words mapping each name to its value (the document key). Names
// arrive in ascending bytewise order; only the path of the last name (the
// frontier) stays open, and a node is written as soon as no later name can
// reach it, after the nodes its arcs lead to. Values are the sums of the arc
// outputs along a name's path plus the final output its last arc carries.
//
// Word 0 is 0, so that position 0 means "no node". A node is its arcs, newest
// (largest label) first; one arc is, lowest address first:
//   [target position]  unless the arc is its node's newest
//   [output]           1 word, or 2 (high, low) above 4,294,967,294
//   [final output]     of the target, 1 or 2 words likewise
//   label, flags
// Flags: 0x01 target final, 0x02|0x04 newest arc (target written right
// below), 0x08 target has no arcs, 0x10 output, 0x20 final output, 0x40 and
// 0x80 two-word output and final output. A node's position is the index of
// its last word; the root is written last.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qav::bm {

// Largest word array and deepest frontier (so the longest name) of a build.
constexpr uint32_t kMaxFstWords = 102400000;
constexpr uint32_t kMaxFstNodes = 102400;

struct FSTNode;

struct FSTEdge {
    int64_t output = 0;
    std::unique_ptr<FSTNode> target;
    bool newest = false;
};

struct FSTNode {
    bool final = false;
    int64_t finalOutput = 0;
    std::unordered_map<unsigned char, FSTEdge> arcs;
    std::vector<unsigned char> labels;  // in order of adding
    uint32_t position = 0;
};

class QAVFST {
public:
    explicit QAVFST(uint32_t maxWords = kMaxFstWords, uint32_t maxNodes = kMaxFstNodes)
        : max_words_(maxWords), max_nodes_(maxNodes) {}

    // Adds every "name value" line of a sorted file (a line without a blank
    // repeats the previous name with value 0). False with "Error open %s\n"
    // when the file cannot be read, false too when Add fails.
    bool FSTIndex(const std::string& path);
    // Adds one name. A name equal to the previous one keeps the earlier value;
    // the empty name is ignored (no arc can carry it). False for a name below
    // the previous one, a name deeper than the frontier, or a full array.
    bool Add(std::string_view name, int64_t value);
    // Writes the nodes still open, deepest first, the root last.
    bool Finish();
    const std::vector<uint32_t>& words() const { return words_; }
    // Replaces path with the word array; false when it cannot be written.
    bool WriteBytes2Files(const std::string& path) const;

private:
    void FreezeTail(std::string_view name);
    bool Serialize(FSTNode& node);
    bool Push(uint32_t word);
    bool PushValue(int64_t value, uint32_t& flags, uint32_t oneWord, uint32_t twoWords);

    uint32_t max_words_;
    uint32_t max_nodes_;
    std::vector<uint32_t> words_;
    std::unique_ptr<FSTNode> root_;
    std::vector<FSTNode*> frontier_;  // slot k: the node after the first k bytes of the last name
    std::string last_name_;
    bool full_ = false;
};

}  // namespace qav::bm
