// Public source ids: a short text naming one sentence (data file number and
// sentence position) without showing either number. Rows of context lines
// carry it; the source route of the HTTP service turns it back into the
// sentence key.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qav {

// Digits of a source id, least significant first.
extern const char g_b62[];

// Longest id: 40 bits need seven base-62 digits.
constexpr size_t kMaxSourceIdChars = 7;
// Longest id read back: ids of eight digits are taken too, their value kept
// to its low 40 bits.
constexpr size_t kMaxSourceIdDigits = 8;

// The id of a sentence: 1 to 7 characters.
std::string EncodeSourceId(uint8_t fileNo, uint32_t position);

// Reads an id back (most significant digit last, the value kept to 40 bits).
// False, with fileNo, position and key untouched, for an empty or
// longer-than-8 text or a character outside g_b62. Every other id decodes,
// also to a file number or position that no index has (such as file 255):
// the caller checks the range. key is (file << 32) | position.
bool DecodeSourceId(std::string_view id, uint8_t& fileNo, uint32_t& position);
bool DecodeSourceId(std::string_view id, uint64_t& key);

}  // namespace qav
