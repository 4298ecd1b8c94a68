// The state-machine converter: tab-separated edges to rule text.
#include <gtest/gtest.h>

#include <string>

#include "compiler_fixture.h"
#include "zel/compiler/conv_pub.h"

using zel::CConvPub;

TEST(FsmLine, FieldsSeparatedByTabs) {
    struct Case {
        const char* line;
        int from;
        int to;
        const char* label;
    } cases[] = {
        {"1\t2\tab\n", 1, 2, "ab"},
        {"1\t2\tab\tignored\n", 1, 2, "ab"},
        {"1\t2\ta b\r\n", 1, 2, "a b"},
        {"4\t5\n", 4, 5, ""},
        {"4\t5\t\n", 4, 5, ""},
        {"3", 3, -1, ""},
        {"x\ty\tl", 0, 0, "l"},
        {"\xB0\xA1\t7\t\xB0\xA1", 0, 7, "\xB0\xA1"},
    };
    for (const Case& c : cases) {
        const zel::CFsmNode node = CConvPub::parseFSMLine(c.line);
        EXPECT_EQ(c.from, node.from) << c.line;
        EXPECT_EQ(c.to, node.to) << c.line;
        EXPECT_EQ(c.label, node.label) << c.line;
    }
}

class FsmConverter : public InWorkFolder {};

TEST_F(FsmConverter, MachinesBecomeRuleText) {
    struct Case {
        const char* name;
        const char* machine;
        const char* rules;
    } cases[] = {
        // Branching at 0; state 1 may stop (unlabelled edge); 3 is final.
        {"branching",
         "0\t1\ta\n0\t2\tb\n1\t3\tc\n1\t3\n2\t3\td\n",
         "subrule_2 ( d ) \n"
         "subrule_1 ?[ ( c ) ]\n"
         ".rule_0 [ ( a subrule_1 ) ( b subrule_2 ) ]\n"},
        // A chain; blank lines are no edges.
        {"chain", "0\t1\tx\n\n1\t2\ty\n", "subrule_1 ( y ) \n.rule_0 ( x subrule_1 ) \n"},
        // A state whose edges are all unlabelled is final.
        {"unlabelled only", "0\t1\tx\n1\t2\n", ".rule_0 ( x ) \n"},
        // Edges keep their file order; states are written in ascending order
        // and their lines in reverse.
        {"order",
         "2\t9\tz\n0\t2\tq\n0\t1\tp\n1\t9\tw\n",
         "subrule_2 ( z ) \nsubrule_1 ( w ) \n.rule_0 [ ( q subrule_2 ) ( p subrule_1 ) ]\n"},
        // Nothing without an edge from state 0.
        {"no start", "1\t2\ta\n", ""},
        {"empty", "", ""},
    };
    for (const Case& c : cases) {
        qztest::WriteFile("m.fsm", c.machine);
        CConvPub conv;
        ASSERT_TRUE(conv.FSM2GrammarFile("m.fsm", "m.rules")) << c.name;
        EXPECT_EQ(c.rules, qztest::ReadFile("m.rules")) << c.name;
    }
}

TEST_F(FsmConverter, FinalStatesAreThoseWithoutLabelledEdges) {
    zel::FsmEdges edges;
    for (const char* line : {"0\t1\ta", "1\t2", "2\t0\tb"}) {
        zel::CFsmNode node = CConvPub::parseFSMLine(line);
        edges.emplace(node.from, node);
    }
    const zel::FsmStatus status = CConvPub::collecFSMtNodeStatus(edges);
    EXPECT_FALSE(CConvPub::isTerminal(status, 0));
    EXPECT_TRUE(CConvPub::isTerminal(status, 1));
    EXPECT_FALSE(CConvPub::isTerminal(status, 2));
    EXPECT_TRUE(CConvPub::isTerminal(status, 42));
}

TEST_F(FsmConverter, MissingFilesFail) {
    CConvPub conv;
    EXPECT_FALSE(conv.FSM2GrammarFile("none.fsm", "m.rules"));
    EXPECT_NE(std::string::npos, zel::CompilerMessageLog().find("Cannot open file none.fsm\n"));
    qztest::WriteFile("m.fsm", "0\t1\ta\n");
    EXPECT_FALSE(conv.FSM2GrammarFile("m.fsm", "no/such/folder/m.rules"));
    EXPECT_NE(std::string::npos, zel::CompilerMessageLog().find("Error:Cannot write file no/such/folder/m.rules\n"));
    EXPECT_EQ((std::set<std::string>{"m.fsm"}), Files());
}
