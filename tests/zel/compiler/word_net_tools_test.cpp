// Tools around the word network: word lists from the grammar, word look-up,
// the word-list writer, sharing sub-rule uses and freeing element networks.
#include <gtest/gtest.h>

#include <tinyxml2.h>

#include <algorithm>

#include "compiler_fixture.h"
#include "zel/compiler/word_net.h"

using zel::CNode;
using zel::CXML2WordNet;

namespace {

const char kGrammar[] =
    "<WCL Name=\"g\"><GrammarLib>"
    "<SubRule Name=\"S\"><Phrase Name=\"p\"/><Phrase Name=\"q\"/><Phrase Name=\"r\"/></SubRule>"
    "</GrammarLib><Grammar><Rule Name=\"R\">"
    "<Phrase Name=\"c\"/><Opt><Phrase Name=\"d\"/><Seq><Phrase Name=\"e\"/></Seq></Opt><Word Name=\"w\"/>"
    "</Rule></Grammar></WCL>";

}  // namespace

class WordNetTools : public InWorkFolder {
protected:
    void SetUp() override {
        InWorkFolder::SetUp();
        qztest::WriteFile("g.xml", kGrammar);
        builder_.XML2WordNetInit("g.xml", "g.net_");
    }
    CXML2WordNet builder_{"English"};
};

TEST_F(WordNetTools, PhraseNamesOfTheWholeGrammar) {
    std::set<std::string> names = {"stale"};
    EXPECT_TRUE(builder_.GenWordListFromGrammar(names));
    EXPECT_EQ((std::set<std::string>{"p", "q", "r", "c", "d", "e"}), names);
    // The document is loaded once; the build after it reads the same one.
    ASSERT_TRUE(builder_.XML2WordNet());
    EXPECT_TRUE(builder_.GenWordListFromGrammar(names));
    EXPECT_EQ(6u, names.size());
    EXPECT_TRUE(builder_.GenSyllableFromWordlist());

    CXML2WordNet missing;
    missing.XML2WordNetInit("none.xml", "none.net_");
    EXPECT_TRUE(missing.GenWordListFromGrammar(names));
    EXPECT_TRUE(names.empty());
}

TEST_F(WordNetTools, EncodeIdBisectsTheSortedWordList) {
    CXML2WordNet empty;
    int index = 7;
    EXPECT_FALSE(empty.GetEncodeID("p", index));
    EXPECT_EQ(-1, index);

    ASSERT_TRUE(builder_.XML2WordNet());
    // The words come in the order of their nodes: p q r c d e w.
    ASSERT_EQ((std::vector<std::string>{"p", "q", "r", "c", "d", "e", "w"}), builder_.words());
    qztest::WriteFile("s.xml",
                      "<WCL><Grammar><Rule><Phrase Name=\"b\"/><Phrase Name=\"d\"/><Phrase Name=\"f\"/>"
                      "<Phrase Name=\"h\"/></Rule></Grammar></WCL>");
    CXML2WordNet sorted;
    sorted.XML2WordNetInit("s.xml", "s.net_");
    ASSERT_TRUE(sorted.XML2WordNet());
    const struct {
        const char* text;
        bool found;
        int index;
    } cases[] = {{"b", true, 0}, {"d", true, 1}, {"f", true, 2}, {"h", true, 3},
                 {"a", false, -1}, {"c", false, -1}, {"z", false, -1}, {"", false, -1}};
    for (const auto& c : cases) {
        index = 99;
        EXPECT_EQ(c.found, sorted.GetEncodeID(c.text, index)) << c.text;
        EXPECT_EQ(c.index, index) << c.text;
    }
}

TEST_F(WordNetTools, SaveWordNetWritesTheFileAndWordListHasNoPath) {
    ASSERT_TRUE(builder_.XML2WordNet());
    const std::string first = qztest::ReadFile("g.net_");
    std::remove("g.net_");
    EXPECT_TRUE(builder_.SaveWordNet());
    EXPECT_EQ(first, qztest::ReadFile("g.net_"));

    EXPECT_FALSE(builder_.SaveWordList());
    EXPECT_EQ("GoToError open the file .\n", zel::CompilerMessageLog());
}

TEST_F(WordNetTools, ElementNamesAndSuccessorsWithoutWeights) {
    tinyxml2::XMLDocument document;
    document.Parse("<R Name=\"NP\"/><S/>");
    std::string name = "kept";
    EXPECT_TRUE(CXML2WordNet::GetRuleElementName(document.FirstChildElement("S"), name));
    EXPECT_EQ("kept", name);
    EXPECT_TRUE(CXML2WordNet::GetRuleElementName(document.FirstChildElement("R"), name));
    EXPECT_EQ("NP", name);

    CNode a, b, c;
    a.AddNode(&b, 1.0f);
    a.SetNextNodes({&b, &c});
    EXPECT_EQ((std::vector<CNode*>{&b, &b, &c}), a.next);
    EXPECT_EQ((std::vector<float>{1.0f, 0.0f, 0.0f}), a.weights);
}

TEST_F(WordNetTools, SharingSubRuleUseCopiesOnlyItsEnds) {
    ASSERT_TRUE(builder_.XML2WordNet());
    zel::CWordNet* templ = builder_.SubRuleNet("S");
    ASSERT_NE(nullptr, templ);
    ASSERT_EQ(1u, templ->heads.size());
    CNode* p = templ->heads[0];
    CNode* q = p->next.at(0);
    CNode* r = templ->tails.at(0);
    ASSERT_EQ("q", q->text);
    const size_t before = builder_.nodes().size();

    zel::CWordNet* use = builder_.GenRuleRefWordNetEx(templ);
    ASSERT_EQ(before + 2, builder_.nodes().size());
    ASSERT_EQ(1u, use->heads.size());
    ASSERT_EQ(1u, use->tails.size());
    CNode* head = use->heads[0];
    CNode* tail = use->tails[0];
    EXPECT_NE(p, head);
    EXPECT_NE(r, tail);
    EXPECT_EQ("p", head->text);
    EXPECT_EQ("r", tail->text);
    // The copied head leads into the shared middle, which leads to both ends.
    EXPECT_EQ((std::vector<CNode*>{q}), head->next);
    EXPECT_EQ((std::vector<CNode*>{r, tail}), q->next);
    EXPECT_EQ(q->next.size(), q->weights.size());
}

TEST_F(WordNetTools, SharingUseOfASkippableSubRuleKeepsTheEnd) {
    qztest::WriteFile("o.xml",
                      "<WCL><GrammarLib><SubRule Name=\"O\"><Opt><Phrase Name=\"x\"/></Opt></SubRule></GrammarLib>"
                      "<Grammar><Rule><Phrase Name=\"y\"/></Rule></Grammar></WCL>");
    CXML2WordNet builder;
    builder.XML2WordNetInit("o.xml", "o.net_");
    ASSERT_TRUE(builder.XML2WordNet());
    zel::CWordNet* use = builder.GenRuleRefWordNetEx(builder.SubRuleNet("O"));
    ASSERT_EQ(2u, use->heads.size());
    EXPECT_EQ("x", use->heads[0]->text);
    EXPECT_EQ(CNode::EXIT, use->heads[1]->type);
    EXPECT_EQ((std::vector<CNode*>{use->heads[0]}), use->tails);
}

TEST_F(WordNetTools, FreeingElementNetworksForgetsTheirSubRules) {
    ASSERT_TRUE(builder_.XML2WordNet());
    ASSERT_NE(nullptr, builder_.SubRuleNet("S"));
    builder_.FreeXMLNode(builder_.document()->FirstChildElement()->FirstChildElement("GrammarLib"));
    EXPECT_EQ(nullptr, builder_.SubRuleNet("S"));
    builder_.FreeXMLNode(builder_.document()->FirstChildElement());
    builder_.FreeXMLNode(nullptr);
    // The nodes stay: the file can still be written.
    EXPECT_TRUE(builder_.SaveWordNet());
}

TEST(DebugInfo, PrintsALine) {
    testing::internal::CaptureStdout();
    zel::DebugInfo("step 3");
    EXPECT_EQ("step 3\n", testing::internal::GetCapturedStdout());
}
