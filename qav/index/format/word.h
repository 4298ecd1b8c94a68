// One entry of a word list or of the unit list: a word or an index unit with
// where its offset records lie.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace qav {

// Word and unit texts in index files are shorter than 2,048 bytes.
constexpr size_t kMaxWordTextBytes = 2047;

struct CWord {
    std::string text;
    uint8_t file_no = 0;  // offset file holding the unit's records
    int64_t offset = 0;   // byte offset of the unit's region in that file
    int32_t count = 0;
    int32_t id = 0;
    int32_t type = 4;  // unit type; 7 for words
};

}  // namespace qav
