// Whole-text conversions between UTF-8 and GBK (through UCS-2) for the query
// runners, with the length limits of the query road.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qav {

// A limit that keeps the whole text.
constexpr size_t kWholeText = SIZE_MAX;

// The GBK form of a UTF-8 text, cut after the last whole character that fits
// in maxBytes.
std::string QavUtf8ToGbk(std::string_view utf8, size_t maxBytes);

// The UTF-8 form of a GBK text; only its first maxChars characters are
// converted.
std::string QavGbkToUtf8(std::string_view gbk, size_t maxChars);

// The length of the longest prefix of a GBK text that ends on a character
// boundary and is at most maxBytes long. Unlike GbkPrefixLength
// (common/text/gbk_char.h) it steps as the converters of common/text/encoding.h read
// GBK, by the lead byte alone, and drops a lead byte that ends the text: what
// it cuts is converted, and must be cut where the converters see a boundary.
size_t QavGbkPrefixLength(std::string_view gbk, size_t maxBytes);

// The same for a UTF-8 text.
size_t QavUtf8PrefixLength(std::string_view utf8, size_t maxBytes);

}  // namespace qav
