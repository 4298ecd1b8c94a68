// The word network built from the XML grammar, and its file.
#include <gtest/gtest.h>

#include <memory>

#include "compiler_fixture.h"
#include "zel/compiler/word_net.h"
#include "zel/compiler/zel2xml.h"

using zel::CNode;

class WordNet : public InWorkFolder {
protected:
    // The network of a rule text (UTF-8), or null when it fails.
    std::unique_ptr<zel::CXML2WordNet> Build(const std::string& utf8) {
        WriteGbk("r.reg", utf8);
        if (!zel::Regular2XML("r.reg", "r.xml")) return nullptr;
        return BuildXml();
    }
    std::unique_ptr<zel::CXML2WordNet> BuildXml() {
        auto net = std::make_unique<zel::CXML2WordNet>();
        net->XML2WordNetInit("r.xml", "r.net_");
        if (!net->XML2WordNet()) return nullptr;
        return net;
    }
    // The texts of a node's successors ("END" for the end node).
    static std::vector<std::string> Next(const CNode* node) {
        std::vector<std::string> texts;
        for (const CNode* next : node->next) texts.push_back(next->type == CNode::EXIT ? "END" : next->text);
        return texts;
    }
    static const CNode* Find(const zel::CXML2WordNet& net, const std::string& text) {
        for (const auto& node : net.nodes()) {
            if (node->hasText && node->text == text && node->type != CNode::SR) return node.get();
        }
        return nullptr;
    }
    using Texts = std::vector<std::string>;
};

TEST_F(WordNet, PhraseTextsDecideTheNodeKind) {
    qztest::WriteFile("r.xml",
                      "<WCL><Grammar><Rule Name=\"R\">"
                      "<Phrase Name=\"Tab=colors\"/><Phrase Name=\"x_y\"/><Phrase Name=\"a_$k2\"/>"
                      "<Phrase Name=\"Pos=n\"/><Phrase Name=\"|Pos=n\"/><Phrase Name=\"^ab\"/><Phrase Name=\"ab\"/>"
                      "<Phrase Name=\"XB\"/><Phrase Name=\"Word=XB\"/><Phrase Name=\"_Tag\"/>"
                      // A trail byte 0x5F is no '_'.
                      "<Phrase Name=\"\x81\x5F\"/>"
                      "</Rule></Grammar></WCL>");
    auto net = BuildXml();
    ASSERT_TRUE(net);
    const std::vector<std::pair<CNode::Type, std::string>> expected = {
        {CNode::CW, "colors"}, {CNode::CW, "x_y"},      {CNode::ATTR, "Word=a_$k2"}, {CNode::ATTR, "Pos=n"},
        {CNode::ATTR, "Pos=n"}, {CNode::WORDLH, "ab"},  {CNode::WORD, "ab"},         {CNode::CW, "_XB"},
        {CNode::ATTR, "Word=_XB"}, {CNode::ATTR, "Tag"},    {CNode::WORD, "\x81\x5F"}};
    ASSERT_EQ(2 + expected.size(), net->nodes().size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const CNode& node = *net->nodes()[i + 2];
        EXPECT_EQ(expected[i].first, node.type) << i;
        EXPECT_EQ(expected[i].second, node.text) << i;
        EXPECT_EQ(static_cast<int>(2 * i + 2), node.instance);
    }
    EXPECT_EQ((Texts{"colors", "x_y", "Word=a_$k2", "Pos=n", "ab", "_XB", "Word=_XB", "Tag", "\x81\x5F"}), net->words());
}

TEST_F(WordNet, OptionalAndLoopEdges) {
    auto net = Build("( a ?b c )\n{\nx\n}\n");
    ASSERT_TRUE(net);
    EXPECT_EQ((Texts{"a"}), Next(net->nodes()[0].get()));
    EXPECT_EQ((Texts{"b", "c"}), Next(Find(*net, "a")));
    EXPECT_EQ((Texts{"c"}), Next(Find(*net, "b")));

    net = Build("( +( a b ) )\n{\nx\n}\n");
    ASSERT_TRUE(net);
    EXPECT_EQ((Texts{"b"}), Next(Find(*net, "a")));
    EXPECT_EQ((Texts{"a", " x\\@ "}), Next(Find(*net, "b")));

    // A rule that can be skipped whole lets the start reach the end.
    net = Build("( ?a )\n{\nx\n}\n");
    ASSERT_TRUE(net);
    EXPECT_EQ((Texts{"a", " x\\@ "}), Next(net->nodes()[0].get()));
    EXPECT_EQ((Texts{"END"}), Next(Find(*net, " x\\@ ")));
}

TEST_F(WordNet, VariablesBecomeInstanceLists) {
    auto net = Build("( a:$x b:$x c )\n{\nf($x)\n}\n");
    ASSERT_TRUE(net);
    EXPECT_TRUE(Find(*net, " f($2@4)\\@ "));

    EXPECT_FALSE(Build("( a:$x b )\n{\nf($y)\n}\n"));
    EXPECT_NE(std::string::npos, zel::CompilerMessageLog().find("GoToError Transform Attribute/Value"));
}

TEST_F(WordNet, EachUseOfASubRuleGetsItsOwnCopy) {
    auto net = Build("sub NP\n(\n[ a b ]\n)\n( NP c NP )\n{\nx\n}\n");
    ASSERT_TRUE(net);
    // Template a, b (2, 3); first copy (4, 5), c, second copy.
    const auto& nodes = net->nodes();
    ASSERT_EQ(10u, nodes.size());
    EXPECT_EQ(CNode::SR, nodes[2]->type);
    EXPECT_EQ(CNode::SR, nodes[3]->type);
    EXPECT_EQ("a", nodes[4]->text);
    EXPECT_EQ("c", nodes[6]->text);
    EXPECT_EQ("a", nodes[7]->text);
    EXPECT_NE(nodes[4]->instance, nodes[7]->instance);
    EXPECT_EQ((Texts{"c"}), Next(nodes[4].get()));
    EXPECT_EQ((Texts{"a", "b"}), Next(nodes[6].get()));
}

TEST_F(WordNet, FileLayout) {
    WriteGbk("r.reg", "( a )\n{\nx\n}\n");
    ASSERT_TRUE(zel::Reg2Net("r.reg", "r.net_", "r.log"));
    static const char kExpected[] =
        "\x02\0\0\0"                      // two words
        "\x01\0a"                         // "a"
        "\x05\0 x\\@ "                    // the return value
        "\x04\0\0\0"                      // four nodes
        "\0\0\0\0\xff\xff\xff\xff\xff\xff\xff\xff\x01\0\0\0\x02\0\0\0\0\0\0\0"  // ENTER -> 2
        "\x01\0\0\0\xff\xff\xff\xff\xff\xff\xff\xff\0\0\0\0"                    // EXIT
        "\x03\0\0\0\0\0\0\0\x02\0\0\0\x01\0\0\0\x03\0\0\0\0\0\0\0"              // WORD a -> 3
        "\x05\0\0\0\x01\0\0\0\xff\xff\xff\xff\x01\0\0\0\x01\0\0\0\0\0\0\0";     // Return -> EXIT
    EXPECT_EQ(std::string(kExpected, sizeof kExpected - 1), qztest::ReadFile("r.net_"));
    EXPECT_EQ(
        "====================================\n           Wordlist\n====================================\n"
        "<0>a\t<1> x\\@ \t\n"
        "====================================\n           CFG NET        \n====================================\n"
        "<0>\tENTER\n2(1.0 2)\t\n------------------------------\n"
        "<1>\tEXIT\n\n------------------------------\n"
        "<2>\tWORD\ta\t2\n3(1.0 -1)\t\n------------------------------\n"
        "<3>\tReturn\t x\\@ \t-1\n1(1.0 -1)\t\n------------------------------\n\n\n\n",
        qztest::ReadFile("r.log"));
    EXPECT_EQ((std::set<std::string>{"r.reg", "r.net_", "r.log"}), Files());
}
