// Hash joins of two results in the merge work area.
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <string>
#include <utility>
#include <tuple>
#include <vector>

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

namespace {

// Large enough that both passes of a join run in shares.
class LargeJoinTest : public JoinTest {
protected:
    static constexpr int kSentences = 12000;  // per data file

    // Left: word 3 of every sentence of both files, last sentence first.
    // Right: words 4 and 6 of every sentence, in sentence order.
    LargeJoinTest() : left(LeftRecords()), right(RightRecords()) {}
    static std::vector<Rec> LeftRecords() {
        std::vector<Rec> recs;
        for (int i = kSentences - 1; i >= 0; --i)
            for (uint8_t file = 0; file < 2; ++file) recs.push_back({Sentence(i), 3, file});
        return recs;
    }
    static std::vector<Rec> RightRecords() {
        std::vector<Rec> recs;
        for (uint8_t file = 0; file < 2; ++file)
            for (int i = 0; i < kSentences; ++i) {
                recs.push_back({Sentence(i), 4, file});
                recs.push_back({Sentence(i), 6, file});
            }
        return recs;
    }
    // Pairs in the probe side's order, each probe hit's partners last
    // gathered first: what a single walk gives.
    static std::vector<HitTuple> Expected() {
        std::vector<HitTuple> pairs;
        for (const Rec& r : LeftRecords()) {
            pairs.emplace_back(r.file, r.position, 3, 4);
            pairs.emplace_back(r.file, r.position, 3, 2);
        }
        return pairs;
    }

    AtomResult left;
    AtomResult right;
};

TEST_F(LargeJoinTest, SharesGiveTheSingleWalksPairsInItsOrder) {
    const std::vector<HitTuple> expected = Expected();
    ASSERT_TRUE(out.QAVRetInit(static_cast<int>(expected.size())));
    EXPECT_EQ(Join(qav::MergeSide::Atom(left.result), qav::MergeSide::Atom(right.result), "SameSent"), expected);
    EXPECT_FALSE(env.approximate);

    // The same with the left side already merged: it probes, being smaller.
    qav::CQAVRet merged;
    ASSERT_TRUE(merged.QAVRetInit(2 * kSentences));
    merged.Clear();
    for (const Rec& r : LeftRecords()) {
        qav::CRetInfo hit = qav::ClearedRetInfo();
        hit.file_no = r.file;
        hit.position = r.position;
        hit.start = 3;
        hit.length = 1;
        merged.Add2QAVRetEx(hit);
    }
    EXPECT_EQ(Join(qav::MergeSide::Merged(merged), qav::MergeSide::Atom(right.result), "SameSent"), expected);

    // Limits leave the sentences out wherever their records fall.
    env.excluded.insert({1, Sentence(kSentences - 1)});
    env.excluded.insert({0, Sentence(0)});
    std::vector<HitTuple> limited;
    for (const HitTuple& pair : expected)
        if (!env.excluded.count({static_cast<uint8_t>(std::get<0>(pair)), std::get<1>(pair)})) limited.push_back(pair);
    EXPECT_EQ(Join(qav::MergeSide::Atom(left.result), qav::MergeSide::Atom(right.result), "SameSent"), limited);
}

TEST_F(LargeJoinTest, AFewProbeHitsFindTheirPartnersAmongManyRecords) {
    // A probe side of a hundred hits, in sentences far apart and in both
    // files, against the right side's 48,000 records; and a probe sentence
    // beside the files' ends.
    std::vector<Rec> few;
    for (int i = 0; i < 50; ++i)
        for (uint8_t file = 0; file < 2; ++file) few.push_back({Sentence(i * 211 % kSentences), 3, file});
    few.push_back({Sentence(kSentences - 1), 3, 1});
    AtomResult small(few);
    std::vector<HitTuple> expected;
    for (const Rec& r : few) {
        expected.emplace_back(r.file, r.position, 3, 4);
        expected.emplace_back(r.file, r.position, 3, 2);
    }
    ASSERT_TRUE(out.QAVRetInit(static_cast<int>(expected.size())));
    EXPECT_EQ(Join(qav::MergeSide::Atom(small.result), qav::MergeSide::Atom(right.result), "SameSent"), expected);
    EXPECT_FALSE(env.approximate);
}

TEST_F(LargeJoinTest, AFullOutputKeepsTheFirstPairsAndCountsTheRest) {
    const std::vector<HitTuple> expected = Expected();
    ASSERT_TRUE(out.QAVRetInit(1000));
    const auto pairs = Join(qav::MergeSide::Atom(left.result), qav::MergeSide::Atom(right.result), "SameSent");
    EXPECT_EQ(pairs, std::vector<HitTuple>(expected.begin(), expected.begin() + 1000));
    EXPECT_EQ(static_cast<int64_t>(expected.size()) - 1000, out.m_nLeftOut);
}

TEST_F(LargeJoinTest, SharesStopAtTheTimeLimitAndMarkTheJoinApproximate) {
    ASSERT_TRUE(out.QAVRetInit(static_cast<int>(Expected().size())));
    qav::g_nQueryTimeoutMs = 1;
    qav::g_queryStartTime = std::chrono::steady_clock::now() - std::chrono::seconds(1);
    const auto pairs = Join(qav::MergeSide::Atom(left.result), qav::MergeSide::Atom(right.result), "SameSent");
    qav::g_nQueryTimeoutMs = 0;
    EXPECT_TRUE(env.approximate);
    EXPECT_LT(pairs.size(), Expected().size());
}

// Under the relations with one meeting place only the list hits at a probe
// hit's place are kept; the pairs and their order are those of a walk that
// tries every hit of the sentence, on one thread and in shares, whichever
// side probes and whether it is merged.
TEST_F(JoinTest, RelationsWithOneMeetingPlaceGiveEveryPairInOrder) {
    // One-word hits at word indices of a few kinds of places, words 0 to 6
    // and the last word of the sentence before (-1), sentences alternating
    // between the two files; words 10 and 12 lie in the next sentence, so
    // that the same corpus place stands in two sentences.
    auto records = [](int sentences, std::initializer_list<int16_t> indices, bool reversed) {
        std::vector<Rec> recs;
        for (int n = 0; n < sentences; ++n) {
            const int i = reversed ? sentences - 1 - n : n;
            for (int16_t index : indices) recs.push_back({Sentence(i), index, static_cast<uint8_t>(i % 2)});
        }
        return recs;
    };
    auto hitOf = [](const Rec& r) {
        qav::CRetInfo hit = qav::ClearedRetInfo();
        hit.file_no = r.file;
        hit.position = r.position;
        hit.start = r.index;
        hit.length = 1;
        return hit;
    };
    const std::initializer_list<int16_t> few = {1, 3, 5, 12, -1}, more = {2, 3, 6, 10, 0, 4};
    for (int sentences : {40, 9000}) {
        for (bool leftProbes : {true, false}) {
            // The side with fewer records probes.
            const std::vector<Rec> leftRecs = records(sentences, leftProbes ? few : more, true);
            const std::vector<Rec> rightRecs = records(sentences, leftProbes ? more : few, false);
            const std::vector<Rec>& probeRecs = leftProbes ? leftRecs : rightRecs;
            const std::vector<Rec>& listRecs = leftProbes ? rightRecs : leftRecs;
            AtomResult left(leftRecs), right(rightRecs);
            // The probe side once more as a merged result, which probes too.
            qav::CQAVRet merged;
            ASSERT_TRUE(merged.QAVRetInit(static_cast<int>(probeRecs.size())));
            merged.Clear();
            for (const Rec& r : probeRecs) merged.Add2QAVRetEx(hitOf(r));
            const qav::MergeSide mergedProbe = qav::MergeSide::Merged(merged);
            for (const char* relation : {"Link", "ShareTag", "ShareQuery", "SameLeft", "SameRight", "SameBoundary", "*"}) {
                SCOPED_TRACE(std::string(relation) + " over " + std::to_string(sentences) + " sentences, left probes " +
                             std::to_string(leftProbes));
                const int code = qav::JoinRelationCode(relation);
                std::map<std::pair<int, uint32_t>, std::vector<Rec>> listBySentence;
                for (const Rec& r : listRecs) listBySentence[{r.file, r.position}].push_back(r);
                std::vector<HitTuple> expected;
                for (const Rec& p : probeRecs) {
                    const std::vector<Rec>& ofSentence = listBySentence[{p.file, p.position}];
                    for (auto l = ofSentence.rbegin(); l != ofSentence.rend(); ++l) {
                        const qav::CRetInfo lh = leftProbes ? hitOf(p) : hitOf(*l);
                        const qav::CRetInfo rh = leftProbes ? hitOf(*l) : hitOf(p);
                        if (!qav::IsJoinMatch(lh, rh, code)) continue;
                        const qav::CRetInfo joined = qav::JoinRetInfo(lh, rh);
                        expected.emplace_back(joined.file_no, joined.position, joined.start, joined.length);
                    }
                }
                ASSERT_TRUE(out.QAVRetInit(static_cast<int>(expected.size()) + 1));
                EXPECT_EQ(Join(qav::MergeSide::Atom(left.result), qav::MergeSide::Atom(right.result), relation),
                          expected);
                EXPECT_EQ(leftProbes ? Join(mergedProbe, qav::MergeSide::Atom(right.result), relation)
                                     : Join(qav::MergeSide::Atom(left.result), mergedProbe, relation),
                          expected);
                EXPECT_FALSE(env.approximate);
            }
        }
    }
}

}  // namespace
