// Text functions of dictionary entries.
#include <gtest/gtest.h>

#include <string>

#include "zel/compiler/dict_text.h"

TEST(DictText, SplitDictInfoFields) {
    struct Case {
        const char* text;
        const char* first;
        const char* second;
        const char* rest;
    } cases[] = {
        {"a(b;c d)", "a", "b", "cd"},
        {"a(b;c d)ignored", "a", "b", "cd"},
        {"word", "word", "", ""},
        {"", "", "", ""},
        {"(x", "", "x", ""},
        {"a;;b", "a", "", "b"},
        {"a b c d e", "a", "b", "cde"},
        // Two-byte characters stay whole.
        {"\xB0\xA1(\xB0\xA2;\xB0\xA3 x)", "\xB0\xA1", "\xB0\xA2", "\xB0\xA3x"},
    };
    for (const Case& c : cases) {
        std::string first = "old", second = "old", rest = "old";
        zel::SplitDictInfo(c.text, first, second, rest);
        EXPECT_EQ(c.first, first) << c.text;
        EXPECT_EQ(c.second, second) << c.text;
        EXPECT_EQ(c.rest, rest) << c.text;
    }
}

TEST(DictText, ParseDictRuleInfo) {
    struct Case {
        const char* text;
        const char* name;
        const char* arguments;
    } cases[] = {
        {"NP(a,b)", "NP", "a,b"},
        {"np(a,b)", "NP", "a,b"},
        {"Vp()", "VP", ""},
        {"x(a(b))", "X", "a(b)"},
        {"x(a", "X", "a"},
        {"(a)", "", "a"},
        // The trail byte 0x61 ('a') of a two-byte character is not folded.
        {"\x81\x61n(z)", "\x81\x61N", "z"},
    };
    for (const Case& c : cases) {
        std::string kind, name, arguments;
        ASSERT_TRUE(zel::ParseDictRuleInfo(c.text, kind, name, arguments)) << c.text;
        EXPECT_EQ("Word", kind);
        EXPECT_EQ(c.name, name) << c.text;
        EXPECT_EQ(c.arguments, arguments) << c.text;
    }
    for (const char* text : {"NP", "", "a)b"}) {
        std::string kind = "k", name = "n", arguments = "a";
        EXPECT_FALSE(zel::ParseDictRuleInfo(text, kind, name, arguments)) << text;
        EXPECT_EQ("k", kind);
        EXPECT_EQ("n", name);
        EXPECT_EQ("a", arguments);
    }
}
