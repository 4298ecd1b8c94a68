// Offset records: one per occurrence of an index unit, 8 bytes for unit
// types 3 and 4, 9 bytes (with the span) for type 5.
//   0 u32 sentence position, 4 i16 word index, 6 u8 data file number,
//   7 u8 clause number, 8 u8 span (9-byte records only)
#pragma once

#include <cstdint>

#include "common/platform/byte_codec.h"
#include "qav/index/format/sort_idx_unit.h"

namespace qav {

constexpr int kNarrowRecordBytes = 8;
constexpr int kWideRecordBytes = 9;

// Record width of a unit type; 0 for types that have no records.
inline int OffsetRecordWidth(int32_t type) {
    if (type == 3 || type == 4) return kNarrowRecordBytes;
    if (type == 5) return kWideRecordBytes;
    return 0;
}

// Writes width (8 or 9) bytes at out.
inline void EncodeOffsetRecord(const CSortIdxUnit& unit, int width, unsigned char* out) {
    qz::bytes::Store(out, unit.position);
    qz::bytes::Store(out + 4, unit.index);
    out[6] = unit.file_no;
    out[7] = unit.clause;
    if (width == kWideRecordBytes) out[8] = unit.span;
}

// Reads a record of width (8 or 9) bytes; the span of an 8-byte record is 0.
inline CSortIdxUnit DecodeOffsetRecord(const unsigned char* in, int width) {
    CSortIdxUnit unit;
    unit.position = qz::bytes::Load<uint32_t>(in);
    unit.index = qz::bytes::Load<int16_t>(in + 4);
    unit.file_no = in[6];
    unit.clause = in[7];
    unit.span = width == kWideRecordBytes ? in[8] : 0;
    return unit;
}

}  // namespace qav
