#include "common/text/text_utils.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

using Tokens = std::vector<std::string>;

TEST(SplitString, KeepsOnlyNonEmptyTokensInOrder) {
    struct Case {
        std::string text;
        const char* delimiters;
        Tokens tokens;
    };
    const std::vector<Case> cases = {
        {",,a,,b,c,,", ",", {"a", "b", "c"}},
        {"", ",", {}},
        {",;, ", " ,;", {}},
        {"one two,three;four", " ,;", {"one", "two", "three", "four"}},
        {"solo", ",", {"solo"}},
        // The second byte of 亅 is "|": the character stays whole.
        {qztest::Gbk("亅|乙|"), "|", {qztest::Gbk("亅"), qztest::Gbk("乙")}},
    };
    for (const Case& c : cases) {
        Tokens tokens = {"stale"};
        qz::SplitString(c.text.c_str(), c.delimiters, tokens);
        EXPECT_EQ(tokens, c.tokens) << c.text;
    }
}

TEST(SplitString, LongTextsAreSplitWithoutLimitOnTheirLength) {
    std::string token(1000, 'w');
    std::string text;
    for (int i = 0; i < 200; ++i) text += token + " ";
    Tokens tokens;
    qz::SplitString(text.c_str(), " ", tokens);
    EXPECT_EQ(tokens, Tokens(200, token));

    // A single token longer than the kept maximum is dropped.
    std::string huge(qz::kMaxSplitToken + 1, 'h');
    qz::SplitString(("a " + huge + " b").c_str(), " ", tokens);
    EXPECT_EQ(tokens, (Tokens{"a", "b"}));
}

TEST(SplitStr, KeepsShortTokensOfTheTextsHead) {
    const std::string keptToken(qz::kMaxSplitStrToken, 'k');
    const std::string longToken(qz::kMaxSplitStrToken + 1, 'l');
    Tokens tokens = {"stale"};
    qz::SplitStr(("a;" + longToken + ";" + keptToken + ";b").c_str(), ";", tokens);
    EXPECT_EQ(tokens, (Tokens{"a", keptToken, "b"}));

    // Only the head of the text is split; a two-byte character that would
    // pass its end is left out whole.
    std::string text = std::string(qz::kMaxSplitStrText - 3, ' ') + "ab" + qztest::Gbk("中") + " c";
    qz::SplitStr(text.c_str(), " ", tokens);
    EXPECT_EQ(tokens, (Tokens{"ab"}));
    qz::SplitStr(nullptr, " ", tokens);
    EXPECT_EQ(tokens, Tokens{});
}

TEST(SplitStringEx, CollapsesDuplicates) {
    std::set<std::string> tokens = {"stale"};
    qz::SplitStringEx("x y x", " ", tokens);
    EXPECT_EQ(tokens, (std::set<std::string>{"x", "y"}));
}

TEST(Chomp, RemovesLineEndings) {
    struct Case {
        const char* in;
        const char* out;
    };
    for (const Case& c : {Case{"a\r\n", "a"}, Case{"a\n", "a"}, Case{"a\r", "a"}, Case{"a\n\r", "a\n"},
                          Case{"\n", ""}, Case{"", ""}, Case{"a\n\n", "a\n"}}) {
        std::string buf = c.in;
        EXPECT_STREQ(qz::Chomp(buf.data()), c.out) << c.in;
    }
}

TEST(IsDigital, AcceptsOnlyDigits) {
    EXPECT_TRUE(qz::isDigital("007"));
    EXPECT_TRUE(qz::isDigital(""));
    EXPECT_FALSE(qz::isDigital("12a"));
    EXPECT_FALSE(qz::isDigital("-12"));
}

TEST(TrimLine, RemovesBlanksAndTabsAtBothEnds) {
    struct Case {
        std::string in;
        std::string out;
    };
    const std::string long_text(5000, 'z');
    for (const Case& c : {Case{"\t a b \t", "a b"}, Case{"   \t ", ""}, Case{"", ""}, Case{"x", "x"},
                          Case{"  " + long_text + " ", long_text}}) {
        std::string a = c.in, b = c.in;
        qz::TrimLine(a.data());
        qz::TrimBegEnd(b.data());
        EXPECT_STREQ(a.c_str(), c.out.c_str());
        EXPECT_STREQ(b.c_str(), c.out.c_str());
    }
}

TEST(Half2Full, WritesFullWidthCodes) {
    char out[64];
    qz::half2Full("Ab1", out, sizeof out);
    EXPECT_EQ(std::string(out), "\xA3\xC1\xA3\xE2\xA3\xB1");

    // Two-byte characters pass whole, even when the second byte is ASCII ("@").
    const std::string mixed = qztest::Gbk("丂 中");
    qz::half2Full(mixed.c_str(), out, sizeof out);
    EXPECT_EQ(std::string(out), "\x81\x40\xA3\xA0" + qztest::Gbk("中"));

    // Writing stops once size / 2 bytes are out: with size 6 "abc" keeps "a" and "b".
    qz::half2Full("abc", out, 6);
    EXPECT_EQ(std::string(out), "\xA3\xE1\xA3\xE2");
}

TEST(GetInfo, SplitsKeyNumberAndRest) {
    std::string key, rest = "unchanged";
    int number = -1;
    qz::GetInfo("ab 12  the rest", key, rest, number);
    EXPECT_EQ(key, "\xA3\xE1\xA3\xE2");
    EXPECT_EQ(number, 12);
    EXPECT_EQ(rest, "the rest");

    rest = "unchanged";
    qz::GetInfo("ab 12", key, rest, number);
    EXPECT_EQ(key, "\xA3\xE1\xA3\xE2");
    EXPECT_EQ(number, 12);
    EXPECT_EQ(rest, "unchanged");

    number = 99;
    qz::GetInfo("xy", key, rest, number);
    EXPECT_EQ(key, "\xA3\xF8\xA3\xF9");
    EXPECT_EQ(number, 99);
    EXPECT_EQ(rest, "unchanged");
}

}  // namespace
