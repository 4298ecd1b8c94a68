// Loading compiled rule bases into the rule base and finding networks.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/fsa_writer.h"
#include "support/test_support.h"
#include "zel/lattice/error_msg.h"
#include "zel/lattice/lattice.h"
#include "zel/rules/net/rule_base.h"
#include "zel/rules/net/rule_sets.h"

namespace zel {
namespace {

using qztest::Gbk;
using qztest::NetEntry;
using qztest::TwoWordNet;

std::vector<std::string> IndexOf(const CRuleNet& net, const std::string& word) {
    std::vector<std::string> values;
    int n = 0;
    net.entryIndex.GetKVs(word.c_str(), values, n);
    values.resize(static_cast<size_t>(n));
    return values;
}

class RuleBaseLoad : public ::testing::Test {
protected:
    void TearDown() override { GlobalExit(); }
    qztest::TempDir dir;
};

TEST_F(RuleBaseLoad, TwoWordNetwork) {
    NetEntry entry("NP", TwoWordNet("NP", "hits=(hits or 0)+1"));
    entry.defaults = {"Dist=5"};
    entry.libraries = {"Lib"};
    entry.conditions = {"POS=n"};
    qztest::WriteRuleBase(dir.path(), "T", {entry});
    ASSERT_TRUE(GlobalInit_Rule({"T"}, dir.path().c_str(), 10240));
    CRuleNet* net = g_pRuleBase->LookupRuleNet("np");
    ASSERT_NE(net, nullptr);
    EXPECT_EQ(net->name, "NP");
    EXPECT_EQ(net->nodeCount, 5);
    EXPECT_EQ(net->endNode, 4);
    EXPECT_EQ(net->AtomOf(4), "hits=(hits or 0)+1");
    EXPECT_EQ(IndexOf(*net, Gbk("北京")), std::vector<std::string>{"2"});
    EXPECT_EQ(net->nodes[2].prev.starts, std::vector<int32_t>{0});
    EXPECT_EQ(net->nodes[3].prev.words, std::vector<int32_t>{2});
    EXPECT_TRUE(net->nodes[4].prev.words.empty());
    EXPECT_EQ(net->defaults, std::vector<std::string>{"Dist=5"});
    EXPECT_EQ(net->libraries, std::vector<std::string>{"Lib"});
    EXPECT_EQ(net->conditions, std::vector<std::string>{"POS=n"});
    EXPECT_TRUE(net->CheckBIT(Gbk("大学").c_str()));
    EXPECT_EQ(net->GetMaxLen_R(Gbk("北京大学").c_str()), 2);
    EXPECT_EQ(g_pRuleBase->LookupRuleNet("VP"), nullptr);
    ASSERT_EQ(g_pRuleBase->nets.size(), 1u);

    // A second start-up while the base exists loads nothing.
    EXPECT_TRUE(GlobalInit_Rule({"Other"}, dir.path().c_str(), 10240));
    EXPECT_EQ(g_pRuleBase->nets.size(), 1u);
}

TEST_F(RuleBaseLoad, MissingDataFileWarnsAndSucceeds) {
    qztest::WriteRuleBase(dir.path(), "T", {{"NP", TwoWordNet("NP", "a")}});
    std::remove(dir.file("Tfsa.dat").c_str());
    testing::internal::CaptureStdout();
    EXPECT_TRUE(GlobalInit_Rule({"T"}, dir.path().c_str(), 10240));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Warning:Error open " + dir.file("Tfsa.dat") + " or " + dir.file("Tfsa.idx") + "\n");
    EXPECT_EQ(g_pRuleBase->LookupRuleNet("NP"), nullptr);
}

TEST_F(RuleBaseLoad, CountsBelowOneLoadNothing) {
    for (int32_t count : {0, -3}) {
        qztest::WriteFile(dir.file("Tfsa.idx"), std::string(reinterpret_cast<const char*>(&count), 4));
        qztest::WriteFile(dir.file("Tfsa.dat"), "");
        CRuleBase base(10240);
        std::vector<CRuleNet*> loaded;
        EXPECT_TRUE(base.RuleBaseInit(dir.file("Tfsa.idx").c_str(), dir.file("Tfsa.dat").c_str(), 10240, loaded));
        EXPECT_TRUE(loaded.empty());
    }
}

TEST_F(RuleBaseLoad, EntryWithoutBlockIsSkippedAndLaterNameWins) {
    NetEntry skipped("AP", TwoWordNet("AP", "a"));
    skipped.hasBlock = false;
    qztest::WriteRuleBase(dir.path(), "T", {skipped, {"NP", TwoWordNet("first", "a")}, {"NP", TwoWordNet("second", "b")}});
    ASSERT_TRUE(GlobalInit_Rule({"T"}, dir.path().c_str(), 10240));
    EXPECT_EQ(g_pRuleBase->LookupRuleNet("AP"), nullptr);
    ASSERT_NE(g_pRuleBase->LookupRuleNet("NP"), nullptr);
    EXPECT_EQ(g_pRuleBase->LookupRuleNet("NP")->name, "second");
    EXPECT_EQ(g_pRuleBase->nets.size(), 2u);
}

// A damaged block ends the load of its pair with a message; networks read
// before it stay, and the damaged one is not kept.
TEST_F(RuleBaseLoad, DamagedBlockFailsCleanly) {
    qztest::WriteRuleBase(dir.path(), "T", {{"NP", TwoWordNet("NP", "a")}, {"VP", TwoWordNet("VP", "b")}});
    std::string dat = qztest::ReadFile(dir.file("Tfsa.dat"));
    for (size_t keep : {dat.size() - 1, dat.size() - 40, dat.size() / 2 + 3}) {
        qztest::WriteFile(dir.file("Tfsa.dat"), dat.substr(0, keep));
        CRuleBase base(10240);
        std::vector<CRuleNet*> loaded;
        MessageLog()[0] = '\0';
        EXPECT_FALSE(base.RuleBaseInit(dir.file("Tfsa.idx").c_str(), dir.file("Tfsa.dat").c_str(), 10240, loaded));
        EXPECT_NE(std::strstr(MessageLog(), "Error Read Net"), nullptr);
        EXPECT_EQ(base.nets.size(), loaded.size());
        EXPECT_EQ(base.LookupRuleNet("VP"), nullptr);
    }
    std::string idx = qztest::ReadFile(dir.file("Tfsa.idx"));
    qztest::WriteFile(dir.file("Tfsa.dat"), dat);
    qztest::WriteFile(dir.file("Tfsa.idx"), idx.substr(0, idx.size() - 2));
    CRuleBase base(10240);
    std::vector<CRuleNet*> loaded;
    EXPECT_FALSE(base.RuleBaseInit(dir.file("Tfsa.idx").c_str(), dir.file("Tfsa.dat").c_str(), 10240, loaded));
    EXPECT_EQ(loaded.size(), 1u);
}

TEST(RuleNet, ForwardOnlyBodyHasNoPredecessorsOrIndex) {
    qztest::NetSpec spec = TwoWordNet("NP", "a");
    spec.backward = false;
    std::string body = EncodeFsaBody(qztest::BuildFsaBlock(spec));
    CRuleNet net;
    ASSERT_TRUE(net.RuleNetInit_Buf(body.data(), body.size()));
    EXPECT_EQ(net.nodeCount, 5);
    for (const RULE_NODE& node : net.nodes) EXPECT_TRUE(node.prev.starts.empty() && node.prev.words.empty());
    EXPECT_TRUE(IndexOf(net, Gbk("北京")).empty());
    EXPECT_TRUE(net.namedSets.empty());
    EXPECT_TRUE(net.firstCharTable.empty());
}

TEST(RuleNet, BlockNames) {
    EXPECT_EQ(BlockNetName("x/tmp/NP.old"), "NP");
    EXPECT_EQ(BlockNetName("a/tmp/b.old/c.old"), "b");
    EXPECT_EQ(BlockNetName("NP.old"), "NP.old");
}

TEST(RuleNet, SameSetTwiceIndexesBothAndNamesTheLater) {
    FsaBlock block = qztest::BuildFsaBlock(TwoWordNet("NP", "a"));
    block.sets.push_back({Gbk("北京"), {3}});
    std::string body = EncodeFsaBody(block);
    CRuleNet net;
    ASSERT_TRUE(net.RuleNetInit_Buf(body.data(), body.size()));
    EXPECT_EQ(IndexOf(net, Gbk("北京")), (std::vector<std::string>{"2", "3"}));
    EXPECT_EQ(net.namedSets[Gbk("北京")], std::vector<int32_t>{3});
}

TEST(RuleNet, SingleBlockFile) {
    qztest::TempDir dir;
    ASSERT_TRUE(WriteFsaSingleBlock(dir.file("one.net"), qztest::BuildFsaBlock(TwoWordNet("MAIN", "x"))));
    CRuleBase base(64);
    EXPECT_TRUE(base.UpdateRuleNet("main", dir.file("one.net").c_str()));
    ASSERT_NE(base.LookupRuleNet("Main"), nullptr);
    EXPECT_EQ(base.LookupRuleNet("MAIN")->nodeCount, 5);
    MessageLog()[0] = '\0';
    EXPECT_FALSE(base.UpdateRuleNet("none", dir.file("missing.net").c_str()));
    EXPECT_NE(std::strstr(MessageLog(), "Error read "), nullptr);
}

TEST(RuleNet, NameStoredWithLowerCaseCannotBeFound) {
    CRuleBase base(64);
    CRuleNet net;
    base.UpdateRuleNet("np", &net);
    EXPECT_EQ(base.LookupRuleNet("np"), nullptr);
    base.UpdateRuleNet("NP", &net);
    EXPECT_EQ(base.LookupRuleNet("np"), &net);
}

}  // namespace
}  // namespace zel

namespace zel {
namespace {

TEST(RuleSets, NetworksAUnitMayEnter) {
    qztest::TempDir dir;
    NetEntry np("NP", TwoWordNet("NP", "a"));
    np.conditions = {"Type=Word"};
    qztest::NetSpec entrySpec = TwoWordNet("EN", "b");
    entrySpec.nodes[3].text = "Entry=" + Gbk("北京");
    qztest::WriteRuleBase(dir.path(), "T", {np, {"EN", entrySpec}});
    std::vector<std::string> names{"kept"};
    CLattice lattice;
    ASSERT_TRUE(lattice.LatticeBuild(Gbk("北京大学").c_str()));
    std::string id;
    ASSERT_TRUE(lattice.AddNewUnit(1, Gbk("北京").c_str(), kUnitWord, id, -1, false, ""));
    int index = 0;
    CUnit* word = lattice.GetUnit(id.c_str(), index);
    GetRuleSets(word, Gbk("北京").c_str(), names);
    EXPECT_EQ(names, std::vector<std::string>{"kept"});  // no rule base yet
    ASSERT_TRUE(GlobalInit_Rule({"T"}, dir.path().c_str(), 64));
    GetRuleSets(word, Gbk("北京").c_str(), names);
    EXPECT_EQ(names, (std::vector<std::string>{"kept", "NP", "EN"}));
    names.clear();
    UnitId character{1, 1};
    GetRuleSets(lattice.GetUnit(character), Gbk("北京").c_str(), names);
    EXPECT_EQ(names, std::vector<std::string>{"EN"});
    names.clear();
    GetRuleSets(word, Gbk("人").c_str(), names);
    EXPECT_TRUE(names.empty());
    GlobalExit();
}

TEST(RuleSets, SplitEntryInfo) {
    CRuleNet net;
    const std::string body = EncodeFsaBody(qztest::BuildFsaBlock(TwoWordNet("NP", "a")));
    ASSERT_TRUE(net.RuleNetInit_Buf(body.data(), body.size()));
    std::string name = "x", value = "y";
    EXPECT_FALSE(SplitEntryInfo(&net, "no equals", name, value));
    EXPECT_EQ(name + value, "xy");
    EXPECT_FALSE(SplitEntryInfo(&net, "Entry1=[a b]", name, value));
    EXPECT_EQ(name, "Entry1");
    EXPECT_EQ(value, "a b");
    EXPECT_TRUE(SplitEntryInfo(&net, (Gbk("北京") + "=x").c_str(), name, value));
    EXPECT_EQ(value, "x");
    SplitEntryInfo(&net, "E=[]", name, value);
    EXPECT_EQ(value, "");
}

}  // namespace
}  // namespace zel
