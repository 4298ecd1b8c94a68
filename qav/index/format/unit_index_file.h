// The unit index file: where each index unit's records lie, then the complex
// units with the names of the units they stand for.
//   u32 N; N x (u32 length, name, i64 offset, i32 record count, i32 type,
//   u8 offset file); u32 M; M x (u32 length, key, u32 K, K x (u32 length, name))
// Its text view ("_txt") holds "name\tcount\n" for each of the N units.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/platform/binary_file.h"
#include "common/platform/file_handle.h"

namespace qav {

struct UnitIndexEntry {
    std::string name;
    int64_t offset = 0;
    int32_t count = 0;
    int32_t type = 0;
    uint8_t file_no = 0;
};

struct ComplexUnitEntry {
    std::string key;
    std::vector<std::string> children;
};

struct UnitIndex {
    std::vector<UnitIndexEntry> units;
    std::vector<ComplexUnitEntry> complex_units;
};

// Writes the file in order: Create with the unit count, AddUnit that many
// times, BeginComplex with the complex count, AddComplex that many times,
// Close. Names must be shorter than 2,048 bytes; Close is false when one was
// not, when the counts were not kept or when a write failed.
class UnitIndexWriter {
public:
    // Creates textPrefix + "_txt", then path; false when either cannot be
    // created (nothing is written then).
    bool Create(const std::string& path, const std::string& textPrefix, uint32_t unitCount);
    void AddUnit(const UnitIndexEntry& unit);
    void BeginComplex(uint32_t complexCount);
    void AddComplex(std::string_view key, const std::vector<std::string>& children);
    bool Close();

private:
    void Name(std::string_view name);

    qz::BinaryFileWriter out_;
    qz::FileHandle text_;
    uint32_t units_left_ = 0;
    uint32_t complex_left_ = 0;
    bool complex_begun_ = false;
    bool ok_ = false;
};

bool WriteUnitIndexFile(const std::string& path, const std::string& textPrefix, const UnitIndex& index);

// Loads the whole file; on failure logs "Error open %s !\n".
bool ReadUnitIndexFile(const std::string& path, UnitIndex* index);

}  // namespace qav
