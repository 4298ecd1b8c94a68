// Character classes of the bracketing parser, on two-byte GBK characters.
#pragma once

#include <string>

namespace zel {

// Boundary mark between context parts, and the mark of a digit run.
constexpr const char* kSepHZ = "\xA1\xF8";
constexpr const char* kDigitRunHZ = "\xA1\xF6";

inline bool IsBTPunctuation(const char* c) {
    const unsigned char b0 = static_cast<unsigned char>(c[0]), b1 = static_cast<unsigned char>(c[1]);
    return b0 == 0xA1 || b0 == 0xA2 || (b0 == 0xA3 && ((b1 >= 0xA1 && b1 <= 0xAF) || (b1 >= 0xBA && b1 <= 0xBF)));
}

inline bool IsBTDigit(const char* c) {
    const unsigned char b1 = static_cast<unsigned char>(c[1]);
    return static_cast<unsigned char>(c[0]) == 0xA3 && b1 >= 0xB0 && b1 <= 0xB9;
}

inline bool IsBTFullStop(const char* c) {
    return static_cast<unsigned char>(c[0]) == 0xA3 && static_cast<unsigned char>(c[1]) == 0xAE;
}

// Characters that stay together in runs: one-byte text, full-width digits
// and letters, the symbol rows and the characters below the A1 row.
inline bool IsBTRunChar(const char* c) {
    const unsigned char b0 = static_cast<unsigned char>(c[0]);
    return b0 < 0xB0 && b0 != 0xA1 && b0 != 0xA2 && !IsBTPunctuation(c);
}

// A digit run becomes one digit mark, a punctuation run one boundary mark;
// a full stop is punctuation but does not end a digit run.
std::string ProcessContextString(const std::string& text);

// The text's two-byte characters in reverse order (an odd last byte is dropped).
std::string ReverseSent(const std::string& text);

}  // namespace zel
