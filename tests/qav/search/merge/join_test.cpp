// Hash joins of two results in the merge work area.
#include <gtest/gtest.h>

#include <chrono>

#include "merge_fixture.h"
#include "qav/search/merge/join_relation.h"
#include "qav/search/merge/merge_run.h"
#include "qav/search/filter/query_time.h"

using namespace mergetest;

namespace {

class JoinTest : public ::testing::Test {
protected:
    MergeCorpus data;
    FakeEnv env{data.ctx};
    qav::CForMerge area;
    qav::CQAVRet out;

    void SetUp() override {
        ASSERT_TRUE(area.ForMergeInit(8, 64, nullptr));
        ASSERT_TRUE(out.QAVRetInit(100));
    }
    std::vector<HitTuple> Join(const qav::MergeSide& left, const qav::MergeSide& right, const char* relation) {
        qav::MergeRun(area, env).Join(left, right, out, qav::JoinRelationCode(relation));
        return Hits(out);
    }
};

TEST_F(JoinTest, PairsOfTheSameSentenceInTheRelation) {
    // Left hits at words 3 and 4 (waved to two words each); right hits at 5.
    AtomResult left({{Sentence(0), 3}, {Sentence(1), 3}, {Sentence(2), 3, 1}});
    left.result.m_Query.waves[1].value = 1;
    AtomResult right({{Sentence(0), 5}, {Sentence(1), 4}, {Sentence(2), 5}, {Sentence(3), 5}});
    EXPECT_EQ(Join(qav::MergeSide::Atom(left.result), qav::MergeSide::Atom(right.result), "Link"),
              (std::vector<HitTuple>{{0, Sentence(0), 3, 3}}));
    EXPECT_EQ(Join(qav::MergeSide::Atom(left.result), qav::MergeSide::Atom(right.result), "ShareTag"),
              (std::vector<HitTuple>{{0, Sentence(1), 3, 2}}));
    EXPECT_TRUE(Join(qav::MergeSide::Atom(left.result), qav::MergeSide::Atom(right.result), "Nonesuch").empty());
    EXPECT_FALSE(out.IsFree());
}

TEST_F(JoinTest, TheFirstResultIsAlwaysTheLeftPart) {
    // "ShareQuery": right starts one word after left. Whichever side is
    // larger, the pairs are the same.
    AtomResult small({{Sentence(0), 3}});
    AtomResult large({{Sentence(0), 4}, {Sentence(0), 2}, {Sentence(1), 4}, {Sentence(2), 4}});
    const auto smallLeft = Join(qav::MergeSide::Atom(small.result), qav::MergeSide::Atom(large.result), "ShareQuery");
    EXPECT_EQ(smallLeft, (std::vector<HitTuple>{{0, Sentence(0), 3, 2}}));
    const auto largeLeft = Join(qav::MergeSide::Atom(large.result), qav::MergeSide::Atom(small.result), "ShareQuery");
    EXPECT_EQ(largeLeft, (std::vector<HitTuple>{{0, Sentence(0), 2, 2}}));
}

TEST_F(JoinTest, SamePositionInAnotherDataFileIsNoPartner) {
    AtomResult left({{Sentence(0), 3, 0}, {Sentence(0), 3, 1}});
    AtomResult right({{Sentence(0), 4, 1}});
    EXPECT_EQ(Join(qav::MergeSide::Atom(left.result), qav::MergeSide::Atom(right.result), "Link"),
              (std::vector<HitTuple>{{1, Sentence(0), 3, 2}}));
}

TEST_F(JoinTest, AtomWithMergedResultEitherWay) {
    AtomResult atom({{Sentence(0), 3}, {Sentence(1), 3}});
    qav::CQAVRet merged;
    ASSERT_TRUE(merged.QAVRetInit(10));
    merged.Clear();
    qav::CRetInfo hit = qav::ClearedRetInfo();
    hit.file_no = 0;
    hit.position = Sentence(1);
    hit.start = 4;
    hit.length = 2;
    merged.Add2QAVRetEx(hit);
    EXPECT_EQ(Join(qav::MergeSide::Atom(atom.result), qav::MergeSide::Merged(merged), "Link"),
              (std::vector<HitTuple>{{0, Sentence(1), 3, 3}}));
    EXPECT_TRUE(Join(qav::MergeSide::Merged(merged), qav::MergeSide::Atom(atom.result), "Link").empty());
    EXPECT_EQ(Join(qav::MergeSide::Merged(merged), qav::MergeSide::Atom(atom.result), "SameSent"),
              (std::vector<HitTuple>{{0, Sentence(1), 3, 3}}));
}

TEST_F(JoinTest, LimitsKeepSentencesOutOfTheJoin) {
    AtomResult left({{Sentence(0), 3}, {Sentence(1), 3}});
    AtomResult right({{Sentence(0), 4}, {Sentence(1), 4}});
    env.excluded.insert({0, Sentence(0)});
    EXPECT_EQ(Join(qav::MergeSide::Atom(left.result), qav::MergeSide::Atom(right.result), "Link"),
              (std::vector<HitTuple>{{0, Sentence(1), 3, 2}}));
}

TEST_F(JoinTest, AFullOutputDropsFurtherPairs) {
    ASSERT_TRUE(out.QAVRetInit(2));
    AtomResult left({{Sentence(0), 1}, {Sentence(0), 2}, {Sentence(0), 3}});
    AtomResult right({{Sentence(0), 9}});
    EXPECT_EQ(2u, Join(qav::MergeSide::Atom(left.result), qav::MergeSide::Atom(right.result), "SameSent").size());
}

TEST_F(JoinTest, AJoinStoppedByTheTimeLimitIsApproximate) {
    const int n = 3 * 4096;
    std::vector<Rec> many;
    for (int i = 0; i < n; ++i) many.push_back({Sentence(i), 2});
    AtomResult left(many), right(many);
    ASSERT_TRUE(out.QAVRetInit(2 * n));
    qav::g_nQueryTimeoutMs = 1;
    qav::g_queryStartTime = std::chrono::steady_clock::now() - std::chrono::seconds(1);
    const auto pairs = Join(qav::MergeSide::Atom(left.result), qav::MergeSide::Atom(right.result), "SameSent");
    qav::g_nQueryTimeoutMs = 0;
    EXPECT_TRUE(env.approximate);
    EXPECT_LT(pairs.size(), 4096u);

    // Without a limit the same join is exact.
    env.approximate = false;
    Join(qav::MergeSide::Atom(left.result), qav::MergeSide::Atom(right.result), "SameSent");
    EXPECT_FALSE(env.approximate);
    EXPECT_EQ(n, out.m_nCount);
}

}  // namespace
