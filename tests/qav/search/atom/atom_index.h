// A small index for atom search tests: one data file, Chinese words, leaf
// units of kind 3 whose records all sit after one of three left words, and
// complex units over them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "qav/index/format/unit_index_file.h"

namespace qztest {

struct AtomIndex {
    // Words by identifier (UTF-8 here; written as GBK).
    static constexpr uint32_t kFiller = 0, kJia = 1, kYi = 2, kDe = 3, kZhong = 4;
    // Word index, relative to the sentence at position 512, of the anchor
    // "中" after each left word.
    static int16_t AnchorAfter(uint32_t leftWord);

    // Leaf unit i of a complex unit: i + 1 records, left word 甲 for even i,
    // 乙 for odd i. Its name is "<key>_<i>|" with key without the final "|".
    struct Complex {
        std::string key;  // "k5|"
        int children;
    };

    // Writes the index into dir: complex units "k5|" (5 children) and "k10|"
    // (10 children); "的_n|" with 2 records after 的; "gap|" over k5_0|, a
    // missing unit and k5_2|; "broken|" over k5_0|, "past_end|" (the last
    // region of the offset file, see DropPastEndRecords) and k5_2|; the chunked unit "chunk|": its whole
    // region 甲 乙 甲 乙 and its chunks "chunk|_0" and "chunk|_1", each 甲 乙;
    // and the forms "|k10", "<k10", "k10>", "$k10", "k10@", each over one
    // child k10_<n>| (n = 1..5 in that order). extraConfig is inserted into
    // the configuration object.
    static void Write(const std::string& dir, const std::string& extraConfig = "");

    // Cuts the region of "past_end|" off the offset file, so that an engine
    // started on dir (whose start-up checks refuse a region beyond its file)
    // fails to load that unit.
    static void DropPastEndRecords(const std::string& dir);
    static constexpr size_t kPastEndBytes = 32;

    // Name of child i of a complex key, e.g. ChildName("k5|", 2) == "k5_2|".
    static std::string ChildName(const std::string& key, int i);
};

}  // namespace qztest
