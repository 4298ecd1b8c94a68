// The sentence information file: tag names with their identifiers, then one
// 20-byte record per tagged sentence.
//   i32 t; t x (i32 length, tag, i32 identifier); i32 m;
//   m x (i64 sentence key, i64 (document index << 32 | tag identifier), i32 line)
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/platform/binary_file.h"

namespace qav {

struct SentInfoTag {
    std::string text;
    int32_t id = 0;
};

struct SentInfoRecord {
    int64_t key = 0;
    int64_t value = 0;
    int32_t line = 0;
};

// Writes the tags, then records as they come; Close stores the record count.
class SentInfoWriter {
public:
    // False when the file cannot be created. Tag texts must be shorter than
    // 2,048 bytes; Close is false otherwise.
    bool Create(const std::string& path, const std::vector<SentInfoTag>& tags);
    void AddRecord(const SentInfoRecord& record);
    bool Close();

private:
    qz::BinaryFileWriter out_;
    uint64_t count_at_ = 0;
    uint64_t records_ = 0;
    bool ok_ = false;
};

// Loads the whole file. Every tag identifier lies in [0, tag count), so it can
// index a table of tag names. On failure logs "Warning: open %s fail!\n".
bool ReadSentInfoFile(const std::string& path, std::vector<SentInfoTag>* tags,
                      std::vector<SentInfoRecord>* records);

}  // namespace qav
