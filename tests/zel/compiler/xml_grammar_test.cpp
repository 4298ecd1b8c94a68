// Conversion of a rule text into the XML grammar.
#include <gtest/gtest.h>

#include "compiler_fixture.h"
#include "zel/compiler/zel2xml.h"

class XmlGrammar : public InWorkFolder {
protected:
    // The XML for a rule text given in UTF-8, back in UTF-8; "" on failure.
    std::string Convert(const std::string& utf8) {
        WriteGbk("r.reg", utf8);
        if (!zel::Regular2XML("r.reg", "r.xml")) return "";
        return qztest::Utf8(qztest::ReadFile("r.xml"));
    }
    // The elements inside the Rule element of one aligned rule line, without
    // the tabs; "(failed)" when the conversion fails.
    static std::string RuleBody(const std::string& line) {
        zel::CZEL2XML converter;
        std::string xml;
        if (!converter.convertZELRule2WCL(line, xml)) return "(failed)";
        const size_t start = xml.find(">\n") + 2;
        const size_t end = xml.rfind("</Rule>");
        std::string body;
        for (char c : xml.substr(start, end - start)) {
            if (c != '\t') body += c;
        }
        return body;
    }
};

TEST_F(XmlGrammar, SubRuleWithAlternativesAndRuleWithOptionalReference) {
    const std::string expected =
        "<?xml version=\"1.0\" encoding=\"GB2312\"?>\n"
        "<WCL>\n"
        "\t<GrammarLib>\n"
        "\t\t<SubRule Name=\"ADJ\">\n"
        "\t\t\t<Oneof>\n"
        "\t\t\t\t<Phrase Name=\"红\" />\n"
        "\t\t\t\t<Phrase Name=\"大\" />\n"
        "\t\t\t</Oneof>\n"
        "\t\t</SubRule>\n"
        "\t</GrammarLib>\n"
        "\t<Grammar>\n"
        "\t\t<Rule Name=\"R\">\n"
        "\t\t\t<Opt>\n"
        "\t\t\t\t<RuleRef Name=\"ADJ\" />\n"
        "\t\t\t</Opt>\n"
        "\t\t\t<Phrase Name=\"苹果\" />\n"
        "\t\t\t<Phrase Name=\"Entry0\" />\n"
        "\t\t\t<Return>\n"
        "\t\t\t\t<SubReturn Value=\" Return(GetWord(0))\\@ \"/>\n"
        "\t\t\t</Return>\n"
        "\t\t</Rule>\n"
        "\t</Grammar>\n"
        "</WCL>\n";
    EXPECT_EQ(expected, Convert("sub ADJ\n(\n[ 红 大 ]\n)\n?ADJ 苹果 Entry0\n{\nReturn(GetWord(0))\n}\n"));
    // Only the XML itself is left in the working folder.
    EXPECT_EQ((std::set<std::string>{"r.reg", "r.xml"}), Files());
}

TEST_F(XmlGrammar, BodyShapes) {
    struct Case {
        const char* pattern;
        const char* body;
    } cases[] = {
        {".R ( a b ) ", "<Phrase Name=\"a\" />\n<Phrase Name=\"b\" />\n"},
        {".R ( a ( b c ) ) ", "<Phrase Name=\"a\" />\n<Seq>\n<Phrase Name=\"b\" />\n<Phrase Name=\"c\" />\n</Seq>\n"},
        {".R ( ?[ a b ] ) ", "<Opt>\n<Oneof>\n<Phrase Name=\"a\" />\n<Phrase Name=\"b\" />\n</Oneof>\n</Opt>\n"},
        {".R ( *a b ) ", "<Opt><Loop>\n<Phrase Name=\"a\" />\n</Loop></Opt>\n<Phrase Name=\"b\" />\n"},
        {".R ( +( a b ) ) ", "<Loop>\n<Seq>\n<Phrase Name=\"a\" />\n<Phrase Name=\"b\" />\n</Seq>\n</Loop>\n"},
        {".R ( a:$x~2 ) ", "<Phrase Name=\"a\" Weight=\"2\" Var=\"$x\" />\n"},
        {".R ( _W_abc ) ", "<Word Name=\"abc\" />\n"},
        {".R ( a<b&\\\" ) ", "<Phrase Name=\"a&lt;b&amp;&quot;\" />\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.body, RuleBody(c.pattern)) << c.pattern;
}

TEST_F(XmlGrammar, ReturnBlocks) {
    EXPECT_EQ("<Phrase Name=\"a\" />\n", RuleBody(".R ( a {} ) "));
    EXPECT_EQ("<Phrase Name=\"a\" />\n<Return>\n<SubReturn Value=\"f(&apos;x&apos;)\"/>\n</Return>\n",
              RuleBody(".R ( a {f('x\"')} ) "));
    EXPECT_EQ("(failed)", RuleBody(".R ( a R ) "));
}

// Closers without openers, and quantifiers or groups left open, fail the
// rule instead of ending the rule's own elements. (Parentheses that write no
// element, the body's outermost group, may stay unbalanced.)
TEST_F(XmlGrammar, UnbalancedBodiesFail) {
    for (const char* line : {".R ( a ] ) ", ".R ( [ a ) ", ".R ( a ? ) ", ".R ( ( a ( b ) "})
        EXPECT_EQ("(failed)", RuleBody(line)) << line;
}

// Two-byte characters whose trail bytes are '[', '~', ':' or '{' stay whole
// phrases.
TEST_F(XmlGrammar, TrailBytesAreNotSyntax) {
    const std::string word = "\x81\x5B\x81\x7E\x81\x7B";
    EXPECT_EQ("<Phrase Name=\"" + word + "\" />\n", RuleBody(".R ( " + word + " ) "));
}

TEST_F(XmlGrammar, Refusals) {
    EXPECT_EQ("", Convert("sub NP\n(\na\n)\nsub NP\n(\nb\n)\nNP\n{\n}\n"));
    EXPECT_EQ("Error: SubRule Name conflict with another Rule/SubRule: NP\n", zel::CompilerMessageLog());
    EXPECT_FALSE(Files().count("r.xml"));

    zel::ClearCompilerMessageLog();
    EXPECT_EQ("", Convert("( a R )\n{\n}\n"));
    EXPECT_EQ("Error: Cannot support a direct recursion in Rule/SubRule:R\n", zel::CompilerMessageLog());

    zel::ClearCompilerMessageLog();
    EXPECT_EQ("", Convert("a ( b\n"));
    EXPECT_EQ("File Format Error:r.reg is not a valid ZEL Grammar file\n", zel::CompilerMessageLog());
}
