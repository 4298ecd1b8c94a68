// The older form of the rule-base list: "#name" lines name the networks and
// "Net:" lines point at word-network files that are already built. Its index
// file is a bare run of entries (name, offset) without a count and without
// the lists of the newer index.
#pragma once

#include <cstdio>
#include <map>
#include <string>

namespace zel {

// Compiles the list into the index and data files. A network that fails is
// reported ("Error Idx Rule %s\n") and left out; the result is false only
// when a file cannot be opened ("Error open %s\n").
bool RuleBaseIdx(const std::string& list, const std::string& idxPath, const std::string& datPath);

namespace compiled_net {

// Appends the block of the word-network file, named name, to data and its
// entry (name, offset) to index; the offset is recorded under netPath, so a
// second name for the same file can share the block. "Error read %s\n" and
// false when the file cannot be read.
bool RuleIdx(const std::string& name, const std::string& netPath, FILE* data, FILE* index,
             std::map<std::string, int32_t>& offsets);

// The entry of the older index: i32 name length, name, i32 offset.
void AppendOldIndexEntry(std::string& out, const std::string& name, int32_t offset);

}  // namespace compiled_net
}  // namespace zel
