#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "zel/lattice/lattice.h"

namespace zel {
namespace {

using Collected = std::map<std::string, std::vector<std::string>>;

// Ten columns; nouns at (1,2) (3,2) (5,2) (7,2) (9,2), the word x at (3,2)
// and (7,2).
class UnitSearch : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(lattice.LatticeBuild("ABCDEFGHIJ"));
        std::string id;
        for (int end : {1, 3, 5, 7, 9}) {
            lattice.AddNewUnit(end, "\xA3\xD8\xA3\xD8", kUnitWord, id, -1, false, "POS=n");
            nouns.push_back(id);
        }
        lattice.GetLatticeUnit("(3,2)")->Insert2UnitKV("Word", "x");
        lattice.GetLatticeUnit("(7,2)")->Insert2UnitKV("Word", "x");
    }
    std::vector<std::string> Ids(int n) const { return {ids.begin(), ids.begin() + n}; }

    CLattice lattice;
    std::vector<std::string> nouns, ids{"stale"};
};

TEST_F(UnitSearch, IndexAnswersConditions) {
    int n = -1;
    EXPECT_EQ(lattice.CheckUnitByKV(0, 9, "POS=n|POS=v", ids, n), 0);
    EXPECT_EQ(lattice.CheckUnitByKV(0, 9, "|", ids, n), 0);
    EXPECT_EQ(n, -1);
    EXPECT_EQ(lattice.CheckUnitByKV(0, 9, "POS=n", ids, n), 1);
    EXPECT_EQ(Ids(n), nouns);
    EXPECT_EQ(lattice.CheckUnitByKV(2, 7, "POS=n", ids, n), 1);
    EXPECT_EQ(Ids(n), (std::vector<std::string>{"(3,2)", "(5,2)", "(7,2)"}));
    EXPECT_EQ(lattice.CheckUnitByKV(0, 9, "POS=n&Word=x", ids, n), 2);
    EXPECT_EQ(Ids(n), (std::vector<std::string>{"(3,2)", "(7,2)"}));
    EXPECT_EQ(lattice.CheckUnitByKV(0, 9, "POS=v", ids, n), 0);
}

TEST_F(UnitSearch, PartsAreSearchedInTurn) {
    int n = 0;
    lattice.GetUnitByKV(2, 5, "POS=n POS=n", ids, n);
    EXPECT_EQ(Ids(n), (std::vector<std::string>{"(3,2)", "(5,2)", "(3,2)", "(5,2)"}));
    lattice.GetUnitByKV(0, 9, "POS=n&Word=x", ids, n);
    EXPECT_EQ(Ids(n), (std::vector<std::string>{"(3,2)", "(7,2)"}));
    // No index key answers a '|' part: every unit is tested, whatever the range.
    lattice.GetUnitByKV(0, 1, "Word=x|Tag=none", ids, n);
    EXPECT_EQ(Ids(n), (std::vector<std::string>{"(3,2)", "(7,2)"}));
    lattice.GetUnitByKV(0, 9, "", ids, n);
    EXPECT_EQ(n, 0);
}

TEST_F(UnitSearch, CollectedAttributes) {
    CUnit& unit = *lattice.GetLatticeUnit("(3,2)");
    Collected out{{"stale", {}}};
    unit.CollectKVInfoEx(out);
    EXPECT_EQ(out["Word"], std::vector<std::string>{"x"});  // the table's Word replaces the field
    EXPECT_EQ(out["POS"], std::vector<std::string>{"n"});
    EXPECT_EQ(out["From"], std::vector<std::string>{"2"});
    EXPECT_EQ(out["UnitNo"], std::vector<std::string>{"(3,2)"});
    EXPECT_EQ(out.count("stale"), 0u);
    EXPECT_EQ(out.count("ChunkID"), 0u);

    lattice.columns[4].units[0].CollectKVInfoEx(out);
    for (const auto& entry : out) EXPECT_TRUE(entry.first == "HeadWord" || entry.first == "Word" || entry.first == "UnitNo");

    CKVTable table;
    table.Insert2KV("A", "x y");
    table.Insert2KV("B", "z");
    table.CollectKVInfoEx(out);
    EXPECT_EQ(out, (Collected{{"A", {"x", "y"}}, {"B", {"z"}}}));
}

TEST_F(UnitSearch, NodeRangesAndRecords) {
    lattice.matchPath = {{"c", 5, 1, 4}, {"b", 3, 1, 3}, {"a", 1, 1, 1}};
    lattice.pathLength = 3;
    struct Case {
        const char* reference;
        bool ok;
        int from, to;
    } cases[] = {{"-1", true, 2, 2}, {"1", true, 1, 1}, {"99", true, 0, 2}, {"$3", true, 1, 2}, {"$8", false, 0, 0}};
    for (const Case& c : cases) {
        int from = -5, to = -5;
        EXPECT_EQ(lattice.GetNodeNo(c.reference, from, to), c.ok) << c.reference;
        if (c.ok) {
            EXPECT_EQ(from, c.from) << c.reference;
            EXPECT_EQ(to, c.to) << c.reference;
        }
    }

    const char record[] = "\x04\0\0\0\x07\0\0\0\xFE\xFF\xFF\xFF" "abc";
    CMatchNodeEx node;
    ASSERT_TRUE(node.Decode(record, 15));
    EXPECT_EQ(node.node, 4);
    EXPECT_EQ(node.column, 7);
    EXPECT_EQ(node.index, -2);
    EXPECT_EQ(node.tag, "abc");
    ASSERT_TRUE(node.Decode(record, 5));
    EXPECT_EQ(node.node, -1);
    EXPECT_EQ(node.tag, "");
    std::string longRecord(std::string(record, 12) + std::string(600, 't'));
    ASSERT_TRUE(node.Decode(longRecord.data(), static_cast<int>(longRecord.size())));
    EXPECT_EQ(node.tag.size(), 511u);
}

}  // namespace
}  // namespace zel
