// Public source ids: a short text naming one sentence (data file number and
// sentence position) without showing either number. Rows of context lines
// carry it; the source route of the HTTP service turns it back into the
// sentence key.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Digits of a source id, least significant first.
extern const char g_b62[];

// Longest id: 40 bits need seven base-62 digits.
constexpr size_t kMaxSourceIdChars = 7;

// The id of a sentence: 1 to 7 characters.
std::string EncodeSourceId(uint8_t fileNo, uint32_t position);

// Reads an id back. False, with fileNo, position and key untouched, for an
// empty or longer-than-7 text, a character outside g_b62, a most significant
// digit 0 in an id of more than one character, a number above 40 bits, or a
// file number of 255 (no data file has it). key is (file << 32) | position.
bool DecodeSourceId(std::string_view id, uint8_t& fileNo, uint32_t& position);
bool DecodeSourceId(std::string_view id, uint64_t& key);
