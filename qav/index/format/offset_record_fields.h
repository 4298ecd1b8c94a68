// Field accessors over a packed little-endian offset record as it lies in a
// loaded record buffer: u32 sentence position, i16 word index, u8 data file
// number (255: none), u8 clause number, and in 9-byte records a u8 span.
#pragma once

#include <cstdint>

#include "common/platform/byte_codec.h"

namespace qav {

inline uint32_t GetOffset(const unsigned char* record) { return qz::bytes::Load<uint32_t>(record); }
inline int16_t GetPOS(const unsigned char* record) { return qz::bytes::Load<int16_t>(record + 4); }
inline uint8_t GetFileNo(const unsigned char* record) { return record[6]; }
inline uint8_t GetClauseNo(const unsigned char* record) { return record[7]; }
// Span byte of a 9-byte record; 255 means the constituent's end was not found.
inline uint8_t GetDist(const unsigned char* record) { return record[8]; }

constexpr uint8_t kNoDataFile = 255;
constexpr uint8_t kUnknownSpan = 255;

}  // namespace qav
