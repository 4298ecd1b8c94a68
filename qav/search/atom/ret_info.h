// One hit of a merged result, and the pooled form the merge work area chains
// into its hash buckets.
#pragma once

#include <cstdint>

#include "qav/index/format/offset_record_fields.h"  // kNoDataFile

namespace qav {

constexpr uint32_t kNoSentence = 0xFFFFFFFF;
constexpr uint8_t kNoBracket = 255;
constexpr int kBracketCount = 6;

// Trivial on purpose: large arrays of hits are allocated zeroed in one go.
struct CRetInfo {
    uint8_t file_no;    // data file number; kNoDataFile when cleared
    uint32_t position;  // sentence position
    int16_t start;      // first word of the hit, relative to the sentence position
    uint8_t length;     // words
    uint8_t clause;
    // Word positions within the hit where the query's bracket marks fall;
    // kNoBracket ends the list.
    uint8_t bracket[kBracketCount];

    void Clear() {
        file_no = kNoDataFile;
        position = kNoSentence;
        start = 0;
        length = 0;
        clause = 0;
        for (uint8_t& mark : bracket) mark = kNoBracket;
    }
    void SetRetInfo(const CRetInfo& other) { *this = other; }
};

inline CRetInfo ClearedRetInfo() {
    CRetInfo info;
    info.Clear();
    return info;
}

struct CRetInfoEx : CRetInfo {
    CRetInfoEx* next;  // next entry of the same bucket

    // Copies the hit, keeps the link.
    void SetRetInfo(const CRetInfo& info) { CRetInfo::SetRetInfo(info); }
};

}  // namespace qav
