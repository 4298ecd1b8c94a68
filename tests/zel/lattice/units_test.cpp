#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_support.h"
#include "zel/lattice/lattice.h"
#include "zel/lattice/unit_values.h"

namespace zel {
namespace {

using qztest::Gbk;

// A built lattice of ten full-width letters "ABCDEFGHIJ".
class Units : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(lattice.LatticeBuild("ABCDEFGHIJ")); }

    CUnit& Unit(const std::string& idText) { return *lattice.GetLatticeUnit(idText.c_str()); }
    int Count(int c) const { return lattice.columns[static_cast<size_t>(c)].unitCount; }

    std::vector<UnitId> Successors(int c) const {
        const CCandidate& col = lattice.columns[static_cast<size_t>(c)];
        return {col.next.begin(), col.next.begin() + col.nextCount};
    }

    CLattice lattice;
};

TEST_F(Units, WordIsPlacedLinkedAndReused) {
    std::string id;
    ASSERT_TRUE(lattice.AddNewUnit(5, Gbk("ＥＦ").c_str(), kUnitWord, id, -1, false, ""));
    EXPECT_EQ(id, "(5,2)");
    CUnit& word = Unit(id);
    EXPECT_EQ(word.From, 4);
    EXPECT_EQ(word.To, 5);
    EXPECT_EQ(word.HeadWord, Gbk("ＥＦ"));
    EXPECT_EQ(word.ULeftChar, "(4,1)");
    EXPECT_EQ(word.URightChar, "(5,1)");
    EXPECT_EQ(word.UChunk, "");
    EXPECT_EQ(Values(word, "Type"), std::vector<std::string>{"Word"});
    EXPECT_EQ(Successors(3), (std::vector<UnitId>{{4, 1}, {5, 2}}));
    EXPECT_TRUE(lattice.keyValues->IsKV2Unit("Type", "Word", "(5,2)"));

    std::string again;
    ASSERT_TRUE(lattice.AddNewUnit(5, Gbk("ＥＦ").c_str(), kUnitWord, again, -1, true, ""));
    EXPECT_EQ(again, id);
    EXPECT_EQ(Count(5), 3);

    ASSERT_TRUE(lattice.AddNewUnit(5, Gbk("ＤＥＦ").c_str(), kUnitWord, id, -1, false, ""));
    EXPECT_EQ(id, "(5,3)");
    EXPECT_EQ(Unit(id).From, 3);
    EXPECT_EQ(Successors(2).back(), UnitId(5, 3));
}

TEST_F(Units, RefusedOrEmptyRequests) {
    std::string id = "unchanged";
    EXPECT_FALSE(lattice.AddNewUnit(10, "x", kUnitWord, id, -1, false, ""));
    EXPECT_FALSE(lattice.AddNewUnit(-1, "x", kUnitWord, id, -1, false, ""));
    EXPECT_EQ(id, "");
    id = "unchanged";
    EXPECT_TRUE(lattice.AddNewUnit(5, Gbk("ＥＦ").c_str(), kUnitWord, id, -1, true, "NONE"));
    EXPECT_EQ(id, "unchanged");
    EXPECT_EQ(Count(5), 2);

    ASSERT_TRUE(lattice.AddNewUnit(5, "", kUnitWord, id, -1, false, ""));
    CUnit& empty = Unit(id);
    EXPECT_EQ(Values(empty, "Type"), std::vector<std::string>{"NONE"});
    EXPECT_EQ(empty.From, -1);
    EXPECT_EQ(Successors(4).size(), 1u);
}

TEST_F(Units, WordLongerThanItsColumnsStartsAtTheFirstColumn) {
    std::string id;
    ASSERT_TRUE(lattice.AddNewUnit(1, Gbk("ＡＢＣＤ").c_str(), kUnitWord, id, -1, false, ""));
    EXPECT_EQ(Unit(id).From, 0);
    EXPECT_EQ(Unit(id).ULeftChar, "(0,1)");
    ASSERT_TRUE(lattice.AddNewUnit(1, Gbk("ＸＡＢＣ").c_str(), kUnitChunk, id, -1, false, ""));
    EXPECT_EQ(lattice.columns[0].chunkUnitId, id);
}

TEST_F(Units, KindsGiveTheirTypes) {
    struct Case {
        int kind, stored;
        const char* type;
    } cases[] = {{kUnitReChunk, kUnitWord, "Word"}, {kUnitPhrase, kUnitPhrase, "Phrase"}, {kUnitChar, kUnitChar, "Phrase"}};
    int c = 1;
    for (const Case& k : cases) {
        std::string id;
        ASSERT_TRUE(lattice.AddNewUnit(c, Gbk("ＡＢ").c_str(), k.kind, id, 7, false, ""));
        EXPECT_EQ(Unit(id).UnitType, k.stored) << k.kind;
        EXPECT_EQ(Unit(id).nodeNo, 7);
        EXPECT_EQ(Values(Unit(id), "Type"), std::vector<std::string>{k.type}) << k.kind;
        ++c;
    }
}

TEST_F(Units, ChunksNumberTheirColumnsAndPassOnTheirGroups) {
    std::string chunkId, inside, across;
    ASSERT_TRUE(lattice.AddNewUnit(4, Gbk("ＣＤＥ").c_str(), kUnitChunk, chunkId, -1, false, "GroupID=g1 GroupID=g2"));
    for (int c = 2; c <= 4; ++c) {
        EXPECT_EQ(lattice.columns[static_cast<size_t>(c)].chunkNo, 0) << c;
        EXPECT_EQ(lattice.columns[static_cast<size_t>(c)].chunkUnitId, chunkId) << c;
    }
    EXPECT_EQ(Unit(chunkId).UChunk, chunkId);
    EXPECT_EQ(Unit(chunkId).ChunkID, 0);
    ASSERT_TRUE(lattice.AddNewUnit(4, Gbk("ＤＥ").c_str(), kUnitWord, inside, -1, false, ""));
    EXPECT_EQ(Unit(inside).UChunk, chunkId);
    EXPECT_EQ(Unit(inside).ChunkID, 0);
    EXPECT_EQ(Values(Unit(inside), "GroupID"), (std::vector<std::string>{"g1", "g2"}));
    ASSERT_TRUE(lattice.AddNewUnit(2, Gbk("ＢＣ").c_str(), kUnitWord, across, -1, false, ""));
    EXPECT_EQ(Unit(across).UChunk, "(-1,-1)");
    EXPECT_TRUE(Values(Unit(across), "GroupID").empty());

    // Reusing a word as a chunk keeps its kind, adds the second type and
    // re-points its column's chunk.
    std::string reused;
    ASSERT_TRUE(lattice.AddNewUnit(2, Gbk("ＢＣ").c_str(), kUnitChunk, reused, -1, true, ""));
    EXPECT_EQ(reused, across);
    EXPECT_EQ(Unit(across).UnitType, kUnitWord);
    EXPECT_EQ(Values(Unit(across), "Type"), (std::vector<std::string>{"Word", "Chunk"}));
    EXPECT_EQ(lattice.columns[2].chunkUnitId, across);
    EXPECT_EQ(lattice.columns[2].chunkNo, 1);
}

TEST_F(Units, AttributesGoToFieldsOrTheUnitTable) {
    std::string id;
    ASSERT_TRUE(lattice.AddNewUnit(3, Gbk("ＣＤ").c_str(), kUnitWord, id, -1, false, "w1 POS=n"));
    CUnit& unit = Unit(id);
    EXPECT_EQ(Values(unit, "Tag"), std::vector<std::string>{"w1"});
    EXPECT_EQ(Values(unit, "POS"), std::vector<std::string>{"n"});
    unit.Insert2UnitKV("chunkid", "7");
    EXPECT_EQ(unit.ChunkID, 7);
    EXPECT_TRUE(lattice.keyValues->IsKV2Unit("chunkid", "7", id.c_str()));
    unit.Insert2UnitKV("Sense", "a b");
    EXPECT_EQ(Values(unit, "Sense"), (std::vector<std::string>{"a", "b"}));
    unit.Insert2UnitKV("USegFrom", std::string(100, '9').c_str());
    EXPECT_EQ(unit.USegFrom.size(), 63u);
    EXPECT_TRUE(unit.CheckAtt("POS=n&Tag=w1"));
}

TEST_F(Units, ReduceMergesMatchPositions) {
    lattice.matchPath = {{"", 4, 1, 3}, {"", 3, 1, 2}, {"", 2, 1, 1}};
    lattice.pathLength = 3;
    std::string id;
    ASSERT_TRUE(lattice.Reduce(5, 1, id));
    EXPECT_EQ(Unit(id).Word, Gbk("ＣＤＥ"));
    EXPECT_EQ(Unit(id).From, 2);
    ASSERT_TRUE(lattice.Reduce(1, 2, id));
    EXPECT_EQ(Unit(id).Word, Gbk("ＤＥ"));
    lattice.matchPath = {{"", 4, -3, 3}};
    lattice.pathLength = 1;
    ASSERT_TRUE(lattice.Reduce(0, 0, id));
    EXPECT_EQ(Unit(id).Word, Gbk("ＣＤＥ"));
    lattice.pathLength = 0;
    EXPECT_FALSE(lattice.Reduce(0, 0, id));
}

TEST_F(Units, SegmentsMustNotCutThroughUnits) {
    CUnit* covering = nullptr;
    EXPECT_TRUE(lattice.IsSegment(0, 9, covering));
    EXPECT_EQ(covering, nullptr);
    std::string id;
    lattice.AddNewUnit(2, Gbk("ＢＣ").c_str(), kUnitWord, id, -1, false, "");
    EXPECT_FALSE(lattice.IsSegment(2, 3, covering));
    EXPECT_TRUE(lattice.IsSegment(1, 3, covering));
    EXPECT_TRUE(lattice.IsSegment(-2, 2, covering));
    EXPECT_EQ(covering, nullptr);
    lattice.AddNewUnit(4, Gbk("ＤＥ").c_str(), kUnitWord, id, -1, false, "");
    EXPECT_TRUE(lattice.IsSegment(4, 4, covering));
    EXPECT_EQ(covering, &Unit(id));
}

TEST_F(Units, DictionarySegmentationWithoutDictionaryAddsNothing) {
    EXPECT_TRUE(lattice.LookupDictForSeg());
    for (int c = 0; c < 10; ++c) EXPECT_EQ(Count(c), 2);
    int from = 0, to = 0;
    GetFromTo("3,7", from, to);
    EXPECT_EQ(from, 3);
    EXPECT_EQ(to, 7);
    GetFromTo("4", from, to);
    EXPECT_EQ(to, 4);
}

}  // namespace
}  // namespace zel
