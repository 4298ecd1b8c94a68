#include "qav/service/query/utf8_check.h"

#include <cstdint>

#include "common/text/byte_words.h"

namespace qav {

namespace {

// Length of the valid sequence at text[at], 0 when none starts there.
size_t SequenceLength(std::string_view text, size_t at) {
    const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
    const uint8_t lead = byte(at);
    if (lead < 0x80) return 1;
    size_t length = 0;
    uint8_t low = 0x80, high = 0xBF;  // range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;   // overlong
        if (lead == 0xED) high = 0x9F;  // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;   // overlong
        if (lead == 0xF4) high = 0x8F;  // past U+10FFFF
    } else {
        return 0;
    }
    if (at + length > text.size()) return 0;
    if (byte(at + 1) < low || byte(at + 1) > high) return 0;
    for (size_t i = 2; i < length; ++i)
        if ((byte(at + i) & 0xC0) != 0x80) return 0;
    return length;
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
    for (size_t at = 0; at < text.size();) {
        // Answers are mostly ASCII: eight bytes without a high bit are eight
        // sequences.
        if (at + 8 <= text.size() && !qz::words::HasHighByte(qz::words::Load(text.data() + at))) {
            at += 8;
            continue;
        }
        const size_t length = SequenceLength(text, at);
        if (length == 0) return false;
        at += length;
    }
    return true;
}

std::string ValidUtf8(std::string_view text) {
    if (IsValidUtf8(text)) return std::string(text);
    std::string valid;
    valid.reserve(text.size() + 16);
    for (size_t at = 0; at < text.size();) {
        const size_t length = SequenceLength(text, at);
        if (length == 0) {
            valid += "\xEF\xBF\xBD";
            ++at;
        } else {
            valid.append(text, at, length);
            at += length;
        }
    }
    return valid;
}

}  // namespace qav
