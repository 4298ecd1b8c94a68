// Reads back what the compiler writes, through the decoders of the rule-base
// files.
#pragma once

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "zel/rules/format/byte_reader.h"
#include "zel/rules/format/fsa_format.h"

inline bool DecodeBody(const std::string& body, zel::FsaBlock& block) { return zel::DecodeFsaBody(body, block); }

inline bool DecodeIndex(const std::string& bytes, std::vector<zel::FsaIndexEntry>& entries) {
    zel::ByteReader in(bytes);
    int32_t count = 0;
    if (!in.I32(count)) return false;
    for (int32_t i = 0; i < count; ++i) {
        zel::FsaIndexEntry entry;
        if (!zel::ReadFsaIndexEntry(in, entry)) return false;
        entries.push_back(entry);
    }
    return in.AtEnd();
}

// The body of the block at offset of a data file, or "" when there is none.
inline std::string BlockAt(const std::string& data, int32_t offset) {
    int32_t size = 0;
    if (offset < 0 || data.size() < static_cast<size_t>(offset) + 4) return "";
    std::memcpy(&size, data.data() + offset, 4);
    return data.substr(static_cast<size_t>(offset) + 4, static_cast<size_t>(size));
}

// The node sets of a block by name.
inline std::map<std::string, std::vector<int32_t>> Sets(const zel::FsaBlock& block) {
    std::map<std::string, std::vector<int32_t>> sets;
    for (const zel::FsaNodeSet& set : block.sets) sets[set.name] = set.nodes;
    return sets;
}
