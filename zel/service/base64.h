// Base64 with the standard alphabet and "=" padding, as embedded images in
// example output carry it.
#pragma once

#include <string>

namespace zel {

class CBase64 {
public:
    // A line feed follows every 76 output characters (19 whole groups),
    // including after the last group when length is a multiple of 57.
    std::string Encode(const char* data, int length) const;
    // Decodes four characters at a time, stepping over line breaks between
    // groups; a "=" in the third or fourth place ends its group. count grows
    // by one per byte produced. A trailing partial group decodes the bytes its
    // characters hold; a character outside the alphabet ends the text.
    std::string Decode(const char* text, int length, int& count) const;
};

}  // namespace zel
