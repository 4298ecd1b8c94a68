// Joins and merges run by the search object on its slots over a small engine.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <vector>

#include "qav/search/merge/merge_fixture.h"
#include "qav/index/engine/qav_engine.h"
#include "qav/search/merge/join_relation.h"
#include "qav/search/qav_search.h"
#include "qav/search/filter/query_time.h"

using namespace mergetest;

namespace {

class SearchMergeTest : public ::testing::Test {
protected:
    void SetUp() override {
        engine_.m_pWordList = std::make_shared<qav::CWordList>(searchtest::MakeWordList({"我", "上海"}));
        for (int f = 0; f < 2; ++f) searchtest::AddDataFile(engine_, kWords);
        qav::g_pCQAVEngine = &engine_;
        ASSERT_TRUE(search_.QAVSearchInit(false));
    }
    void TearDown() override {
        search_.QAVSearchExit();
        qav::g_pCQAVEngine = nullptr;
    }

    // Fills a newly taken atom slot with records of a kind-4 query with an
    // empty pattern, raising the use count of node.
    uint64_t Atom(std::vector<unsigned char>& buffer, const std::vector<Rec>& recs, qav::CHashNode* node = nullptr) {
        for (const Rec& r : recs) {
            auto bytes = searchtest::Record(r.position, r.index, r.file, r.clause, 8);
            buffer.insert(buffer.end(), bytes.begin(), bytes.end());
        }
        qav::CAtomRet* slot = search_.TakeAtomSlot();
        if (!slot) return 0;
        slot->m_Query.type = qav::UNIT_POS_R;
        slot->m_Query.waves = {{0, 0}, {0, 1}, {0, 2}, {0, 3}};
        slot->AddSegment(buffer.data(), 0, static_cast<int32_t>(recs.size()), 8);
        slot->RaiseUse(node);
        return slot->Handle();
    }

    qav::CQAVEngine engine_;
    qav::CQAVSearch search_;
    std::vector<unsigned char> b1_, b2_, b3_;
};

TEST_F(SearchMergeTest, JoinFillsTheMergedSlotAndReleasesItsInputs) {
    qav::CHashNode left("a|", 3), right("b|", 3);
    const uint64_t a1 = Atom(b1_, {{Sentence(0), 3}, {Sentence(1), 3}}, &left);
    const uint64_t a2 = Atom(b2_, {{Sentence(0), 4}}, &right);
    qav::CQAVRet* m1 = search_.MergeSearch(a1, a2, qav::JoinRelationCode("Link"));
    ASSERT_EQ(&search_.m_QAVRet[0], m1);
    EXPECT_EQ(Hits(*m1), (std::vector<HitTuple>{{0, Sentence(0), 3, 2}}));
    EXPECT_FALSE(m1->IsFree());
    EXPECT_TRUE(search_.AtomSlot(a1)->IsFree());
    EXPECT_TRUE(search_.AtomSlot(a2)->IsFree());
    EXPECT_EQ(0, left.use_count);
    EXPECT_EQ(0, right.use_count);

    // The joined result with a new atom result goes to M2; an unknown
    // relation gives an empty result there.
    const uint64_t a3 = Atom(b3_, {{Sentence(0), 5}});
    qav::CQAVRet* m2 = search_.MergeSearch(m1->Handle(), a3, 0);
    ASSERT_EQ(&search_.m_QAVRet[1], m2);
    EXPECT_EQ(0, m2->m_nCount);
    EXPECT_TRUE(m1->IsFree());
    EXPECT_EQ(nullptr, search_.MergeSearch(m1->Handle(), m2->Handle(), qav::kJoinSameSent));
}

TEST_F(SearchMergeTest, MergesLowerUseCountsAndKeepOtherFilesSentences) {
    qav::CHashNode first("a|", 3), second("b|", 3);
    const uint64_t a1 = Atom(b1_, {{Sentence(1), 1}, {Sentence(2), 1, 1}}, &first);
    const uint64_t a2 = Atom(b2_, {{Sentence(2), 2}, {Sentence(3), 2}}, &second);
    qav::CQAVRet* out = search_.MergeRet(a1, a2, qav::kMergeNot, false);
    ASSERT_NE(nullptr, out);
    EXPECT_EQ(Hits(*out), (std::vector<HitTuple>{{0, Sentence(1), 1, 1}, {1, Sentence(2), 1, 1}}));
    EXPECT_EQ(0, first.use_count);
    EXPECT_EQ(0, second.use_count);
    EXPECT_EQ(nullptr, search_.MergeRet(a1, a1, qav::kMergeAnd, false));
}

TEST_F(SearchMergeTest, ConditionsDecideWhichSentencesTheTaggingSideHas) {
    struct Case {
        const char* condition;
        size_t andHits, notHits;
    } cases[] = {
        {"len($Q)<10", 2, 1},  // every hit passes
        {"len($Q)>10", 0, 2},  // no hit passes: nothing to pair, nothing to exclude
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.condition);
        search_.m_Condition.SetCondition(c.condition);
        for (int type : {qav::kMergeAnd, qav::kMergeNot}) {
            std::vector<unsigned char> left, right;
            const uint64_t a1 = Atom(left, {{Sentence(1), 1}, {Sentence(2), 1}});
            const uint64_t a2 = Atom(right, {{Sentence(2), 2}, {Sentence(3), 2}});
            qav::CQAVRet* out = search_.MergeRet(a1, a2, type, false);
            ASSERT_NE(nullptr, out);
            EXPECT_EQ(type == qav::kMergeAnd ? c.andHits : c.notHits, Hits(*out).size());
            out->m_bFree = 1;
        }
    }
}

TEST_F(SearchMergeTest, LimitsOfTheSearchApply) {
    search_.Add2Limit({qav::SentenceKey(0, Sentence(1)), qav::SentenceKey(0, Sentence(1))});
    const uint64_t a1 = Atom(b1_, {{Sentence(0), 3}, {Sentence(1), 3}});
    const uint64_t a2 = Atom(b2_, {{Sentence(0), 4}, {Sentence(1), 4}});
    qav::CQAVRet* out = search_.MergeRet(a1, a2, qav::kMergeOr, false);
    ASSERT_NE(nullptr, out);
    EXPECT_EQ(Hits(*out), (std::vector<HitTuple>{{0, Sentence(1), 4, 1}, {0, Sentence(1), 3, 1}}));
}

TEST_F(SearchMergeTest, AJoinStoppedByTheTimeLimitMarksTheSearchApproximate) {
    std::vector<Rec> many;
    for (int i = 0; i < 2 * 4096; ++i) many.push_back({Sentence(i), 3});
    const uint64_t a1 = Atom(b1_, many);
    const uint64_t a2 = Atom(b2_, many);
    qav::g_nQueryTimeoutMs = 1;
    qav::g_queryStartTime = std::chrono::steady_clock::now() - std::chrono::seconds(1);
    qav::CQAVRet* out = search_.MergeSearch(a1, a2, qav::kJoinSameSent);
    qav::g_nQueryTimeoutMs = 0;
    ASSERT_NE(nullptr, out);
    EXPECT_LT(out->m_nCount, 4096);
    EXPECT_EQ(1, search_.m_bApproximate);
    // The result itself stays approximate for the outputs made from it.
    EXPECT_EQ(1, out->m_bApproximate);
    search_.GetContext(out, nullptr, 0, 0, 10);
    EXPECT_EQ(1, search_.m_bApproximate);
}

TEST_F(SearchMergeTest, ResultsPastTheSlotCapacityAreApproximate) {
    for (qav::CQAVRet& slot : search_.m_QAVRet) ASSERT_TRUE(slot.QAVRetInit(2));
    struct Case {
        int type;
        int kept;
        bool approximate;
    };
    // First side: two hits in sentence 0, one in sentence 1; second side: one
    // hit in sentence 0. OR gives 4 hits, AND 3, NOT 1.
    const Case cases[] = {{qav::kMergeOr, 2, true}, {qav::kMergeAnd, 2, true}, {qav::kMergeNot, 1, false}};
    for (const Case& c : cases) {
        b1_.clear();
        b2_.clear();
        const uint64_t a1 = Atom(b1_, {{Sentence(0), 3}, {Sentence(0), 5}, {Sentence(1), 3}});
        const uint64_t a2 = Atom(b2_, {{Sentence(0), 4}});
        qav::CQAVRet* out = search_.MergeRet(a1, a2, c.type, false);
        ASSERT_NE(nullptr, out) << c.type;
        EXPECT_EQ(c.kept, out->m_nCount) << c.type;
        EXPECT_EQ(c.approximate, out->m_bApproximate != 0) << c.type;
        search_.FreeSlot(out->Handle());
    }
    // A filter copies at most the capacity as well.
    b1_.clear();
    const uint64_t a1 = Atom(b1_, {{Sentence(0), 3}, {Sentence(0), 5}, {Sentence(1), 3}});
    qav::CQAVRet* filtered = search_.GetFilterRet(a1);
    ASSERT_NE(nullptr, filtered);
    EXPECT_EQ(2, filtered->m_nCount);
    EXPECT_EQ(1, filtered->m_bApproximate);
}

TEST_F(SearchMergeTest, AFreeAtomSlotCountsAsEmpty) {
    const uint64_t a1 = Atom(b1_, {{Sentence(0), 3}});
    const uint64_t a2 = Atom(b2_, {{Sentence(0), 4}});
    search_.FreeSlot(a2);
    qav::CQAVRet* out = search_.MergeRet(a1, a2, qav::kMergeOr, false);
    ASSERT_NE(nullptr, out);
    EXPECT_EQ(Hits(*out), (std::vector<HitTuple>{{0, Sentence(0), 3, 1}}));
}

TEST_F(SearchMergeTest, HitsOfAnAtomRecordAreTested) {
    const uint64_t a1 = Atom(b1_, {{Sentence(0), 3}});
    qav::CRetInfo hit;
    qav::OffsetRecordInfo record{Sentence(0), 3, 0, 0, 0};
    EXPECT_TRUE(search_.IsOKContext(*search_.AtomSlot(a1), record, hit, -1, false));
    EXPECT_EQ(3, hit.start);
    record.fileNo = 2;  // no such data file
    EXPECT_FALSE(search_.IsOKContext(*search_.AtomSlot(a1), record, hit, -1, false));
    record = {100, 0, 0, 0, 0};  // in the header: no word
    EXPECT_FALSE(search_.IsOKContext(*search_.AtomSlot(a1), record, hit, -1, false));
}

}  // namespace
