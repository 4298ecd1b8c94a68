// The further compiler tools as a host calls them, through
// include/zellib_compiler.h.
#include <gtest/gtest.h>


#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "include/zellib_compiler.h"
#include "support/test_support.h"
#include "zel/compiler/word_net.h"
#include "zel/lattice/error_msg.h"

namespace {

// The compiler writes intermediate files beside its inputs and in the working
// folder: every test works in a fresh folder of its own.
class CompilerToolExports : public ::testing::Test {
protected:
    void SetUp() override {
        working_ = std::make_unique<qztest::WorkingFolder>(dir_.path());
        ASSERT_TRUE(working_->entered());
    }
    void TearDown() override { working_.reset(); }

    static bool Logged(const std::string& text) { return strstr(zel::MessageLog(), text.c_str()) != nullptr; }

    qztest::TempDir dir_;
    std::unique_ptr<qztest::WorkingFolder> working_;
};

std::string Le32(int32_t value) {
    std::string out(4, '\0');
    memcpy(&out[0], &value, 4);
    return out;
}

// An entry of the older index: i32 name length, name, i32 offset.
std::string OldEntry(const std::string& name, int32_t offset) {
    return Le32(static_cast<int32_t>(name.size())) + name + Le32(offset);
}

// 512 blank-filled bytes of text, then the count.
std::string NetHeader(int32_t count) { return std::string(512, ' ') + Le32(count); }

std::string NodeRecord(uint32_t type, uint32_t word, uint32_t third, std::initializer_list<uint32_t> next) {
    std::string out = Le32(type) + Le32(word) + Le32(third) + Le32(static_cast<int32_t>(next.size()));
    for (uint32_t n : next) out += Le32(n);
    for (size_t i = 0; i < next.size(); ++i) out += Le32(0);
    return out;
}

}  // namespace

TEST_F(CompilerToolExports, OldRuleBaseCompilesEachNetworkFileOnce) {
    qztest::WriteFile("a.reg", qztest::Gbk("( 甲 ?乙 )\n{\nf()\n}\n"));
    ASSERT_TRUE(zel::Reg2Net("a.reg", "a.net_", ""));
    qztest::WriteFile("list.txt", "#NP\nNet:a.net_\r\n// comment\n#NP2\nNet:a.net_\n#BAD\nNet:missing.net_\n");
    ASSERT_TRUE(CRuleBase::RuleBaseIdx("list.txt", "old.idx", "old.dat"));
    // The file named twice is one block under two names; the missing one is
    // reported and left out.
    EXPECT_EQ(OldEntry("NP", 0) + OldEntry("NP2", 0), qztest::ReadFile("old.idx"));
    const std::string data = qztest::ReadFile("old.dat");
    ASSERT_GT(data.size(), 4u);
    EXPECT_EQ(Le32(static_cast<int32_t>(data.size() - 4)), data.substr(0, 4));
    EXPECT_TRUE(Logged("Error read missing.net_"));
    EXPECT_TRUE(Logged("Error Idx Rule BAD"));

    // One network appended after bytes already in the data stream: the same
    // block, its entry at that offset, and the offset recorded under its path.
    FILE* dataFile = fopen("one.dat", "wb");
    FILE* indexFile = fopen("one.idx", "wb");
    ASSERT_TRUE(dataFile && indexFile);
    fputs("xyz", dataFile);
    std::map<std::string, int> offsets;
    EXPECT_TRUE(CRuleNet::RuleIdx("NP", "a.net_", dataFile, indexFile, offsets));
    EXPECT_FALSE(CRuleNet::RuleIdx("NP", "missing.net_", dataFile, indexFile, offsets));
    fclose(dataFile);
    fclose(indexFile);
    EXPECT_EQ((std::map<std::string, int>{{"a.net_", 3}}), offsets);
    EXPECT_EQ("xyz" + data, qztest::ReadFile("one.dat"));
    EXPECT_EQ(OldEntry("NP", 3), qztest::ReadFile("one.idx"));
}

TEST_F(CompilerToolExports, OldRuleBaseRefusesMissingFilesAndNullArguments) {
    EXPECT_FALSE(CRuleBase::RuleBaseIdx("none.txt", "old.idx", "old.dat"));
    EXPECT_TRUE(Logged("Error open none.txt"));
    qztest::WriteFile("list.txt", "#NP\n");
    EXPECT_FALSE(CRuleBase::RuleBaseIdx("list.txt", "no/such/folder/old.idx", "old.dat"));
    EXPECT_FALSE(CRuleBase::RuleBaseIdx(nullptr, "old.idx", "old.dat"));
    EXPECT_FALSE(CRuleBase::RuleBaseIdx("list.txt", nullptr, "old.dat"));
    EXPECT_FALSE(CRuleBase::RuleBaseIdx("list.txt", "old.idx", nullptr));
    std::map<std::string, int> offsets;
    EXPECT_FALSE(CRuleNet::RuleIdx("NP", "a.net_", nullptr, nullptr, offsets));
    EXPECT_TRUE(offsets.empty());
}

TEST_F(CompilerToolExports, PhraseOptimiserGivesAPairSharedByTwoRulesOneName) {
    qztest::WriteFile("g.reg", ".one ( a b c )\n.two ( x a b )\n");
    ASSERT_TRUE(CConvPub::makeSubRuleZEL("g.reg", "g.out", 2, 100));
    EXPECT_EQ("optsub_1 ( a b )\n.one ( optsub_1 c ) \n.two ( x optsub_1 ) \n", qztest::ReadFile("g.out"));

    // Counts are added to what the map holds.
    std::map<std::string, int> counts{{"a", 10}};
    ASSERT_TRUE(CConvPub::genFreqHash("g.reg", counts));
    EXPECT_EQ(12, counts["a"]);
    EXPECT_EQ(2, counts["a b"]);
    EXPECT_EQ(1, counts["x"]);

    qztest::WriteFile("r.reg", "c a\n{\nf()\n}\nsub NP\n(\na b\n)\n");
    ASSERT_TRUE(CConvPub::outputAllWords("r.reg", "words.txt"));
    EXPECT_EQ("a\nb\nc\n", qztest::ReadFile("words.txt"));
}

TEST_F(CompilerToolExports, StateMachineBecomesRuleText) {
    qztest::WriteFile("m.fsm", "0\t1\ta\n0\t2\tb\n1\t3\tc\n1\t3\n2\t3\td\n");
    ASSERT_TRUE(CConvPub::FSM2GrammarFile("m.fsm", "m.rules"));
    EXPECT_EQ("subrule_2 ( d ) \nsubrule_1 ?[ ( c ) ]\n.rule_0 [ ( a subrule_1 ) ( b subrule_2 ) ]\n",
              qztest::ReadFile("m.rules"));
}

TEST_F(CompilerToolExports, ToolsRefuseMissingFilesAndNullPaths) {
    std::map<std::string, int> counts;
    EXPECT_FALSE(CConvPub::genFreqHash("none.reg", counts));
    EXPECT_TRUE(Logged("Error:Cannot open file none.reg"));
    EXPECT_FALSE(CConvPub::makeSubRuleZEL("none.reg", "g.out", 2, 1));
    EXPECT_FALSE(CConvPub::FSM2GrammarFile("none.fsm", "m.rules"));
    EXPECT_TRUE(Logged("Cannot open file none.fsm"));
    qztest::WriteFile("g.reg", ".one ( a b c )\n");
    EXPECT_FALSE(CConvPub::outputAllWords("g.reg", "no/such/folder/words.txt"));
    EXPECT_FALSE(CConvPub::genFreqHash(nullptr, counts));
    EXPECT_FALSE(CConvPub::makeSubRuleZEL("g.reg", nullptr, 2, 1));
    EXPECT_FALSE(CConvPub::outputAllWords(nullptr, "words.txt"));
    EXPECT_FALSE(CConvPub::FSM2GrammarFile("m.fsm", nullptr));
    EXPECT_TRUE(counts.empty());
}

TEST_F(CompilerToolExports, NetworkFilePairReadWrittenAndFreed) {
    // Enter -> 甲 -> _SILENCE -> Exit; the word node's third field is carried
    // through as a signed number.
    const std::string word = qztest::Gbk("甲");
    qztest::WriteFile("n.net", NetHeader(4) + NodeRecord(0, 0xFFFFFFFFu, 0, {2}) +
                                   NodeRecord(1, 0xFFFFFFFFu, 0, {}) + NodeRecord(3, 0, 5, {3}) +
                                   NodeRecord(3, 1, 0xFFFFFFFFu, {1}));
    qztest::WriteFile("n.words", NetHeader(2) + std::string(1, static_cast<char>(word.size())) + word + "\x08" +
                                     "_SILENCE");
    zel::NetWordlist* network = nullptr;
    ASSERT_TRUE(CXML2WordNet::ReadNetWordlist("n.net", "n.words", network));
    ASSERT_NE(nullptr, network);

    const std::string listing = "===========================\nOutput Compressed Net\n"
                                "(0)\tEnter\t0\t2(" + word + ") \n"
                                "(1)\tExit\t0\t\n"
                                "(2)\t" + word + "\t5\t3(sil) \n"
                                "(3)\tsil\t-1\t1(_EXIT) \n";
    ASSERT_TRUE(CXML2WordNet::WriteNetWordlist(network, "n.txt", false));
    EXPECT_EQ(listing, qztest::ReadFile("n.txt"));
    ASSERT_TRUE(CXML2WordNet::WriteNetWordlist(network, "n.txt", true));
    EXPECT_EQ(listing + listing, qztest::ReadFile("n.txt"));
    // Appending needs the file; null records and paths are refused.
    EXPECT_FALSE(CXML2WordNet::WriteNetWordlist(network, "absent.txt", true));
    EXPECT_FALSE(CXML2WordNet::WriteNetWordlist(network, nullptr, false));
    EXPECT_FALSE(CXML2WordNet::WriteNetWordlist(nullptr, "n.txt", false));
    CXML2WordNet::FreeNetWordlist(network);
    CXML2WordNet::FreeNetWordlist(nullptr);
}

TEST_F(CompilerToolExports, DamagedOrMissingNetworkFilesGiveNoRecord) {
    const std::string words = NetHeader(1) + "\x01" "a";
    struct Case {
        const char* name;
        std::string nodes;
    } cases[] = {
        {"successor past the nodes", NetHeader(2) + NodeRecord(0, 0xFFFFFFFFu, 0, {2}) + NodeRecord(1, 0, 0, {})},
        {"word past the word list", NetHeader(1) + NodeRecord(3, 1, 0, {})},
        {"count past the file", NetHeader(1000)},
        {"header cut short", std::string(100, ' ')},
    };
    qztest::WriteFile("n.words", words);
    for (const Case& c : cases) {
        qztest::WriteFile("n.net", c.nodes);
        // Whatever the pointer held before, a failed read leaves it null.
        int sentinel = 0;
        zel::NetWordlist* network = reinterpret_cast<zel::NetWordlist*>(&sentinel);
        EXPECT_FALSE(CXML2WordNet::ReadNetWordlist("n.net", "n.words", network)) << c.name;
        EXPECT_EQ(nullptr, network) << c.name;
    }
    zel::NetWordlist* network = nullptr;
    EXPECT_FALSE(CXML2WordNet::ReadNetWordlist("none.net", "n.words", network));
    EXPECT_FALSE(CXML2WordNet::ReadNetWordlist(nullptr, "n.words", network));
    EXPECT_EQ(nullptr, network);
}

TEST(CompilerToolExportsDebugInfo, PrintsTheTextAsALine) {
    testing::internal::CaptureStdout();
    DebugInfo("a line");
    DebugInfo(nullptr);
    fflush(stdout);
    EXPECT_EQ("a line\n\n", testing::internal::GetCapturedStdout());
}
