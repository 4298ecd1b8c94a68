// The pre-pass, the aligner and the reorderer of a rule text.
#include <gtest/gtest.h>

#include "compiler_fixture.h"
#include "zel/compiler/conv_pub.h"
#include "zel/compiler/rule_prepass.h"

using zel::PrepassRuleText;

TEST(RulePrepass, RuleWithActionBecomesOneGroupWithItsOperatorLine) {
    EXPECT_EQ(".R\n(\nV NP\n{print(1)\\@}\n)\n", PrepassRuleText("V NP\n{\nprint(1)\n}\n"));
    // Any opener closes with any closer; two action lines are joined.
    EXPECT_EQ(".R\n(\na\n{x\\@y\\@}\n)\n", PrepassRuleText("a\n<\nx\ny\n}}\n"));
}

TEST(RulePrepass, ActionCharactersAreEscaped) {
    EXPECT_EQ(".R\n(\na\n{s=\\&\\!\\-\\_\\<\\>\\*\\|\\/\\&\\@}\n)\n",
              PrepassRuleText("a\n{\ns=\"#+?[]{}~\"\n}\n"));
}

TEST(RulePrepass, CommentsCutsAndDroppedLines) {
    const std::string text =
        "// a comment line\n"
        "a b -- comment\n"
        "(\n"
        ".old name\n"
        "c \\\\ cut\n"
        "{\n"
        "f() // cut in the action\n"
        "}\n"
        "lost after the last block\n";
    EXPECT_EQ(".R\n(\na b\nc\n{f() \\@}\n)\n", PrepassRuleText(text));
}

TEST(RulePrepass, ContextMarksExpand) {
    struct Case {
        const char* line;
        const char* expanded;
    } cases[] = {
        {"^ab c", "[ ( +Type=HZ ab) ab] c"},
        {"^  ab", "[ ( +Type=HZ ab) ab]"},
        {"x ^(ab c d)", "x (  c d)"},
        {"^(Pos=n c)", "([ ( +Type=HZ Pos=n) Pos=n]  c)"},
        {"^[a_b cd ^x=1]", "[[ ( +Type=HZ a_b) a_b]  [ ( +Type=HZ x=1) x=1] ]"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(std::string(".R\n(\n") + c.expanded + "\n{}\n)\n",
                  PrepassRuleText(std::string(c.line) + "\n{\n}\n"))
            << c.line;
    }
}

TEST(RulePrepass, SubRulesPassThroughWithoutTheirPrefix) {
    EXPECT_EQ("NP\n(\n[ a b ]\n)\n", PrepassRuleText("sub NP\n(\n[ a b ]\n)\n"));
}

// Two-byte characters whose trail byte is 0x5C ('\\'), 0x7B ('{'), 0x5E
// ('^') or 0x7E ('~') stay whole and are never taken for syntax.
TEST(RulePrepass, TrailBytesAreNotSyntax) {
    const std::string backslashTrail = "\x81\x5C";
    const std::string braceTrail = "\x81\x7B";
    const std::string caretTrail = "\x81\x5E";
    const std::string tildeTrail = "\x81\x7E";
    const std::string text = backslashTrail + "\\x " + caretTrail + "\n{\n" + braceTrail + tildeTrail + "\n}\n";
    EXPECT_EQ(".R\n(\n" + backslashTrail + "\\x " + caretTrail + "\n{" + braceTrail + tildeTrail + "\\@}\n)\n",
              PrepassRuleText(text));
}

TEST(RuleAlign, EveryRuleAndSubRuleOnOneLine) {
    EXPECT_EQ(".R (  V NP  { print(1)\\@ } ) \n", zel::AlignRuleText(".R\n(\nV NP\n{print(1)\\@}\n)\n"));
    EXPECT_EQ("NP (  [ a b ] ) \n", zel::AlignRuleText("NP\n(\n[ a b ]\n)\n"));
    // A '/' in a pattern drops the rest of its line; a directive keeps its line end.
    EXPECT_EQ("#include \"x\"\n.R (  a ) \n", zel::AlignRuleText("#include \"x\"\n.R\n(\na /b c\n)\n"));
}

class Refine : public InWorkFolder {};

TEST_F(Refine, PipelineLeavesOnlyItsOutput) {
    qztest::WriteFile("r.reg", "a\n{\nf()\n}\nsub NP\n(\n[ a b ]\n)\n");
    zel::CConvPub conv;
    ASSERT_TRUE(conv.refineZEL("r.reg", "r.out"));
    EXPECT_EQ("NP (  [ a b ] ) \n.R (  a  { f()\\@ } ) \n", qztest::ReadFile("r.out"));
    EXPECT_EQ((std::set<std::string>{"r.reg", "r.out"}), Files());
}

TEST_F(Refine, ReordererInlinesIncludesOnceThenSubRulesThenRules) {
    qztest::WriteFile("lib.inc", "LIB ( x ) \n");
    qztest::WriteFile("r.format",
                      "#include \"lib.inc\"\n.R ( a ) \n{ f }\n#include <lib.inc>\nNP ( b ) \n;note\n");
    zel::CConvPub conv;
    ASSERT_TRUE(conv.reorderGramFile("r.format", "r.out"));
    EXPECT_EQ("LIB ( x ) \n\nNP ( b ) \n;note\n.R ( a ) { f }\n;note\n", qztest::ReadFile("r.out"));

    qztest::WriteFile("bad.format", "#include \"none.inc\"\n.R ( a ) \n");
    EXPECT_FALSE(conv.reorderGramFile("bad.format", "bad.out"));
    EXPECT_NE(std::string::npos, zel::CompilerMessageLog().find("Cannot open include file \"none.inc\""));
}

TEST_F(Refine, FormatCheckWantsOneBalancedPair) {
    zel::CConvPub conv;
    qztest::WriteFile("bad.reg", "a ( b\n");
    EXPECT_FALSE(conv.checkZELGrammarFile("bad.reg"));
    EXPECT_EQ("File Format Error:bad.reg is not a valid ZEL Grammar file\n", zel::CompilerMessageLog());
    qztest::WriteFile("quotes.reg", "a \"b\" ( c\n");
    EXPECT_TRUE(conv.checkZELGrammarFile("quotes.reg"));
    // An escaped parenthesis does not count.
    qztest::WriteFile("escaped.reg", "a ( b \\)\n");
    EXPECT_FALSE(conv.checkZELGrammarFile("escaped.reg"));
}
