// Use counts of unit nodes held by atom results: every raise is lowered once,
// by whichever consumer ends the result, and the search's exit frees records
// of units nobody uses.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "qav/index/engine/qav_engine.h"
#include "qav/search/qav_search.h"

namespace {

std::vector<int> Counts(const std::vector<qav::CHashNode*>& nodes) {
    std::vector<int> counts;
    for (const qav::CHashNode* node : nodes) counts.push_back(node->use_count);
    return counts;
}

class UseCounts : public testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"a|", "b|", "c|"}) {
            owned_.push_back(std::make_unique<qav::CHashNode>(name, 3));
            nodes_.push_back(owned_.back().get());
        }
        ASSERT_TRUE(search_.QAVSearchInit(false));
    }
    void TearDown() override { search_.QAVSearchExit(); }

    std::vector<std::unique_ptr<qav::CHashNode>> owned_;
    std::vector<qav::CHashNode*> nodes_;
    qav::CQAVSearch search_;
};

TEST_F(UseCounts, ReleaseLowersExactlyWhatWasRaisedOnce) {
    qav::CAtomRet* a1 = search_.TakeAtomSlot();
    qav::CAtomRet* a2 = search_.TakeAtomSlot();
    for (qav::CHashNode* node : nodes_) a1->RaiseUse(node);
    a2->RaiseUse(nodes_[1]);
    EXPECT_EQ((std::vector<int>{1, 2, 1}), Counts(nodes_));

    search_.FreeSlot(a1->Handle());
    EXPECT_EQ((std::vector<int>{0, 1, 0}), Counts(nodes_));
    EXPECT_TRUE(a1->IsFree());
    // A second release of the same result does nothing.
    search_.FreeSlot(a1->Handle());
    a1->Release();
    EXPECT_EQ((std::vector<int>{0, 1, 0}), Counts(nodes_));

    search_.FreeSlot(a2->Handle());
    EXPECT_EQ((std::vector<int>{0, 0, 0}), Counts(nodes_));
}

TEST_F(UseCounts, FailedSearchLowersOnlyWhatItRaised) {
    // Another query holds c.
    nodes_[2]->use_count = 1;
    // A search that raised a, then failed before reaching b and c.
    qav::CAtomRet* slot = search_.TakeAtomSlot();
    slot->RaiseUse(nodes_[0]);
    slot->Release();
    EXPECT_EQ((std::vector<int>{0, 0, 1}), Counts(nodes_));
    nodes_[2]->use_count = 0;
}

TEST_F(UseCounts, JoinConsumesBothInputsAndMergedSlotsHoldNothing) {
    qav::CAtomRet* left = search_.TakeAtomSlot();
    qav::CAtomRet* right = search_.TakeAtomSlot();
    left->RaiseUse(nodes_[0]);
    right->RaiseUse(nodes_[1]);
    qav::CQAVRet* out = search_.MergeTarget(left->Handle(), right->Handle());
    ASSERT_NE(nullptr, out);
    out->Clear();
    search_.FreeSlot(left->Handle());
    search_.FreeSlot(right->Handle());
    EXPECT_EQ((std::vector<int>{0, 0, 0}), Counts(nodes_));
    // Freeing the merged result touches no use count.
    search_.FreeSlot(out->Handle());
    EXPECT_EQ((std::vector<int>{0, 0, 0}), Counts(nodes_));
}

TEST_F(UseCounts, ExitLowersWhatSlotsStillHold) {
    search_.TakeAtomSlot()->RaiseUse(nodes_[0]);
    search_.TakeAtomSlot()->RaiseUse(nodes_[0]);
    EXPECT_EQ(2, nodes_[0]->use_count);
    search_.QAVSearchExit();
    EXPECT_EQ(0, nodes_[0]->use_count);
}

TEST_F(UseCounts, QueryThreadsSharingUnitsLeaveNoCountBehind) {
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([this, t] {
            qav::CQAVSearch search;
            if (!search.QAVSearchInit(false)) return;
            for (int run = 0; run < 500; ++run) {
                qav::CAtomRet* slot = search.TakeAtomSlot();
                for (size_t i = 0; i <= static_cast<size_t>((run + t) % 3); ++i) slot->RaiseUse(nodes_[i]);
                // Every other result stays with its slot until a new set-up.
                if (run % 2 == 0) search.FreeSlot(slot->Handle());
                if (run % 4 == 3) search.QAVSearchInit(false);
            }
            search.QAVSearchExit();
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ((std::vector<int>{0, 0, 0}), Counts(nodes_));
}

TEST(SearchExit, FreesRecordsOfUnusedUnitsAboveMaxMemCount) {
    struct EngineScope {
        EngineScope() { qav::g_pCQAVEngine = &engine; }
        ~EngineScope() { qav::g_pCQAVEngine = nullptr; }
        qav::CQAVEngine engine;
    } scope;
    qav::CQAVEngine& engine = scope.engine;
    engine.m_unitTable.Reset(64);
    std::vector<qav::CHashNode*> units;
    for (const char* name : {"mine|", "other|", "idle|"}) {
        qav::CHashNode* node = engine.m_unitTable.GetOrAdd(name, 3);
        node->count = 5;
        node->SetRecords(std::make_unique<unsigned char[]>(5 * 8));
        engine.m_unitTable.unit_list.push_back(node);
        units.push_back(node);
    }
    engine.m_loadedRecords = 15;
    units[1]->use_count = 1;  // held by another query

    struct Case {
        int64_t maxMemCount;
        bool freed[3];
    };
    for (const Case& c : {Case{15, {false, false, false}}, Case{0, {true, false, true}}}) {
        engine.m_config.m_SizeInfo.MaxMemCount = c.maxMemCount;
        qav::CQAVSearch search;
        ASSERT_TRUE(search.QAVSearchInit(false));
        search.TakeAtomSlot()->RaiseUse(units[0]);
        search.QAVSearchExit();
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(c.freed[i], units[static_cast<size_t>(i)]->records() == nullptr)
                << units[static_cast<size_t>(i)]->name << " with MaxMemCount " << c.maxMemCount;
    }
    EXPECT_EQ(5, engine.m_loadedRecords);
    EXPECT_EQ(0, units[0]->use_count);
    units[1]->use_count = 0;
}

}  // namespace
