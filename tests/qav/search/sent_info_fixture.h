// Sentence and document information for filter and limit tests, loaded the
// way the engine loads it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "qav/index/engine/sent_info.h"
#include "support/test_support.h"

namespace qztest {

struct FixtureSentence {
    uint32_t file;
    uint32_t position;
    uint32_t doc;
    uint32_t tag;
};

inline int64_t SentKey(uint32_t file, uint32_t position) {
    return static_cast<int64_t>((static_cast<uint64_t>(file) << 32) | position);
}

// Sentence tags are named by their index in tags; each document is a list of
// "name=value" lines.
void LoadSentInfo(qav::CHashTableInfo& info, const TempDir& dir, const std::vector<std::string>& tags,
                  const std::vector<FixtureSentence>& sentences,
                  const std::vector<std::vector<std::string>>& docs);

}  // namespace qztest
