#include "zel/lattice/json_input.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_support.h"
#include "zel/lattice/lattice.h"
#include "zel/lattice/unit_values.h"

namespace zel {
namespace {

using qztest::Gbk;

class JsonInput : public ::testing::Test {
protected:
    // The JSON text reaches the library in GBK.
    bool Input(const char* utf8) { return InputJson(&lattice, Gbk(utf8).c_str(), "JSON", from, to); }
    CUnit* Unit(const char* id) { return lattice.GetLatticeUnit(id); }

    CLattice lattice;
    int from = -1, to = -1;
};

TEST_F(JsonInput, UnitsWithTags) {
    ASSERT_TRUE(Input(R"({"Units":["中国","发展"],"POS":["ns","名词"]})"));
    EXPECT_EQ(lattice.normSentence, Gbk("中国发展"));
    EXPECT_EQ(from, 0);
    EXPECT_EQ(to, 3);
    ASSERT_NE(Unit("(1,2)"), nullptr);
    ASSERT_NE(Unit("(3,2)"), nullptr);
    EXPECT_EQ(Unit("(1,2)")->Word, Gbk("中国"));
    EXPECT_EQ(Values(*Unit("(1,2)"), "POS"), std::vector<std::string>{"ns"});
    EXPECT_EQ(Values(*Unit("(3,2)"), "POS"), std::vector<std::string>{Gbk("名词")});

    CLattice fresh;
    ASSERT_TRUE(InputJson(&fresh, Gbk(R"({"Units":["中国","发展"],"POS":["ns"]})").c_str(), "JSON", from, to));
    EXPECT_TRUE(Values(*fresh.GetLatticeUnit("(1,2)"), "POS").empty());
}

TEST_F(JsonInput, DependencyGroupsRecordRelations) {
    ASSERT_TRUE(Input(R"({"Units":["中国","发展"],"Deps":[{"Head":1,"Dep":[{"Key":"SBV VOB","Value":0}]}]})"));
    CUnit& head = *Unit("(3,2)");
    CUnit& dependent = *Unit("(1,2)");
    EXPECT_EQ(Values(head, "GroupID"), std::vector<std::string>{"1"});
    EXPECT_EQ(Values(dependent, "GroupID"), std::vector<std::string>{"1"});
    EXPECT_EQ(Values(head, "USubDep"), std::vector<std::string>{"(1,2)"});
    EXPECT_EQ(Values(head, "RSubDep"), (std::vector<std::string>{"SBV", "VOB"}));
    EXPECT_EQ(Values(dependent, "UHeadDep-VOB"), std::vector<std::string>{"(3,2)"});
    EXPECT_STREQ(lattice.GetRelationKVStr("(3,2)", "(1,2)", "SBV VOB"), "");
    std::vector<std::string> values;
    int n = 0;
    lattice.keyValues->GetKVs("RRoot", values, n);
    EXPECT_EQ(std::vector<std::string>(values.begin(), values.begin() + n), (std::vector<std::string>{"SBV", "VOB"}));
    EXPECT_TRUE(lattice.keyValues->find("URootDep", "(3,2)"));
    EXPECT_TRUE(lattice.keyValues->find("RRootDep", "VOB"));

    // Roles in GBK, places outside the units skipped, source tag from "ST".
    ASSERT_TRUE(Input(R"({"ST":"人工","Units":["中国","发展"],"Groups":[{"HeadID":0,"Group":[{"Role":"主语","SubID":1},{"Role":"x","SubID":7}]},{"HeadID":9}]})"));
    EXPECT_EQ(Values(*Unit("(1,2)"), Gbk("USub人工-主语")), std::vector<std::string>{"(3,2)"});
    EXPECT_EQ(lattice.groupCounter, 2);
}

TEST_F(JsonInput, SentenceInsideTheLatticeIsAnnotatedInPlace) {
    ASSERT_TRUE(lattice.LatticeBuild(Gbk("我爱中国发展").c_str()));
    std::string kept;
    lattice.AddNewUnit(1, Gbk("我爱").c_str(), kUnitWord, kept, -1, false, "");
    ASSERT_TRUE(Input(R"({"Units":["中国","发展"]})"));
    EXPECT_EQ(from, 2);
    EXPECT_EQ(to, 5);
    EXPECT_NE(Unit(kept.c_str()), nullptr);
    EXPECT_EQ(Unit("(3,2)")->Word, Gbk("中国"));
    EXPECT_EQ(Unit("(5,2)")->From, 4);

    // Bytes that match only across character boundaries are no match.
    CLattice shifted;
    ASSERT_TRUE(shifted.LatticeBuild("\xB0\xA1\xB0\xA1"));  // the match of "\xA1\xB0" is at an odd byte
    ASSERT_TRUE(InputJson(&shifted, "{\"Word\":[\"\xA1\xB0\"]}", "JSON", from, to));
    EXPECT_EQ(shifted.normSentence, "\xA1\xB0");
    EXPECT_EQ(from, 0);
}

TEST_F(JsonInput, ChunksAndSentenceKinds) {
    ASSERT_TRUE(Input(R"({"Chunk":["a/n b/v","cd"]})"));
    CUnit& chunk = *Unit("(1,2)");
    EXPECT_EQ(chunk.UnitType, kUnitChunk);
    EXPECT_EQ(chunk.Word, Gbk("ａｂ"));
    EXPECT_EQ(Values(*Unit("(0,2)"), "POS"), std::vector<std::string>{"n"});
    EXPECT_EQ(Values(*Unit("(1,3)"), "POS"), std::vector<std::string>{"v"});
    EXPECT_EQ(lattice.columns[3].unitCount, 3);  // the single token is the chunk alone

    ASSERT_TRUE(Input(R"({"Type":"Sent","Units":["甲乙"]})"));
    EXPECT_EQ(lattice.normSentence, Gbk("甲乙"));
    EXPECT_EQ(lattice.columns[1].unitCount, 2);

    // Word input takes each string whole in both passes.
    ASSERT_TRUE(Input(R"({"Word":["a/b"]})"));
    EXPECT_EQ(to, 2);
    EXPECT_EQ(Unit("(2,2)")->Word, Gbk("ａ／ｂ"));
}

TEST_F(JsonInput, FallsBackToAPlainBuild) {
    for (const char* text : {"plain text", "{not json", "{\"Other\":1}"}) {
        from = to = -7;
        EXPECT_FALSE(Input(text)) << text;
        EXPECT_TRUE(InputData(&lattice, Gbk(text).c_str(), from, to));
        EXPECT_EQ(from, -7);
        EXPECT_GT(lattice.columnCount, 0) << text;
    }
    EXPECT_EQ(lattice.normSentence.substr(0, 4), Gbk("｛＂"));
}

TEST_F(JsonInput, LargeTextIsConvertedWhole) {
    std::string json = "{\"Units\":[";
    for (int i = 0; i < 8000; ++i) json += (i ? ",\"" : "\"") + std::string("中国") + "\"";
    json += "]}";
    ASSERT_GT(Gbk(json.c_str()).size(), 40u * 1024);
    ASSERT_TRUE(Input(json.c_str()));
    EXPECT_EQ(lattice.columnCount, 16000);
    EXPECT_EQ(to, 15999);
    EXPECT_EQ(Unit("(15999,2)")->Word, Gbk("中国"));
}

TEST(SplitInput, WordsAndTags) {
    struct Case {
        const char* text;
        std::vector<std::string> words, tags;
    } cases[] = {
        {"a/n  b/v", {"a", "b"}, {"n", "v"}},
        {"a/b/c d/e/f", {"a", "d/e"}, {"b/c", "f"}},
        {"(x y)/np z", {"(x y)", "z"}, {"np", ""}},
        {"w/(NN) /", {"w", "/"}, {"NN", ""}},
        {"", {}, {}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> words{"stale"}, tags;
        std::string out;
        SplitInput(c.text, words, tags, out, 100);
        EXPECT_EQ(words, c.words) << c.text;
        EXPECT_EQ(tags, c.tags) << c.text;
    }
    std::vector<std::string> words, tags;
    std::string out;
    SplitInput("ab cd ef", words, tags, out, 5);
    EXPECT_EQ(out, "abcd");
}

}  // namespace
}  // namespace zel
