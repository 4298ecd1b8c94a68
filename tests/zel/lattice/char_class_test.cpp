#include "zel/lattice/char_class.h"

#include <gtest/gtest.h>

#include <string>

namespace zel {
namespace {

std::string Full(const std::string& in, int size = 51200) {
    std::string out(static_cast<size_t>(size), '\0');
    Banjiao2Quanjiao(in.c_str(), out.data(), size);
    return out.c_str();
}

TEST(CharClass, HalfToFullWidth) {
    const std::pair<std::string, std::string> cases[] = {
        {"a$ b", "\xA3\xE1\xA1\xE7\xA1\xA1\xA3\xE2"},
        {"a\x01" "b", "\xA3\xE1\xA3\xE2"},          // control byte dropped
        {"a\x7F" "bc", "\xA3\xE1\xA3\xE2\xA3\xE3"}, // 0x7F drops only itself
        {"\xB0\xA1x", "\xB0\xA1\xA3\xF8"},
        {"x\xB0", "\xA3\xF8"},                      // lone lead byte dropped
        {"", ""},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(Full(in), out) << in;
    EXPECT_EQ(Full("abcd", 6), "\xA3\xE1\xA3\xE2");  // stops at size - 2
}

TEST(CharClass, FullToHalfWidthCopiesWhatItDoesNotConvert) {
    struct Case {
        std::string in, out;
        bool whole;
    };
    const Case cases[] = {
        {"\xA3\xC1\xA1\xA1\xA1\xE7", "A $", true},
        {"\xA3\xC1x\xB0\xA1", "Ax\xB0\xA1", false},
        {"\xB0\xA1\xA3\xB1", "\xB0\xA1" "1", true},
        {"\xA3\xC1\xB0", "A", false},
        {"", "", true},
    };
    for (const Case& c : cases) {
        char out[64];
        EXPECT_EQ(Quanjiao2Banjiao(c.in.c_str(), out, sizeof out), c.whole) << c.in;
        EXPECT_EQ(std::string(out), c.out) << c.in;
    }
}

TEST(CharClass, NormalizeDropsBlanksAndUpperCases) {
    char out[64];
    EXPECT_TRUE(NormalizeOneSentence("ab c", out, sizeof out));
    EXPECT_STREQ(out, "\xA3\xC1\xA3\xC2\xA3\xC3");
    EXPECT_TRUE(NormalizeOneSentence("\xB0" "a", out, sizeof out));  // trail byte kept as is
    EXPECT_STREQ(out, "\xB0" "a");
    EXPECT_FALSE(NormalizeOneSentence("   ", out, sizeof out));
    EXPECT_STREQ(out, "");
    EXPECT_TRUE(NormalizeOneSentence(" \x01", out, sizeof out));  // dropped only when widened
    EXPECT_STREQ(out, "");
}

TEST(CharClass, CharacterTypes) {
    const std::pair<const char*, const char*> cases[] = {
        {"\xC1\xE3", "Num"},  {"\xB0\xA1", "HZ"},  {"\xA1\xA2", "Char"}, {"\xA1\xA3", "Punc"},
        {"\xA3\xA1", "Punc"}, {"\xA3\xAC", "Punc"}, {"\xA3\xBF", "Punc"}, {"\xA3\xE1", "Eng"},
        {"\xA3\xC1", "Eng"},  {"\xA3\xB5", "Num"},  {"\xA2\xB1", "Num"},  {"\xF8\xA1", "Char"},
        {"\xB0\x40", "Char"}, {"\xD2\xDA", "Num"},
    };
    for (const auto& [ch, type] : cases) EXPECT_STREQ(GetCharType(ch), type) << ch;

    const unsigned char stop[] = {0xA3, 0xAE}, digit[] = {0xA3, 0xB7}, hz[] = {0xB0, 0xA1};
    EXPECT_TRUE(IsDian_QJ(stop));
    EXPECT_TRUE(IsNumber_QJ(digit));
    EXPECT_FALSE(IsNumber_QJ(stop));
    EXPECT_TRUE(IsNotHZ(stop));
    EXPECT_FALSE(IsNotHZ(hz));
    EXPECT_TRUE(IsBiaoDian("\xA3\xAC"));
    EXPECT_FALSE(IsBiaoDian("\xA3\xB0"));
    EXPECT_TRUE(IsBiaodian_QJ(stop));
}

TEST(CharClass, HalfToFullSimple) {
    char out[16];
    EXPECT_EQ(half2Full("ab", out, sizeof out), 2);
    EXPECT_STREQ(out, "\xA3\xE1\xA3\xE2");
    EXPECT_EQ(half2Full("abcdef", out, 8), 6);
    EXPECT_STREQ(out, "\xA3\xE1\xA3\xE2");  // up to size / 2 bytes
}

TEST(CharClass, ReverseSentSwapsTwoByteUnits) {
    char text[] = "\xB0\xA1\xB0\xA2\xB0\xA3x";
    ReverseSent(text);
    EXPECT_STREQ(text, "\xB0\xA3\xB0\xA2\xB0\xA1");
}

}  // namespace
}  // namespace zel
