// URL coding of request texts (GBK or UTF-8) and the charset conversions the
// request handlers use with it.
#pragma once

#include <string>
#include <string_view>

namespace qav {

class strCoding {
public:
    // Value of a hexadecimal digit; 255 for any other character.
    static unsigned char CharToInt(char c);
    // The byte written by the two hexadecimal digits s[0] s[1] (each by
    // CharToInt), kept to 8 bits.
    static char StrToBin(const char* s);

    // Conversions of a whole text, the result at most 10,239 bytes and cut
    // after the last whole character that fits.
    static void UTF8ToGB2312(std::string& out, std::string_view text);
    static void GB2312ToUTF_8(std::string& out, std::string_view text);

    // Letters and digits stay, white space becomes "+", every other byte
    // "%XX" with upper-case hexadecimal digits.
    static std::string UrlGB2312(std::string_view text);
    // The GBK text converted to UTF-8 first, then encoded the same way.
    static std::string UrlUTF8(std::string_view text);

    // "%XX" gives one byte, "+" a blank, other bytes stay. A "%" without two
    // characters after it stays as it is.
    static std::string UrlGB2312Decode(std::string_view text);
    // The same decoding; the bytes are not converted to another charset.
    static std::string UrlUTF8Decode(std::string_view text);
};

}  // namespace qav
