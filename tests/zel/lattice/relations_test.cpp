#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "zel/lattice/lattice.h"
#include "zel/lattice/unit_values.h"

namespace zel {
namespace {

class Relations : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(lattice.LatticeBuild("ABCDEF"));
        lattice.AddNewUnit(1, "\xA3\xC1\xA3\xC2", kUnitWord, head, -1, false, "");
        lattice.AddNewUnit(3, "\xA3\xC3\xA3\xC4", kUnitWord, dependent, -1, false, "");
    }
    CUnit& Unit(const std::string& id) { return *lattice.GetLatticeUnit(id.c_str()); }

    CLattice lattice;
    std::string head, dependent;
};

TEST_F(Relations, UnitEntriesNameTheOtherEnd) {
    Unit(head).InsertRelationInfo(dependent.c_str(), "JSON", "", "SBV", true);
    Unit(dependent).InsertRelationInfo(head.c_str(), "JSON", "", "SBV", false);
    for (const char* key : {"USub", "USubJSON", "USub-SBV", "USubJSON-SBV"})
        EXPECT_EQ(Values(Unit(head), key), std::vector<std::string>{dependent}) << key;
    for (const char* key : {"RSub", "RSubJSON"}) EXPECT_EQ(Values(Unit(head), key), std::vector<std::string>{"SBV"});
    for (const char* key : {"UHead", "UHeadJSON", "UHead-SBV", "UHeadJSON-SBV"})
        EXPECT_EQ(Values(Unit(dependent), key), std::vector<std::string>{head}) << key;
    EXPECT_EQ(Values(Unit(dependent), head), std::vector<std::string>{"SBV"});
    EXPECT_EQ(Values(Unit(dependent), "RHeadJSON"), std::vector<std::string>{"SBV"});
    EXPECT_TRUE(lattice.keyValues->IsKV2Unit("USub", "*", head.c_str()));
    EXPECT_TRUE(Values(Unit(head), "UHead").empty());

    // A link to itself writes nothing.
    Unit(head).InsertRelationInfo(head.c_str(), "JSON", "", "X", true);
    EXPECT_EQ(Values(Unit(head), "RSub").size(), 1u);
}

TEST_F(Relations, RecordsCarryTextScoreAndFeatures) {
    EXPECT_EQ(RelationKey("(3,1)", "(5,2)", "SBV"), "(3,1)(5,2)SBV");
    const char* h = head.c_str();
    const char* d = dependent.c_str();
    EXPECT_EQ(lattice.GetRelationKVStr(h, d, "SBV"), nullptr);
    ASSERT_TRUE(lattice.AddRelation(h, d, "SBV"));
    EXPECT_STREQ(lattice.GetRelationKVStr(h, d, "SBV"), "");
    lattice.AddRelationKV(h, d, "VOB", "Dist", "2");
    lattice.AddRelationKV(h, d, "VOB", "Dist=2 near Mood=[a b]", "");
    EXPECT_STREQ(lattice.GetRelationKVStr(h, d, "VOB"), "Dist=2 Tag=near Mood=[a b]");
    EXPECT_TRUE(lattice.keyValues->find("Tag=near@", RelationKey(h, d, "VOB").c_str()));

    lattice.AddRelationScore(h, d, "SBV", 2);
    lattice.AddRelationScore(h, d, "SBV", 3);
    lattice.AddRelation(h, d, "SBV");
    EXPECT_FLOAT_EQ(lattice.GetRelationScore(h, d, "SBV"), 5);
    EXPECT_FLOAT_EQ(lattice.GetRelationScore(h, d, "VOB"), 0);
    EXPECT_FLOAT_EQ(lattice.GetRelationScore(h, d, "ATT"), 0);

    lattice.AddRoleFeature2Score(h, d, "SBV", "f1", 4);
    lattice.AddRoleFeature2Score(h, d, "SBV", "f2", 1);
    lattice.AddRoleFeature2Score(h, d, "SBV", "f1", 9);
    std::vector<std::pair<std::string, int>> features;
    int n = 0;
    lattice.GetFeature2Score(h, d, "SBV", features, n);
    ASSERT_EQ(n, 2);
    EXPECT_EQ(features[0], (std::pair<std::string, int>{"f1", 4}));
    EXPECT_EQ(features[1], (std::pair<std::string, int>{"f2", 1}));
    // Features beside the record do not hide it.
    EXPECT_FLOAT_EQ(lattice.GetRelationScore(h, d, "SBV"), 5);
}

TEST_F(Relations, BestArgumentHasTheHighestScore) {
    std::string other;
    lattice.AddNewUnit(5, "\xA3\xC5\xA3\xC6", kUnitWord, other, -1, false, "");
    Unit(head).Insert2UnitKV("Agent", (dependent + " " + other).c_str());
    Unit(head).Insert2UnitKV("Theme", other.c_str());
    Unit(head).Insert2UnitKV("CollRole", "Agent Theme Goal");
    const char* h = head.c_str();
    EXPECT_EQ(lattice.GetBestArg(h, "Agent"), dependent);  // equal scores: the first
    lattice.AddRelationScore(h, other.c_str(), "Agent", 3);
    EXPECT_EQ(lattice.GetBestArg(h, "Agent"), other);
    lattice.AddRelationScore(h, other.c_str(), "Theme", -10);
    EXPECT_EQ(lattice.GetBestArg(h, "Theme"), "");
    EXPECT_EQ(lattice.GetBestArg(h, "Goal"), "");

    std::vector<std::string> roles{"kept"}, args{"kept"};
    lattice.GetBestArg(h, roles, args);
    EXPECT_EQ(roles, (std::vector<std::string>{"kept", "Agent"}));
    EXPECT_EQ(args, (std::vector<std::string>{"kept", other}));
}

TEST(RelationKeys, SplitAtTheFirstTwoClosingParentheses) {
    struct Case {
        const char* key;
        const char* head;
        const char* dependent;
        const char* name;
    } cases[] = {
        {"(3,1)(5,2)SBV", "(3,1)", "(5,2)", "SBV"},
        {"(3,1)(5,2)a)b", "(3,1)", "(5,2)", "a)b"},
        {"", "", "", ""},
    };
    for (const Case& c : cases) {
        std::string head = "x", dependent = "x", name = "x";
        SplitRelation(c.key, head, dependent, name);
        EXPECT_EQ(head, c.head);
        EXPECT_EQ(dependent, c.dependent);
        EXPECT_EQ(name, c.name);
    }
}

}  // namespace
}  // namespace zel
