// The compiled rule-base files: "…fsa.idx" lists the networks of a base with
// their libraries, default parameters and entry conditions; "…fsa.dat"
// holds one block per network (i32 body size, then the body). Both are
// little-endian with length-prefixed GBK texts. The structs below are the
// decoded forms; the compiler fills them and writes them with the encoders,
// the loader reads them with the decoders.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace zel {

enum NodeType : int32_t {
    ENTER = 0,   // reaching it backwards completes the left part of a match
    EXIT = 1,
    Char = 2,    // never in a block
    WORD = 3,    // a literal word
    WORDLH = 4,  // a word written with a leading '^'
    Return = 5,  // its atom is the rule's action
    ATTR = 6,    // a unit condition
    SR = 7,      // separator and copied sub-rule template
    CW = 8,      // a word-table or string reference
};

// Texts of the index file are shorter than this.
constexpr size_t kFsaIndexTextSize = 51200;
// Filter size of a compiled block: odd, at least this.
constexpr int kFsaMinFilterSize = 641;
constexpr int32_t kFsaNoBlock = -1;

// "%s/%sfsa.idx" and "%s/%sfsa.dat", or "%s/%s.idx" and "%s/%s.dat" when the
// name has at least three bytes and contains "fsa".
void FsaFileNames(const std::string& folder, const std::string& name, std::string& idxPath, std::string& datPath);

struct FsaIndexEntry {
    std::string name;                  // upper case
    int32_t offset = kFsaNoBlock;      // of the block in the data file
    std::vector<std::string> libraries;
    std::vector<std::string> defaults;
    std::vector<std::string> conditions;
};

// Successors of a node grouped by their type; words sorted by the byte order
// of their atoms, carets by reversed-character order.
struct FsaForwardRecord {
    int32_t type = SR;
    int32_t atom = -1;
    int32_t tag = -1;
    std::vector<int32_t> words;
    std::vector<float> wordWeights;  // one per word, unread at run time
    std::vector<int32_t> carets;
    std::vector<float> caretWeights;
    std::vector<int32_t> attrs;
    std::vector<int32_t> others;
    std::vector<int32_t> tables;
};

// Predecessors of a node grouped by their type; words sorted by
// reversed-character order.
struct FsaBackwardRecord {
    std::vector<int32_t> words;
    std::vector<int32_t> attrs;
    std::vector<int32_t> tables;
    std::vector<int32_t> starts;
};

struct FsaNodeSet {
    std::string name;
    std::vector<int32_t> nodes;
};

// One network block. The backward part (backward records, length tables,
// node sets) is written when hasBackward is set; a block without it is valid.
struct FsaBlock {
    std::string name;
    int32_t longest = 0;
    std::vector<uint8_t> filter;
    int32_t startNode = 0;
    int32_t endNode = 0;
    std::vector<std::string> atoms;
    std::vector<FsaForwardRecord> forward;  // one per node
    bool hasBackward = true;
    std::vector<FsaBackwardRecord> backward;  // one per node
    std::vector<uint16_t> lastCharTable;      // same size as firstCharTable
    std::vector<uint16_t> firstCharTable;
    std::vector<FsaNodeSet> sets;
};

// ---- index file ----
void AppendFsaIndexCount(std::string& out, int32_t count);
void AppendFsaIndexEntry(std::string& out, const FsaIndexEntry& entry);
class ByteReader;
bool ReadFsaIndexEntry(ByteReader& in, FsaIndexEntry& entry);

// ---- block body ----
// Body bytes (without the leading size).
std::string EncodeFsaBody(const FsaBlock& block);
// i32 size, then the body.
std::string EncodeFsaBlock(const FsaBlock& block);
// false for a body that overruns itself, has bytes left over or refers to a
// node or atom that does not exist; block is then undefined.
bool DecodeFsaBody(std::string_view body, FsaBlock& block);

// ---- whole files ----
// Writes an index file and a data file for the given networks; a null
// block gives the entry no block. Entries keep their order; offsets are
// assigned here.
struct FsaNet {
    FsaIndexEntry entry;
    const FsaBlock* block = nullptr;
};
bool WriteFsaFiles(const std::string& idxPath, const std::string& datPath, const std::vector<FsaNet>& nets);
// A file holding a single block at offset 0.
bool WriteFsaSingleBlock(const std::string& path, const FsaBlock& block);
// The body of the block at offset: false when the offset or the body size
// lies outside the file.
bool ReadFsaBlockAt(std::FILE* file, int64_t offset, std::string& body);

}  // namespace zel
