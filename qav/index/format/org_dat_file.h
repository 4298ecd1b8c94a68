// The document table file: for each document the key of the first sentence
// after it, then the document names.
//   u32 n; n x i64 end key; n x (u32 length, name; length 0 without a name)
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qav {

struct OrgTable {
    std::vector<int64_t> ends;
    std::vector<std::string> names;  // one per end key
};

// False when the file cannot be created or written, or the two vectors
// differ in length.
bool WriteOrgDatFile(const std::string& path, const OrgTable& table);

// A file that cannot be opened fails quietly (the engine starts without a
// document table); a damaged one logs "Error open %s !\n".
bool ReadOrgDatFile(const std::string& path, OrgTable* table);

}  // namespace qav
