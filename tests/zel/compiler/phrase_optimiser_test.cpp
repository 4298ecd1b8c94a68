// The phrase optimiser: splitting rule lines, counting words and pairs,
// naming them and rewriting a grammar with sub-rules for frequent phrases.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compiler_fixture.h"
#include "zel/compiler/conv_pub.h"

using zel::CConvPub;
using zel::PhraseCounts;

TEST(PhraseSplit, WordsAndTheirLevels) {
    struct Case {
        const char* line;
        std::vector<std::string> words;
        std::vector<int> levels;
    } cases[] = {
        {".r ( a b )", {".r", "(", "a", "b", ")"}, {1, 2, 2, 2, 1}},
        {"x [ y { z } ] w", {"x", "[", "y", "{", "z", "}", "]", "w"}, {1, 3, 3, 4, 4, 3, 1, 1}},
        // Brackets belong to the word they stand in; the level is the one
        // after the word's last character.
        {"a(b c)d", {"a(b", "c)d"}, {2, 1}},
        {"( [ x ] )", {"(", "[", "x", "]", ")"}, {2, 3, 3, 2, 1}},
        // A closer without opener leaves level 0.
        {") x ( y", {")", "x", "(", "y"}, {0, 0, 2, 2}},
        // A backslash takes the next character along, blanks and brackets too.
        {"\\( a\\ b \\\\ c", {"\\(", "a\\ b", "\\\\", "c"}, {1, 1, 1, 1}},
        {"end\\", {"end\\"}, {1}},
        // Runs of blanks give no empty words; the line end is no word.
        {"  a   b  \n", {"a", "b"}, {1, 1}},
        {"a b\r\n", {"a", "b"}, {1, 1}},
        {"a \n b", {"a", "b"}, {1, 1}},
        // Trail bytes 0x5B ('[') and 0x5C ('\\') of two-byte characters are
        // neither brackets nor escapes.
        {"\x81\x5B x", {"\x81\x5B", "x"}, {1, 1}},
        {"\x81\x5C y", {"\x81\x5C", "y"}, {1, 1}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> words;
        std::vector<int> levels;
        EXPECT_TRUE(CConvPub::parsePhraseBuf(c.line, words, levels)) << c.line;
        EXPECT_EQ(c.words, words) << c.line;
        EXPECT_EQ(c.levels, levels) << c.line;
    }
    std::vector<std::string> words{"old"};
    std::vector<int> levels{1};
    for (const char* empty : {"", "   ", "\n", " \r\n"}) {
        EXPECT_FALSE(CConvPub::parsePhraseBuf(empty, words, levels)) << '"' << empty << '"';
        EXPECT_TRUE(words.empty());
    }
}

TEST(PhraseSplit, ValidPhrasesAndReservedWords) {
    struct Case {
        const char* text;
        bool valid;
    } phrases[] = {
        {"", true},          {"NULL", false},     {"Null", true},      {"abc09", true},
        {"a-b@c_d", true},   {"a(b", false},      {"a.b", false},      {"a b", false},
        {"a\\(b", true},     {"a\\ b", true},     {"\\", true},        {"\x81\x5B\xB0\xA1", true},
        {"x=1", false},      {"\x81\x5C(", false},
    };
    for (const Case& c : phrases) EXPECT_EQ(c.valid, CConvPub::isValidPhrase(c.text)) << c.text;

    struct Reserved {
        const char* word;
        bool reserved;
    } words[] = {
        {"return", true}, {"Return", true}, {"RETURN", true}, {"returns", false},
        {"a:b", true},    {"$1", true},     {"abc", false},   {"", false},
    };
    for (const Reserved& c : words) EXPECT_EQ(c.reserved, CConvPub::isReserveWords(c.word)) << c.word;
}

class PhraseOptimiser : public InWorkFolder {
protected:
    // Words and pairs of the rules; the comment and the blank line are kept
    // as they are, ".r4" is too short and ".r5" already optimised.
    static constexpr const char* kGrammar =
        ".r1 ( a b c )\n"
        ".r2 ( a b d )\n"
        ".r3 [ long NP ] long e\n"
        "NP ( long x { a b } )\n"
        ".r4 ( x )\n"
        ".r5 ( optsub_9 a b c )\n"
        "# a comment a b\n"
        "\n";
};

TEST_F(PhraseOptimiser, CountsWordsAndPairsAndNamesThemInByteOrder) {
    qztest::WriteFile("g.reg", kGrammar);
    CConvPub conv;
    PhraseCounts counts;
    ASSERT_TRUE(conv.genFreqHash("g.reg", counts));
    const PhraseCounts expected{
        {"NP", 1}, {"a", 3},    {"a b", 3},    {"b", 3},        {"b c", 2},          {"b d", 1}, {"c", 2},
        {"d", 1},  {"e", 1},    {"long", 3},   {"long x", 1},   {"optsub_9", 1},     {"optsub_9 a", 1},
        {"x", 2},
    };
    EXPECT_EQ(expected, counts);

    std::string name;
    // "NP" is a defined name: it takes number 0 but gets no name.
    EXPECT_FALSE(conv.findSubRuleName("NP", name));
    EXPECT_EQ("NULL_NAME", name);
    EXPECT_FALSE(conv.findSubRuleName("", name));
    EXPECT_EQ("NULL_NAME", name);
    EXPECT_FALSE(conv.findSubRuleName("absent", name));
    ASSERT_TRUE(conv.findSubRuleName("a b", name));
    EXPECT_EQ("optsub_2", name);
    ASSERT_TRUE(conv.findSubRuleName("x", name));
    EXPECT_EQ("optsub_13", name);
    EXPECT_EQ(3, CConvPub::findFreq(counts, "long"));
    EXPECT_EQ(0, CConvPub::findFreq(counts, "absent"));
}

TEST_F(PhraseOptimiser, SingleWordLinesCountWithoutDefiningAName) {
    qztest::WriteFile("g.reg", "alone\n.r ( alone )\n");
    CConvPub conv;
    PhraseCounts counts;
    ASSERT_TRUE(conv.genFreqHash("g.reg", counts));
    EXPECT_EQ((PhraseCounts{{"alone", 2}}), counts);
    std::string name;
    EXPECT_TRUE(conv.findSubRuleName("alone", name));
}

TEST_F(PhraseOptimiser, ReturnBlocksAndReservedWordsAreNotCounted) {
    qztest::WriteFile("g.reg", ".r ( Return a:b $x p { q r } s )\n");
    CConvPub conv;
    PhraseCounts counts;
    ASSERT_TRUE(conv.genFreqHash("g.reg", counts));
    EXPECT_EQ((PhraseCounts{{"p", 1}, {"s", 1}}), counts);
}

// A line is counted whole, however long: the pair at its end is found.
TEST_F(PhraseOptimiser, LongLinesAreCountedWhole) {
    const std::string longWord(110000, 'w');
    qztest::WriteFile("g.reg", ".r ( " + longWord + " y )\n");
    CConvPub conv;
    PhraseCounts counts;
    ASSERT_TRUE(conv.genFreqHash("g.reg", counts));
    EXPECT_EQ((PhraseCounts{{longWord, 1}, {longWord + " y", 1}, {"y", 1}}), counts);
}

TEST_F(PhraseOptimiser, RewritesTheGrammarWithSubRulesFirst) {
    struct Case {
        int minCount;
        int minLength;
        const char* output;
    } cases[] = {
        {2, 4,
         "optsub_2 ( a b )\n"
         "optsub_9 ( long )\n"
         ".r1 ( optsub_2 c ) \n"
         ".r2 ( optsub_2 d ) \n"
         ".r3 [ optsub_9 NP ] optsub_9 e \n"
         "NP ( optsub_9 x { a b } ) \n"
         ".r4 ( x )\n"
         ".r5 ( optsub_9 a b c )\n"
         "# a comment a b\n"
         "\n"},
        // Words shorter than the minimum length keep their place.
        {3, 100,
         "optsub_2 ( a b )\n"
         ".r1 ( optsub_2 c ) \n"
         ".r2 ( optsub_2 d ) \n"
         ".r3 [ long NP ] long e \n"
         "NP ( long x { a b } ) \n"
         ".r4 ( x )\n"
         ".r5 ( optsub_9 a b c )\n"
         "# a comment a b\n"
         "\n"},
        // Nothing frequent enough: every word is still written, the last too.
        {4, 1,
         ".r1 ( a b c ) \n"
         ".r2 ( a b d ) \n"
         ".r3 [ long NP ] long e \n"
         "NP ( long x { a b } ) \n"
         ".r4 ( x )\n"
         ".r5 ( optsub_9 a b c )\n"
         "# a comment a b\n"
         "\n"},
    };
    qztest::WriteFile("g.reg", kGrammar);
    for (const Case& c : cases) {
        CConvPub conv;
        ASSERT_TRUE(conv.makeSubRuleZEL("g.reg", "g.out", c.minCount, c.minLength));
        EXPECT_EQ(c.output, qztest::ReadFile("g.out")) << c.minCount << " " << c.minLength;
        EXPECT_EQ((std::set<std::string>{"g.reg", "g.out"}), Files());
    }
}

TEST_F(PhraseOptimiser, RewritesLineByLine) {
    struct Case {
        const char* line;
        int minCount;
        int minLength;
        const char* written;
        std::set<std::string> used;
    } cases[] = {
        {".r4 ( x )\n", 2, 1, ".r4 ( x )\n", {}},
        {".q ( optsub_1 a b c )\n", 2, 1, ".q ( optsub_1 a b c )\n", {}},
        {".q ( zz a b c", 2, 4, ".q ( zz optsub_2 c \n", {"optsub_2"}},
        // Uncounted phrases have no name to stand for them, whatever the
        // minimum count.
        {".q ( zz c d )\n", 0, 1, ".q ( zz optsub_6 optsub_7 ) \n", {"optsub_6", "optsub_7"}},
    };
    qztest::WriteFile("g.reg", kGrammar);
    CConvPub conv;
    PhraseCounts counts;
    ASSERT_TRUE(conv.genFreqHash("g.reg", counts));
    for (const Case& c : cases) {
        std::string out;
        std::set<std::string> used;
        ASSERT_TRUE(conv.rewriteRule(c.line, out, counts, used, c.minCount, c.minLength)) << c.line;
        EXPECT_EQ(c.written, out) << c.line;
        EXPECT_EQ(c.used, used) << c.line;
    }
    std::string out;
    std::set<std::string> used;
    EXPECT_FALSE(conv.rewriteRule("  \n", out, counts, used, 2, 1));
    EXPECT_EQ("", out);
}

TEST_F(PhraseOptimiser, TwoRulesSharingAPairUseOneName) {
    qztest::WriteFile("g.reg", ".one ( a b c )\n.two ( x a b )\n");
    CConvPub conv;
    ASSERT_TRUE(conv.makeSubRuleZEL("g.reg", "g.out", 2, 100));
    // Counted: a, "a b", b, "b c", c, x, "x a" -> "a b" is number 1.
    EXPECT_EQ("optsub_1 ( a b )\n.one ( optsub_1 c ) \n.two ( x optsub_1 ) \n", qztest::ReadFile("g.out"));
}

// A second run on the same converter starts afresh: names defined by the
// first grammar do not keep the second one's words from pairing.
TEST_F(PhraseOptimiser, RunsDoNotShareNamesOrDefinedNames) {
    qztest::WriteFile("first.reg", kGrammar);
    qztest::WriteFile("second.reg", ".s1 ( NP q r )\n.s2 ( NP q t )\n");
    CConvPub conv;
    ASSERT_TRUE(conv.makeSubRuleZEL("first.reg", "first.out", 2, 4));
    ASSERT_TRUE(conv.makeSubRuleZEL("second.reg", "second.out", 2, 1));
    EXPECT_EQ("optsub_1 ( NP q )\n.s1 ( optsub_1 r ) \n.s2 ( optsub_1 t ) \n", qztest::ReadFile("second.out"));
    std::string name;
    EXPECT_FALSE(conv.findSubRuleName("long", name));
}

TEST_F(PhraseOptimiser, RewriteKeepsItsWorkFileOnlyWhenLogging) {
    qztest::WriteFile("g.reg", ".one ( a b c )\n.two ( x a b )\n");
    CConvPub conv;
    zel::g_bIsLogOn = true;
    const bool ok = conv.makeSubRuleZEL("g.reg", "g.out", 2, 100);
    zel::g_bIsLogOn = false;
    ASSERT_TRUE(ok);
    EXPECT_EQ(".one ( optsub_1 c ) \n.two ( x optsub_1 ) \n", qztest::ReadFile("g.out.tmp"));
}

TEST_F(PhraseOptimiser, MissingFilesFail) {
    CConvPub conv;
    PhraseCounts counts;
    EXPECT_FALSE(conv.genFreqHash("none.reg", counts));
    EXPECT_NE(std::string::npos, zel::CompilerMessageLog().find("Error:Cannot open file none.reg\n"));
    EXPECT_FALSE(conv.makeSubRuleZEL("none.reg", "g.out", 2, 1));
    qztest::WriteFile("g.reg", ".one ( a b c )\n");
    EXPECT_FALSE(conv.makeSubRuleZEL("g.reg", "no/such/folder/g.out", 2, 1));
    EXPECT_FALSE(conv.outputAllWords("g.reg", "no/such/folder/words.txt"));
    EXPECT_NE(std::string::npos, zel::CompilerMessageLog().find("Error:Cannot write file no/such/folder/words.txt\n"));
    EXPECT_EQ((std::set<std::string>{"g.reg"}), Files());
}

TEST_F(PhraseOptimiser, OutputAllWordsWritesTheSingleWordsOfTheRefinedGrammar) {
    qztest::WriteFile("r.reg", "c a\n{\nf()\n}\nsub NP\n(\na b\n)\n");
    CConvPub conv;
    ASSERT_TRUE(conv.outputAllWords("r.reg", "words.txt"));
    EXPECT_EQ("a\nb\nc\n", qztest::ReadFile("words.txt"));
    EXPECT_EQ((std::set<std::string>{"r.reg", "words.txt"}), Files());
}
