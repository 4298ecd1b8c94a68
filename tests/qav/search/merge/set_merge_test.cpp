// AND, OR and NOT of two results, by sentence and by document.
#include <gtest/gtest.h>

#include "merge_fixture.h"
#include "qav/search/merge/merge_run.h"

using namespace mergetest;

namespace {

class SetMergeTest : public ::testing::Test {
protected:
    MergeCorpus data;
    FakeEnv env{data.ctx};
    qav::CForMerge area;
    qav::CQAVRet out;
    // Hits in sentences {1, 2} and {2, 3}; the start tells the side.
    AtomResult first{{{Sentence(1), 1}, {Sentence(2), 1}}};
    AtomResult second{{{Sentence(2), 2}, {Sentence(3), 2}}};

    void SetUp() override {
        ASSERT_TRUE(area.ForMergeInit(8, 64, nullptr));
        ASSERT_TRUE(out.QAVRetInit(100));
    }
    std::vector<HitTuple> Merge(const qav::MergeSide& a, const qav::MergeSide& b, int type, bool docLevel = false) {
        qav::MergeRun(area, env).Merge(a, b, out, type, docLevel);
        return Hits(out);
    }
    std::vector<HitTuple> Merge(int type, bool docLevel = false) {
        return Merge(qav::MergeSide::Atom(first.result), qav::MergeSide::Atom(second.result), type, docLevel);
    }
};

TEST_F(SetMergeTest, AndOrNotOfTwoSentenceSets) {
    EXPECT_EQ(Merge(qav::kMergeAnd), (std::vector<HitTuple>{{0, Sentence(2), 1, 1}, {0, Sentence(2), 2, 1}}));
    EXPECT_EQ(Merge(qav::kMergeOr), (std::vector<HitTuple>{{0, Sentence(2), 2, 1},
                                                      {0, Sentence(3), 2, 1},
                                                      {0, Sentence(1), 1, 1},
                                                      {0, Sentence(2), 1, 1}}));
    EXPECT_EQ(Merge(qav::kMergeNot), (std::vector<HitTuple>{{0, Sentence(1), 1, 1}}));
    EXPECT_TRUE(Merge(7).empty());
    EXPECT_FALSE(out.IsFree());
}

TEST_F(SetMergeTest, AndRepeatsTheListSideForEveryProbeHit) {
    // The smaller side probes: two hits of sentence 2 each bring the list
    // side's hits of that sentence along.
    AtomResult probe({{Sentence(2), 1}, {Sentence(2), 3}});
    AtomResult list({{Sentence(2), 2}, {Sentence(4), 2}, {Sentence(5), 2}});
    EXPECT_EQ(Merge(qav::MergeSide::Atom(list.result), qav::MergeSide::Atom(probe.result), qav::kMergeAnd),
              (std::vector<HitTuple>{{0, Sentence(2), 1, 1},
                                     {0, Sentence(2), 2, 1},
                                     {0, Sentence(2), 3, 1},
                                     {0, Sentence(2), 2, 1}}));
}

TEST_F(SetMergeTest, SamePositionInAnotherDataFileIsAnotherSentence) {
    AtomResult other({{Sentence(1), 2, 1}});  // data file 1
    const qav::MergeSide a = qav::MergeSide::Atom(first.result), b = qav::MergeSide::Atom(other.result);
    EXPECT_EQ(Merge(a, b, qav::kMergeNot), (std::vector<HitTuple>{{0, Sentence(1), 1, 1}, {0, Sentence(2), 1, 1}}));
    EXPECT_TRUE(Merge(a, b, qav::kMergeAnd).empty());
}

TEST_F(SetMergeTest, DocumentLevelComparesDocuments) {
    // Sentences 1 and 3 lie in document 5, sentence 2 in document 6.
    env.documents = {{{0, Sentence(1)}, 5}, {{0, Sentence(2)}, 6}, {{0, Sentence(3)}, 5}};
    AtomResult inThree({{Sentence(3), 2}});
    const qav::MergeSide a = qav::MergeSide::Atom(first.result), b = qav::MergeSide::Atom(inThree.result);
    EXPECT_EQ(Merge(a, b, qav::kMergeNot, true), (std::vector<HitTuple>{{0, Sentence(2), 1, 1}}));
    EXPECT_EQ(Merge(a, b, qav::kMergeNot, false), (std::vector<HitTuple>{{0, Sentence(1), 1, 1}, {0, Sentence(2), 1, 1}}));
    // AND prefilters by document but pairs only hits of one sentence.
    EXPECT_TRUE(Merge(a, b, qav::kMergeAnd, true).empty());
}

TEST_F(SetMergeTest, ConditionsActOnTheTaggingSide) {
    env.rejectAll = true;
    EXPECT_TRUE(Merge(qav::kMergeAnd).empty());
    EXPECT_EQ(Merge(qav::kMergeNot), (std::vector<HitTuple>{{0, Sentence(1), 1, 1}, {0, Sentence(2), 1, 1}}));
}

TEST_F(SetMergeTest, MergedWithAtomResult) {
    qav::CQAVRet merged;
    ASSERT_TRUE(merged.QAVRetInit(10));
    merged.Clear();
    qav::CRetInfo hit = qav::ClearedRetInfo();
    hit.file_no = 0;
    hit.position = Sentence(2);
    hit.start = 7;
    hit.length = 1;
    merged.Add2QAVRetEx(hit);
    const qav::MergeSide m = qav::MergeSide::Merged(merged), a = qav::MergeSide::Atom(first.result);
    // OR puts the merged hits first, whichever side they come from.
    const std::vector<HitTuple> all{{0, Sentence(2), 7, 1}, {0, Sentence(1), 1, 1}, {0, Sentence(2), 1, 1}};
    EXPECT_EQ(Merge(m, a, qav::kMergeOr), all);
    EXPECT_EQ(Merge(a, m, qav::kMergeOr), all);
    EXPECT_EQ(Merge(a, m, qav::kMergeNot), (std::vector<HitTuple>{{0, Sentence(1), 1, 1}}));
    EXPECT_TRUE(Merge(m, a, qav::kMergeNot).empty());
    EXPECT_EQ(Merge(m, a, qav::kMergeAnd), (std::vector<HitTuple>{{0, Sentence(2), 7, 1}, {0, Sentence(2), 1, 1}}));
}

TEST_F(SetMergeTest, ExactKeysConfirmTheBits) {
    ASSERT_TRUE(area.ForMergeInit(8, 64, nullptr));
    qav::MergeRun run(area, env);
    AtomResult tagged({{Sentence(1), 2, 1}});
    run.SetHashTagEx(qav::MergeSide::Atom(tagged.result), false);
    EXPECT_TRUE(area.HasTagKeyBits(Sentence(1)));
    EXPECT_TRUE(area.HasTagKey(Sentence(1), (uint64_t{1} << 32) | Sentence(1)));
    EXPECT_FALSE(area.HasTagKey(Sentence(1), Sentence(1)));  // file 0
    area.ClearTag();
    EXPECT_FALSE(area.HasTagKey(Sentence(1), (uint64_t{1} << 32) | Sentence(1)));
}

}  // namespace
