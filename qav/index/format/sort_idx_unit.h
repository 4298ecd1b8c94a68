// Fields of one offset record of an index unit occurrence, before encoding.
#pragma once

#include <cstdint>

namespace qav {

struct CSortIdxUnit {
    uint8_t file_no = 0;    // data file (group) number
    uint32_t position = 0;  // position of the sentence's first word in its data file
    int16_t index = 0;      // anchor word within the sentence; -1: previous sentence's last word
    uint8_t clause = 0;     // clause number of the anchor word
    uint8_t span = 0;       // type 5 only: words from first to last of the constituent; 255 unknown
};

}  // namespace qav
