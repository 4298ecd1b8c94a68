// What the compiler writes loads through the rule base's own loader and
// matches through the matching engine.
#include <gtest/gtest.h>

#include "compiler_fixture.h"
#include "zel/compiler/net_encoder.h"
#include "zel/compiler/rule_base_compiler.h"
#include "zel/compiler/word_net.h"
#include "zel/lattice/lattice.h"
#include "zel/rules/match/engine.h"
#include "zel/rules/net/rule_base.h"
#include "zel/rules/net/rule_net.h"
#include "zel/rules/ops/operator_table.h"

class RuntimeLoad : public InWorkFolder {};

TEST_F(RuntimeLoad, CompiledListLoadsIntoARuleBase) {
    WriteGbk("demo.txt",
             "FuncLib demolib\n    function F() end\n"
             "FSA np(Dist=10)\nPOS=a 苹果 Entry: [POS=n]\n{\n  AddGridKV(\"NP\", \"x\")\n}\n"
             "@HELLO\n{\n  WebPrint(\"hello\")\n}\n@COPY\n==np\n");
    ASSERT_TRUE(zel::RuleIdx2("demo.txt", "out"));
    zel::CRuleBase base(10240);
    std::vector<zel::CRuleNet*> loaded;
    ASSERT_TRUE(base.RuleBaseInit("out/demofsa.idx", "out/demofsa.dat", 10240, loaded));
    EXPECT_EQ(3u, loaded.size());

    const zel::CRuleNet* np = base.LookupRuleNet("np");
    ASSERT_NE(nullptr, np);
    EXPECT_EQ((std::vector<std::string>{"demolib"}), np->libraries);
    EXPECT_EQ((std::vector<std::string>{"Dist=10"}), np->defaults);
    EXPECT_EQ((std::vector<std::string>{"Entry0=[POS=n]"}), np->conditions);
    // Start, end, POS=a, 苹果, Entry0 and the action.
    EXPECT_EQ(6, np->nodeCount);
    EXPECT_TRUE(np->CheckBIT(qztest::Gbk("苹果").c_str()));
    EXPECT_FALSE(np->namedSets.at(qztest::Gbk("苹果")).empty());
    EXPECT_EQ("AddGridKV(\\&NP\\&, \\&x\\&)\\@", np->AtomOf(5));
    EXPECT_EQ((std::vector<int32_t>{1}), np->nodes[5].next.others);

    const zel::CRuleNet* hello = base.LookupRuleNet("HELLO");
    ASSERT_NE(nullptr, hello);
    EXPECT_EQ(3, hello->nodeCount);
    EXPECT_EQ(1u, hello->atoms.size());
    ASSERT_EQ(1u, hello->nodes[0].next.others.size());
    EXPECT_EQ("WebPrint(\\&hello\\&)\\@", hello->AtomOf(hello->nodes[0].next.others[0]));

    const zel::CRuleNet* copy = base.LookupRuleNet("copy");
    ASSERT_NE(nullptr, copy);
    EXPECT_EQ(np->nodeCount, copy->nodeCount);

    // The library the networks name is in the operator library file.
    zel::COperatorTable library;
    ASSERT_TRUE(library.ReadOneLib("out/demofsa.sub"));
    ASSERT_NE(nullptr, library.LibraryBody("demolib"));
    EXPECT_EQ("    function F() end\n", *library.LibraryBody("demolib"));
}

TEST_F(RuntimeLoad, SingleBlockFileLoads) {
    WriteGbk("r.reg", "( a ?b )\n{\nx\n}\n");
    ASSERT_TRUE(zel::Reg2Net("r.reg", "r.net_", ""));
    ASSERT_TRUE(zel::compiled_net::RuleIdx("r.net_", "r.blk", "r.dump"));
    zel::CRuleNet net;
    ASSERT_TRUE(net.RuleInit("r.blk"));
    EXPECT_EQ("r.net_", net.name);
    EXPECT_EQ(5, net.nodeCount);
    EXPECT_EQ(4, net.endNode);
    EXPECT_TRUE(net.CheckBIT("a"));
    EXPECT_NE(std::string::npos, qztest::ReadFile("r.dump").find("<2>\tWORD\ta\t2\nNEXT:Word:3\tATT:RET:4\tCW:\n"));
}

// A compiled pattern network matches a real sentence through the matching
// engine, which hands over the rule's action.
TEST_F(RuntimeLoad, CompiledNetworkMatchesASentence) {
    WriteGbk("np.txt", "FSA NP\n北京 大学\n{\nAddGridKV(\"NP\", \"x\")\n}\n");
    ASSERT_TRUE(zel::RuleIdx2("np.txt", "out"));
    zel::CRuleBase base(10240);
    std::vector<zel::CRuleNet*> loaded;
    ASSERT_TRUE(base.RuleBaseInit("out/npfsa.idx", "out/npfsa.dat", 10240, loaded));
    zel::CRuleNet* net = base.LookupRuleNet("NP");
    ASSERT_NE(nullptr, net);

    zel::CLattice lattice;
    ASSERT_TRUE(lattice.LatticeBuild(qztest::Gbk("北京大学。").c_str()));
    std::string anchor;
    ASSERT_TRUE(lattice.AddNewUnit(1, lattice.GetStr(0, 1).c_str(), zel::kUnitWord, anchor, -1, false, ""));
    const int entryNode = net->namedSets.at(qztest::Gbk("北京")).front();

    std::vector<std::string> actions;
    std::vector<int> pathLengths;
    net->SetRuleParam(&lattice, "");
    const bool matched = zel::FSA_Match_Enter(lattice, anchor.c_str(), *net, entryNode, 0, lattice.columnCount - 1,
                                              lattice.columnCount, [&](zel::CLattice& l, const std::string& action) {
                                                  actions.push_back(action);
                                                  pathLengths.push_back(l.pathLength);
                                              });
    net->ClearParam(&lattice);
    EXPECT_TRUE(matched);
    ASSERT_EQ(1u, actions.size());
    EXPECT_NE(std::string::npos, actions[0].find("AddGridKV")) << actions[0];
    EXPECT_EQ(2, pathLengths[0]);
}
