// NETWORK file pairs: the header, reading a pair back, refusing damaged
// files whole, and the readable listing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "compiler_fixture.h"
#include "zel/compiler/word_net.h"
#include "zel/rules/format/byte_reader.h"

using zel::CXML2WordNet;
using zel::NetWordlist;

namespace {

const char kGrammar[] =
    "<WCL Name=\"demo\"><Grammar><Rule Name=\"R\">"
    "<Phrase Name=\"a\"/><Word Name=\"_SILENCE\"/><Opt><Phrase Name=\"b\"/></Opt>"
    "</Rule></Grammar></WCL>";

std::string Header(CXML2WordNet& builder, int selector) {
    FILE* file = fopen("header.bin", "wb");
    EXPECT_TRUE(builder.WriteHeader(file, selector));
    fclose(file);
    return qztest::ReadFile("header.bin");
}

int32_t HeaderCount(const std::string& header) {
    int32_t count = 0;
    std::memcpy(&count, header.data() + 512, 4);
    return count;
}

std::string NodeBytes(const std::string& header, const std::vector<NetWordlist::Node>& nodes) {
    std::string out = header;
    for (const NetWordlist::Node& node : nodes) {
        zel::AppendLE(out, node.type);
        zel::AppendLE(out, node.word);
        zel::AppendLE(out, node.third);
        zel::AppendLE(out, static_cast<uint32_t>(node.next.size()));
        for (uint32_t next : node.next) zel::AppendLE(out, next);
        for (uint32_t value : node.values) zel::AppendLE(out, value);
    }
    return out;
}

std::string WordBytes(const std::string& header, const std::vector<std::string>& words) {
    std::string out = header;
    for (const std::string& word : words) out += static_cast<char>(word.size()) + word;
    return out;
}

}  // namespace

class NetworkFiles : public InWorkFolder {
protected:
    void SetUp() override {
        InWorkFolder::SetUp();
        qztest::WriteFile("g.xml", kGrammar);
        builder_.XML2WordNetInit("g.xml", "g.net_");
        ASSERT_TRUE(builder_.XML2WordNet());
        // The pair as a writer of NETWORK files lays out the built network.
        for (const auto& node : builder_.nodes()) {
            NetWordlist::Node record;
            record.type = node->type;
            const auto word = std::find(builder_.words().begin(), builder_.words().end(), node->text);
            record.word = node->hasText ? static_cast<uint32_t>(word - builder_.words().begin()) : zel::kNetNoWord;
            record.third = static_cast<uint32_t>(node->instance);
            for (const zel::CNode* next : node->next) {
                record.next.push_back(static_cast<uint32_t>(next->number));
                record.values.push_back(100 + static_cast<uint32_t>(record.values.size()));
            }
            nodes_.push_back(record);
        }
        netHeader_ = Header(builder_, 1);
        wordHeader_ = Header(builder_, 0);
    }
    void WritePair(const std::string& nodeBytes, const std::string& wordBytes) {
        qztest::WriteFile("n.net", nodeBytes);
        qztest::WriteFile("n.words", wordBytes);
    }

    CXML2WordNet builder_;
    std::vector<NetWordlist::Node> nodes_;
    std::string netHeader_, wordHeader_;
};

TEST_F(NetworkFiles, HeaderHoldsNameTimeAndCount) {
    ASSERT_EQ(516u, netHeader_.size());
    EXPECT_EQ(0u, netHeader_.rfind("CFG: demo;Built: \t\t\t", 0));
    // The time as ctime gives it, then blanks up to the count.
    const size_t line = netHeader_.find('\n');
    ASSERT_NE(std::string::npos, line);
    EXPECT_EQ(std::string(512 - line - 1, ' '), netHeader_.substr(line + 1, 512 - line - 1));
    EXPECT_EQ(5, HeaderCount(netHeader_));  // enter, exit, a, _SILENCE, b
    EXPECT_EQ(3, HeaderCount(wordHeader_));
    EXPECT_EQ(netHeader_.substr(0, 512), wordHeader_.substr(0, 512));
}

TEST_F(NetworkFiles, HeaderWithoutGrammarNameOrWithAVeryLongOne) {
    const struct {
        std::string xml;
        std::string start;
    } cases[] = {
        {"<WCL><Grammar/></WCL>", "Built: \t\t\t"},
        {"<Other Name=\"x\"><Grammar/></Other>", "Built: \t\t\t"},
        {"<WCL Name=\"" + std::string(2000, 'N') + "\"><Grammar/></WCL>", "CFG: " + std::string(507, 'N')},
        // A two-byte character across the end is left out whole.
        {"<WCL Name=\"" + std::string(506, 'N') + "\xB0\xA1\"><Grammar/></WCL>", "CFG: " + std::string(506, 'N') + " "},
    };
    for (const auto& c : cases) {
        qztest::WriteFile("h.xml", c.xml);
        CXML2WordNet builder("Chinese");
        builder.XML2WordNetInit("h.xml", "h.net_");
        ASSERT_TRUE(builder.XML2WordNet());
        const std::string header = Header(builder, 1);
        ASSERT_EQ(516u, header.size());
        EXPECT_EQ(0u, header.rfind(c.start, 0)) << header.substr(0, 40);
        EXPECT_EQ(2, HeaderCount(header));
    }
}

TEST_F(NetworkFiles, PairReadsBackAndListsReadably) {
    WritePair(NodeBytes(netHeader_, nodes_), WordBytes(wordHeader_, builder_.words()));
    NetWordlist net;
    ASSERT_TRUE(CXML2WordNet::ReadNetWordlist("n.net", "n.words", net));
    ASSERT_EQ(nodes_.size(), net.nodes.size());
    for (size_t i = 0; i < nodes_.size(); ++i) {
        EXPECT_EQ(nodes_[i].type, net.nodes[i].type) << i;
        EXPECT_EQ(nodes_[i].word, net.nodes[i].word) << i;
        EXPECT_EQ(nodes_[i].third, net.nodes[i].third) << i;
        EXPECT_EQ(nodes_[i].next, net.nodes[i].next) << i;
        EXPECT_EQ(nodes_[i].values, net.nodes[i].values) << i;
    }
    // The silence word is read under its short name.
    EXPECT_EQ((std::vector<std::string>{"a", "sil", "b"}), net.words);

    ASSERT_TRUE(CXML2WordNet::WriteNetWordlist(net, "list.txt", false));
    const std::string listing =
        "===========================\n"
        "Output Compressed Net\n"
        "(0)\tEnter\t-1\t2(a) \n"
        "(1)\tExit\t-1\t\n"
        "(2)\ta\t2\t3(sil) \n"
        "(3)\tsil\t-1\t4(b) 1(_EXIT) \n"
        "(4)\tb\t4\t1(_EXIT) \n";
    EXPECT_EQ(listing, qztest::ReadFile("list.txt"));
    ASSERT_TRUE(CXML2WordNet::WriteNetWordlist(net, "list.txt", true));
    EXPECT_EQ(listing + listing, qztest::ReadFile("list.txt"));
    // Appending needs the file to be there.
    EXPECT_FALSE(CXML2WordNet::WriteNetWordlist(net, "absent.txt", true));

    CXML2WordNet::FreeNetWordlist(net);
    EXPECT_TRUE(net.nodes.empty());
    EXPECT_TRUE(net.words.empty());
}

TEST_F(NetworkFiles, DamagedPairIsRefusedWhole) {
    const std::string nodes = NodeBytes(netHeader_, nodes_);
    const std::string words = WordBytes(wordHeader_, builder_.words());
    std::vector<std::pair<std::string, std::string>> pairs;
    // Every cut inside the records, and a few inside the header.
    const auto cut = [](size_t size) { return size >= zel::kNetHeaderSize - 4 || size % 37 == 0; };
    for (size_t size = 0; size < nodes.size(); ++size) {
        if (cut(size)) pairs.emplace_back(nodes.substr(0, size), words);
    }
    for (size_t size = 0; size < words.size(); ++size) {
        if (cut(size)) pairs.emplace_back(nodes, words.substr(0, size));
    }
    pairs.emplace_back(nodes + "x", words);
    pairs.emplace_back(nodes, words + "x");
    auto badNext = nodes_;
    badNext[2].next[0] = 5;
    pairs.emplace_back(NodeBytes(netHeader_, badNext), words);
    auto badWord = nodes_;
    badWord[3].word = 3;
    pairs.emplace_back(NodeBytes(netHeader_, badWord), words);
    std::string hugeCount = netHeader_;
    const int32_t counts[] = {-1, 0x7FFFFFFF};
    for (int32_t count : counts) {
        std::memcpy(hugeCount.data() + 512, &count, 4);
        pairs.emplace_back(NodeBytes(hugeCount, nodes_), words);
        pairs.emplace_back(nodes, WordBytes(hugeCount, builder_.words()));
    }
    for (size_t i = 0; i < pairs.size(); ++i) {
        WritePair(pairs[i].first, pairs[i].second);
        NetWordlist net;
        net.words = {"stale"};
        EXPECT_FALSE(CXML2WordNet::ReadNetWordlist("n.net", "n.words", net)) << i;
        EXPECT_TRUE(net.nodes.empty() && net.words.empty()) << i;
    }
    NetWordlist net;
    EXPECT_FALSE(CXML2WordNet::ReadNetWordlist("none.net", "n.words", net));
}
