// Result slots of a full-text search: AND/OR/NOT merges, the choice of the
// output slot, the term fetch and the base filter.
#include <gtest/gtest.h>

#include "../build/build_fixture.h"
#include "qav/fulltext/search/bm_search.h"

namespace {

using Doc = std::pair<int, uint32_t>;  // shard, document offset
using Docs = std::vector<Doc>;

class BMMergeTest : public testing::Test {
protected:
    void SetUp() override {
        engine_.m_Config.m_SizeInfo.RetBuffSize = 8;
        qav::g_pBMEngine = &engine_;
        ASSERT_TRUE(search_.BMSearchInit());
    }
    void TearDown() override {
        search_.BMSearchExit();
        qav::g_pBMEngine = nullptr;
    }
    int64_t Fill(int number, const Docs& docs) {
        qav::CBMRet& slot = search_.Slot(number);
        slot.Clear();
        for (const Doc& doc : docs) {
            qav::bm::Posting record;
            record.shard = static_cast<uint8_t>(doc.first);
            record.docOffset = doc.second;
            slot.Append(record);
        }
        return slot.handle();
    }
    static Docs Of(const qav::CBMRet* slot) {
        Docs docs;
        for (int32_t i = 0; slot && i < slot->m_nDocNum; ++i) docs.emplace_back((*slot)[i].shard, (*slot)[i].docOffset);
        return docs;
    }
    int Number(const qav::CBMRet* slot) {
        for (int number = 1; number <= 3; ++number)
            if (slot == &search_.Slot(number)) return number;
        return 0;
    }

    qav::CBMEngine engine_;
    qav::CBMSearch search_;
};

TEST_F(BMMergeTest, HandleMergesChooseTheOutputAndFreeTheOperands) {
    enum Op { kAnd, kOr, kNot };
    const struct {
        Op op;
        Docs a, b;
        Docs expected;
        int outSlot;
    } cases[] = {
        {kAnd, {{0, 1}, {0, 2}, {0, 3}}, {{0, 2}, {0, 3}, {0, 4}}, {{0, 2}, {0, 3}}, 3},
        {kAnd, {{0, 4}, {0, 3}}, {{0, 1}, {0, 3}, {0, 4}}, {{0, 4}, {0, 3}}, 3},  // smaller set's order
        {kOr, {{0, 1}, {0, 2}}, {{0, 2}, {0, 3}, {0, 4}}, {{0, 3}, {0, 4}, {0, 1}, {0, 2}}, 3},
        {kNot, {{0, 1}, {0, 2}, {0, 3}}, {{0, 2}}, {{0, 1}, {0, 3}}, 3},
        // Documents are told apart by shard as well as offset.
        {kAnd, {{0, 5}, {1, 6}}, {{1, 5}, {1, 6}}, {{1, 6}}, 3},
        {kOr, {{0, 5}}, {{1, 5}}, {{1, 5}, {0, 5}}, 3},
        {kNot, {{0, 5}, {1, 5}}, {{1, 5}}, {{0, 5}}, 3},
    };
    for (const auto& c : cases) {
        // Slots 1 and 2 hold the operands, slot 3 is free: NOT, which prefers
        // slot 1, also ends in slot 3.
        const int64_t a = Fill(1, c.a);
        const int64_t b = Fill(2, c.b);
        search_.Slot(3).Clear();
        qav::CBMRet* out = c.op == kAnd ? search_.GetBMDoc_AND(a, b)
                      : c.op == kOr ? search_.GetBMDoc_OR(a, b) : search_.GetBMDoc_NOT(a, b);
        EXPECT_EQ(Number(out), c.outSlot);
        EXPECT_EQ(Of(out), c.expected);
        EXPECT_TRUE(search_.Slot(1).m_bFree);
        EXPECT_TRUE(search_.Slot(2).m_bFree);
        EXPECT_EQ(search_.Slot(1).m_nDocNum, 0);
        EXPECT_FALSE(out->m_bFree);
    }
}

TEST_F(BMMergeTest, HandlesThatNameNoPairAndOutputsThatAreOperands) {
    const int64_t one = Fill(1, {{0, 1}});
    const int64_t two = Fill(2, {{0, 2}});
    EXPECT_EQ(search_.GetBMDoc_OR(two, 0), &search_.Slot(2));
    EXPECT_EQ(search_.GetBMDoc_OR(two, two), &search_.Slot(2));
    EXPECT_EQ(search_.GetBMDoc_NOT(two, 12345), &search_.Slot(2));
    EXPECT_EQ(search_.GetBMDoc_AND(one, 0), nullptr);
    EXPECT_EQ(search_.GetBMDoc_OR(0, 12345), nullptr);
    EXPECT_EQ(Of(&search_.Slot(2)), (Docs{{0, 2}}));

    // NOT prefers slot 1 when it is free.
    search_.Slot(1).Clear();
    const int64_t three = Fill(3, {{0, 2}, {0, 3}});
    EXPECT_EQ(search_.GetBMDoc_NOT(three, two), &search_.Slot(1));
    EXPECT_EQ(Of(&search_.Slot(1)), (Docs{{0, 3}}));

    // All three in use: AND of slots 1 and 2 writes into slot 1, which then
    // holds the intersection alone; slot 3 is untouched.
    Fill(1, {{0, 1}, {0, 2}});
    Fill(2, {{0, 2}});
    Fill(3, {{0, 9}});
    qav::CBMRet* out = search_.GetBMDoc_AND(search_.Slot(1).handle(), search_.Slot(2).handle());
    EXPECT_EQ(out, &search_.Slot(1));
    EXPECT_EQ(Of(out), (Docs{{0, 2}}));
    EXPECT_TRUE(search_.Slot(2).m_bFree);
    EXPECT_EQ(Of(&search_.Slot(3)), (Docs{{0, 9}}));
}

TEST_F(BMMergeTest, AppendsStopAtTheOutputsCapacity) {
    Docs eight;
    for (uint32_t d = 0; d < 8; ++d) eight.emplace_back(0, d);
    const int64_t a = Fill(1, {{0, 100}});
    const int64_t b = Fill(2, eight);
    ASSERT_EQ(search_.Slot(2).m_nDocNum, 8);
    qav::CBMRet* out = search_.GetBMDoc_OR(a, b);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(out->m_nDocNum, 8);  // the ninth document is dropped
}

// A small index: "common" is in documents A1 (shard 0) and B2, C3 (shard 1).
class BMFetchTest : public BMMergeTest {
protected:
    void SetUp() override {
        ASSERT_EQ(build_.Run(qav_bm_test::TestConfig({"title"}, {"id"}, 2),
                             {"#Global id=A1\n#Group name=title\nItem:common alpha\nTable\n",
                              "#Global id=B2\n#Group name=title\nItem:common\nTable\n"
                              "#Global id=C3\n#Group name=title\nItem:common alpha\nTable\n"}),
                  1)
            << build_.log;
        ASSERT_TRUE(qav_bm_test::LoadFullTextEngine(engine_, build_.index()));
        engine_.m_Config.m_SizeInfo.RetBuffSize = 8;
        BMMergeTest::SetUp();
    }
    void TearDown() override {
        BMMergeTest::TearDown();
        qav::g_nEngineType = qav::kEngineStructured;
    }
    Docs Named(const std::vector<std::string>& names) {
        Docs docs;
        for (const std::string& name : names) {
            const int64_t key = engine_.m_PidIdx.at(name);
            docs.emplace_back(static_cast<int>(key >> 32), static_cast<uint32_t>(key));
        }
        return docs;
    }
    qav_bm_test::TestBuild build_;
};

TEST_F(BMFetchTest, FetchesATermIntoTheSlotAfterItsPartner) {
    qav::CBMRet* common = search_.GetBMDoc("common", 0);
    EXPECT_EQ(Number(common), 1);
    EXPECT_EQ(Of(common), Named({"A1", "B2", "C3"}));
    qav::CBMRet* both = search_.GetBMDoc("alpha", common->handle());
    EXPECT_EQ(Number(both), 2);
    EXPECT_EQ(Of(both), Named({"A1", "C3"}));
    EXPECT_TRUE(search_.Slot(1).m_bFree);
    EXPECT_EQ(search_.GetBMDoc("missing", 0), nullptr);

    Fill(1, {{0, 1}});
    Fill(3, {{0, 1}});
    EXPECT_EQ(search_.GetBMDoc("common", 0), nullptr);  // no free slot
    EXPECT_EQ(Number(search_.GetBMDoc("common", search_.Slot(3).handle())), 1);
    EXPECT_TRUE(search_.Slot(3).m_bFree);
}

TEST_F(BMFetchTest, BaseFilterKeepsOrDropsTheBaseDocuments) {
    const struct {
        bool include;
        std::vector<std::string> expected;
    } cases[] = {{true, {"C3"}}, {false, {"A1", "B2"}}};
    for (const auto& c : cases) {
        for (int number = 1; number <= 3; ++number) search_.Slot(number).Clear();
        const int64_t base = Fill(3, Named({"C3"}));
        search_.SetBase(base, c.include);
        search_.Slot(3).Clear();
        EXPECT_EQ(Of(search_.GetBMDoc("common", 0)), Named(c.expected));
    }
    // A base of no slot empties the set and keeps the flag: in include mode
    // nothing passes.
    search_.SetBase(Fill(3, Named({"C3"})), true);
    search_.SetBase(0, false);
    for (int number = 1; number <= 3; ++number) search_.Slot(number).Clear();
    EXPECT_EQ(Of(search_.GetBMDoc("common", 0)), Docs{});
}

}  // namespace
