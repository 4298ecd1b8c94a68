// The older rule-base list: "#name" and "Net:" lines over word-network files
// that are already built, compiled into a bare index and a data file.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "block_reader.h"
#include "compiler_fixture.h"
#include "zel/compiler/net_encoder.h"
#include "zel/compiler/rule_base_idx.h"
#include "zel/compiler/word_net.h"

namespace {

using Entries = std::vector<std::pair<std::string, int32_t>>;

// The entries of an index of the older form, or a single "(bad)" entry.
Entries ReadOldIndex(const std::string& bytes) {
    Entries entries;
    zel::ByteReader in(bytes);
    while (!in.AtEnd()) {
        std::string name;
        int32_t offset = 0;
        if (!in.LengthText(name, in.remaining() + 1) || !in.I32(offset)) return {{"(bad)", 0}};
        entries.emplace_back(name, offset);
    }
    return entries;
}

// What the encoder makes of a word-network file under a name.
std::string ExpectedBody(const std::string& netPath, const std::string& name) {
    zel::WordNetData net;
    if (!zel::compiled_net::Read_Old_Net(netPath, net)) return "(unreadable)";
    return zel::EncodeFsaBody(zel::compiled_net::Encode_Old_Net(net, name));
}

}  // namespace

class OldRuleBase : public InWorkFolder {
protected:
    void SetUp() override {
        InWorkFolder::SetUp();
        WriteGbk("a.reg", "( 甲 ?乙 )\n{\nf()\n}\n");
        WriteGbk("b.reg", "( x y )\n{\ng()\n}\n");
        ASSERT_TRUE(zel::Reg2Net("a.reg", "a.net_", ""));
        ASSERT_TRUE(zel::Reg2Net("b.reg", "b.net_", ""));
        zel::ClearCompilerMessageLog();
    }
};

TEST_F(OldRuleBase, NamesNetworksSharesRepeatedFilesAndSkipsLines) {
    // A name far longer than any fixed line buffer stays whole.
    const std::string longName(60000, 'L');
    qztest::WriteFile("list.txt",
                      "#NP\n"
                      "Net:a.net_\r\n"
                      "// a comment\n"
                      "\tNet:b.net_\n"
                      "\\Net:b.net_\n"
                      "\n"
                      "something else\n"
                      "#VP\n"
                      "Net:b.net_\n"
                      "#NP2\n"
                      "Net:a.net_\n"
                      "#" + longName + "\n"
                      "Net:b.net_\n");
    ASSERT_TRUE(zel::RuleBaseIdx("list.txt", "old.idx", "old.dat"));
    EXPECT_EQ("", zel::CompilerMessageLog());

    const std::string data = qztest::ReadFile("old.dat");
    const std::string first = ExpectedBody("a.net_", "NP");
    const std::string second = ExpectedBody("b.net_", "VP");
    // One block per word-network file: the repeated ones only add entries.
    const int32_t secondOffset = static_cast<int32_t>(4 + first.size());
    EXPECT_EQ(data.size(), 8 + first.size() + second.size());
    EXPECT_EQ((Entries{{"NP", 0}, {"VP", secondOffset}, {"NP2", 0}, {longName, secondOffset}}),
              ReadOldIndex(qztest::ReadFile("old.idx")));
    EXPECT_EQ(first, BlockAt(data, 0));
    EXPECT_EQ(second, BlockAt(data, secondOffset));
    zel::FsaBlock block;
    ASSERT_TRUE(DecodeBody(BlockAt(data, 0), block));
    EXPECT_EQ("NP", block.name);
}

TEST_F(OldRuleBase, NetworkThatCannotBeReadIsLeftOut) {
    // Five words announced, none there.
    qztest::WriteFile("broken.net_", std::string("\x05\0\0\0", 4));
    qztest::WriteFile("list.txt", "#A\nNet:missing.net_\n#B\nNet:broken.net_\n#C\nNet:b.net_\n");
    ASSERT_TRUE(zel::RuleBaseIdx("list.txt", "old.idx", "old.dat"));
    EXPECT_NE(std::string::npos, zel::CompilerMessageLog().find("Error read missing.net_\n"));
    EXPECT_NE(std::string::npos, zel::CompilerMessageLog().find("Error Idx Rule A\n"));
    EXPECT_NE(std::string::npos, zel::CompilerMessageLog().find("Error Idx Rule B\n"));
    EXPECT_EQ((Entries{{"C", 0}}), ReadOldIndex(qztest::ReadFile("old.idx")));
    EXPECT_EQ(ExpectedBody("b.net_", "C"), BlockAt(qztest::ReadFile("old.dat"), 0));
}

TEST_F(OldRuleBase, FilesThatCannotBeOpenedFail) {
    qztest::WriteFile("list.txt", "#A\nNet:a.net_\n");
    EXPECT_FALSE(zel::RuleBaseIdx("nolist.txt", "old.idx", "old.dat"));
    EXPECT_EQ("Error open nolist.txt\n", zel::CompilerMessageLog());
    zel::ClearCompilerMessageLog();
    EXPECT_FALSE(zel::RuleBaseIdx("list.txt", "no/old.idx", "old.dat"));
    EXPECT_EQ("Error open no/old.idx\n", zel::CompilerMessageLog());
    zel::ClearCompilerMessageLog();
    EXPECT_FALSE(zel::RuleBaseIdx("list.txt", "old.idx", "no/old.dat"));
    EXPECT_EQ("Error open no/old.dat\n", zel::CompilerMessageLog());
}

TEST_F(OldRuleBase, SingleNetworkAppendsBlockAndEntry) {
    FILE* data = fopen("one.dat", "wb");
    FILE* index = fopen("one.idx", "wb");
    ASSERT_TRUE(data && index);
    fputs("xyz", data);  // the block goes where the stream stands
    std::map<std::string, int32_t> offsets;
    EXPECT_TRUE(zel::compiled_net::RuleIdx("R", "b.net_", data, index, offsets));
    EXPECT_FALSE(zel::compiled_net::RuleIdx("S", "none.net_", data, index, offsets));
    fclose(data);
    fclose(index);
    EXPECT_EQ((std::map<std::string, int32_t>{{"b.net_", 3}}), offsets);
    EXPECT_EQ((Entries{{"R", 3}}), ReadOldIndex(qztest::ReadFile("one.idx")));
    EXPECT_EQ(ExpectedBody("b.net_", "R"), BlockAt(qztest::ReadFile("one.dat"), 3));
    EXPECT_NE(std::string::npos, zel::CompilerMessageLog().find("Error read none.net_\n"));
}
