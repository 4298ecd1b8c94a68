// Encoding word networks into compiled blocks.
#include <gtest/gtest.h>

#include "block_reader.h"
#include "compiler_fixture.h"
#include "zel/compiler/net_encoder.h"
#include "zel/compiler/word_net.h"

namespace cn = zel::compiled_net;

class NetEncoder : public InWorkFolder {
protected:
    // The decoded block of a rule text (GBK bytes as given).
    zel::FsaBlock Compile(const std::string& gbk) {
        qztest::WriteFile("r.reg", gbk);
        EXPECT_TRUE(zel::Reg2Net("r.reg", "r.net_", ""));
        zel::WordNetData net;
        EXPECT_TRUE(cn::Read_Old_Net("r.net_", net));
        zel::FsaBlock block;
        EXPECT_TRUE(DecodeBody(zel::EncodeFsaBody(cn::Encode_Old_Net(net, "NAME")), block));
        return block;
    }
    // A rule of one alternative between words distinct two-character words.
    zel::FsaBlock Alternatives(int words) {
        std::string text = "( [";
        for (int i = 0; i < words; ++i) text += " " + Word(i);
        return Compile(text + " ] )\n{\nx\n}\n");
    }
    // Two GB2312 characters: the first numbered by i, the second fixed.
    static std::string Word(int i) {
        return std::string{static_cast<char>(0xB0 + i / 94), static_cast<char>(0xA1 + i % 94), '\xB0', '\xA1'};
    }
    int32_t Atom(const zel::FsaBlock& block, int32_t node) {
        return block.forward[node].atom;
    }
    std::vector<std::string> Texts(const zel::FsaBlock& block, const std::vector<int32_t>& nodes) {
        std::vector<std::string> texts;
        for (int32_t n : nodes) texts.push_back(block.atoms[block.forward[n].atom]);
        return texts;
    }
};

TEST(FilterSize, StepsWithTheAtomCount) {
    const std::pair<size_t, int32_t> cases[] = {{0, 641},       {64, 641},       {65, 2579},     {256, 2579},
                                                {257, 25601},   {2560, 25601},   {2561, 256019}, {25600, 256019},
                                                {25601, 2560021}};
    for (const auto& [atoms, size] : cases) EXPECT_EQ(size, cn::FilterSize(atoms)) << atoms;
}

TEST_F(NetEncoder, FilterAndLengthTablesFollowTheAtomCount) {
    zel::FsaBlock block = Alternatives(63);  // and the action: 64 atoms
    ASSERT_EQ(64u, block.atoms.size());
    EXPECT_EQ(641, static_cast<int32_t>(block.filter.size()));
    EXPECT_EQ(2, block.longest);
    block = Alternatives(64);
    EXPECT_EQ(2579, static_cast<int32_t>(block.filter.size()));
    // Every atom sets its bit.
    for (const std::string& atom : block.atoms) {
        uint32_t h = 0;
        for (unsigned char c : atom) h = h * 31 + c;
        const uint32_t i = h % 2579;
        EXPECT_TRUE(block.filter[i] & (1 << (i % 8))) << atom;
    }

    block = Alternatives(99);
    EXPECT_EQ((std::vector<uint16_t>{2}), block.lastCharTable);
    EXPECT_EQ((std::vector<uint16_t>{2}), block.firstCharTable);
    block = Alternatives(100);
    ASSERT_EQ(8338u, block.firstCharTable.size());
    ASSERT_EQ(8338u, block.lastCharTable.size());
    // Word 0 is 0xB0A1 0xB0A1 (number 1571): low byte as first and last
    // character, high byte as second and second-to-last.
    EXPECT_EQ(0x0202, block.firstCharTable[1571]);
    EXPECT_EQ(0x0202, block.lastCharTable[1571]);
    // Word 1 is 0xB0A2 0xB0A1.
    EXPECT_EQ(0x0002, block.firstCharTable[1572]);
    EXPECT_EQ(0x0200, block.lastCharTable[1572]);
}

TEST_F(NetEncoder, SuccessorsPredecessorsAndNodeSets) {
    zel::FsaBlock block = Compile("( [ c a b ] Pos=n a )\n{\nx\n}\n");
    ASSERT_EQ(8u, block.forward.size());
    EXPECT_EQ(7, block.endNode);
    EXPECT_EQ("NAME", block.name);
    // The start's word successors in byte order of their texts.
    EXPECT_EQ((std::vector<std::string>{"a", "b", "c"}), Texts(block, block.forward[0].words));
    // Each alternative leads to the condition; it leads to the word a.
    for (int32_t n : block.forward[0].words) {
        EXPECT_EQ((std::vector<int32_t>{5}), block.forward[n].attrs);
        EXPECT_EQ((std::vector<int32_t>{0}), block.backward[n].starts);
    }
    // Predecessors of the condition in reversed-character order of their texts.
    EXPECT_EQ((std::vector<std::string>{"a", "b", "c"}), Texts(block, block.backward[5].words));
    EXPECT_EQ((std::vector<int32_t>{5}), block.backward[6].attrs);
    // The return node alone lists the end node.
    EXPECT_EQ((std::vector<int32_t>{7}), block.forward[6].others);
    EXPECT_EQ((std::vector<int32_t>{1}), block.forward[7].others);
    EXPECT_EQ("x\\@", block.atoms[Atom(block, 7)]);  // trimmed
    // Both a nodes form one set.
    EXPECT_EQ((std::vector<int32_t>{3, 6}), Sets(block)["a"]);
    EXPECT_EQ((std::vector<int32_t>{5}), Sets(block)["Pos=n"]);
    EXPECT_FALSE(Sets(block).count("x\\@"));

    // A rule that may be skipped whole: the start's edge to the end node is
    // not listed.
    block = Compile("( ?a )\n{\nx\n}\n");
    EXPECT_TRUE(block.forward[0].others.empty() || block.forward[0].others[0] != 1);
}

TEST_F(NetEncoder, SingleBlockFileAndDump) {
    qztest::WriteFile("r.reg", "( a b )\n{\nx\n}\n");
    ASSERT_TRUE(zel::Reg2Net("r.reg", "r.net_", ""));
    ASSERT_TRUE(cn::RuleIdx("r.net_", "r.blk", "r.dump"));
    const std::string file = qztest::ReadFile("r.blk");
    zel::FsaBlock block;
    ASSERT_TRUE(DecodeBody(BlockAt(file, 0), block));
    EXPECT_EQ(file.size(), 4 + BlockAt(file, 0).size());
    EXPECT_EQ("r.net_", block.name);
    const std::string dump = qztest::ReadFile("r.dump");
    EXPECT_NE(std::string::npos, dump.find("<2>\tWORD\ta\t2\nNEXT:Word:3\tATT:RET:CW:\nPrev Word:ATT:Enter:0\tCW:\n"));
    EXPECT_NE(std::string::npos, dump.find("           Atom2ID        \n====================================\n"
                                           "a -->2\t\nb -->3\t\n"));
}

TEST_F(NetEncoder, DamagedWordNetworksAreRefused) {
    qztest::WriteFile("r.reg", "( a b )\n{\nx\n}\n");
    ASSERT_TRUE(zel::Reg2Net("r.reg", "r.net_", ""));
    const std::string good = qztest::ReadFile("r.net_");
    zel::WordNetData net;
    for (size_t cut : {size_t{0}, size_t{3}, good.size() / 2, good.size() - 1}) {
        qztest::WriteFile("cut.net_", good.substr(0, cut));
        EXPECT_FALSE(cn::Read_Old_Net("cut.net_", net)) << cut;
    }
    std::string badSuccessor = good;
    badSuccessor[good.size() - 8] = 9;  // the return node's successor
    qztest::WriteFile("bad.net_", badSuccessor);
    EXPECT_FALSE(cn::Read_Old_Net("bad.net_", net));
    EXPECT_FALSE(cn::Read_Old_Net("missing.net_", net));
    EXPECT_NE(std::string::npos, zel::CompilerMessageLog().find("Error read missing.net_.\n"));
}

// Caret words (written with '^' in the XML grammar) are listed in
// reversed-character order: "xa" ("ax" reversed) before "ab" ("ba").
TEST_F(NetEncoder, CaretSuccessorsInReversedCharacterOrder) {
    qztest::WriteFile("r.xml",
                      "<WCL><Grammar><Rule Name=\"R\"><Oneof><Phrase Name=\"^ab\"/><Phrase Name=\"^xa\"/>"
                      "<Phrase Name=\"ab\"/><Phrase Name=\"xa\"/></Oneof></Rule></Grammar></WCL>");
    zel::CXML2WordNet builder;
    builder.XML2WordNetInit("r.xml", "r.net_");
    ASSERT_TRUE(builder.XML2WordNet());
    zel::WordNetData net;
    ASSERT_TRUE(cn::Read_Old_Net("r.net_", net));
    zel::FsaBlock block;
    ASSERT_TRUE(DecodeBody(zel::EncodeFsaBody(cn::Encode_Old_Net(net, "N")), block));
    EXPECT_EQ((std::vector<std::string>{"xa", "ab"}), Texts(block, block.forward[0].carets));
    EXPECT_EQ((std::vector<std::string>{"ab", "xa"}), Texts(block, block.forward[0].words));
}
