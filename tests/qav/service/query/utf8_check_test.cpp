// Strict UTF-8 checks of answers and requests, with the bad byte anywhere
// in a long run of ASCII, which the check skips a word at a time.
#include <gtest/gtest.h>

#include <string>

#include "qav/service/query/utf8_check.h"

namespace {

using namespace std::string_literals;

TEST(Utf8Check, StrictFormsAreTold) {
    struct Case {
        std::string text;
        bool valid;
    } cases[] = {
        {"", true},
        {"plain ASCII text longer than one word", true},
        {"\xE4\xB8\xAD\xE5\x9B\xBD and \xF0\x9F\x98\x80", true},
        {"nul\0inside"s, true},
        {"\xC0\xAF", false},            // overlong "/"
        {"\xE0\x80\xAF", false},        // overlong, three bytes
        {"\xED\xA0\x80", false},        // a surrogate
        {"\xF4\x90\x80\x80", false},    // past U+10FFFF
        {"\xE4\xB8", false},            // cut at the end
        {"\xB8\xAD", false},            // a trail byte first
        {"\xFF", false},
    };
    for (const Case& c : cases) EXPECT_EQ(qav::IsValidUtf8(c.text), c.valid) << c.text;
}

TEST(Utf8Check, ABadByteAnywhereInALongRunIsFound) {
    const std::string ascii(24, 'a');
    for (size_t at = 0; at < ascii.size(); ++at) {
        std::string text = ascii;
        text[at] = '\xC0';
        EXPECT_FALSE(qav::IsValidUtf8(text)) << at;
        EXPECT_EQ(qav::ValidUtf8(text), ascii.substr(0, at) + "\xEF\xBF\xBD" + ascii.substr(at + 1)) << at;
        text[at] = '\xC3';  // starts a two-byte character with the 'a' after it: still bad
        EXPECT_FALSE(qav::IsValidUtf8(text)) << at;
    }
    EXPECT_TRUE(qav::IsValidUtf8(ascii + "\xC3\xA9" + ascii));
}

}  // namespace
