// A search's records filed by sentence, and the joins that take a few probe
// sentences' records from it instead of walking all the records.
#include <gtest/gtest.h>

#include <vector>

#include "merge_fixture.h"
#include "qav/search/merge/join_relation.h"
#include "qav/search/merge/merge_run.h"
#include "qav/search/merge/sentence_records.h"

using namespace mergetest;

namespace {

std::vector<uint32_t> RecordsOf(const qav::SentenceRecords& filing, uint8_t fileNo, uint32_t position) {
    std::vector<uint32_t> numbers;
    EXPECT_TRUE(filing.AddRecordsOf(fileNo, position, numbers));
    return numbers;
}

TEST(SentenceRecords, RecordsAreNumberedAcrossSegmentsAndFiledBySentence) {
    MergeCorpus data;
    // Sentences 1 to 3 lie in one block of places; a record of a file the
    // corpus lacks is numbered but not filed.
    AtomResult atom({{Sentence(3), 2},
                     {Sentence(1), 0},
                     {Sentence(3), 5},
                     {Sentence(3), 1, 1},
                     {Sentence(0), 0, 7},
                     {Sentence(1), 4},
                     {Sentence(2), 0}});
    atom.result.Take();
    ASSERT_TRUE(atom.result.AddSegment(atom.buffer.data(), 0, 5, 8));
    ASSERT_TRUE(atom.result.AddSegment(atom.buffer.data(), 5 * 8, 2, 8));
    qav::SentenceRecords filing;
    bool cut = true;
    ASSERT_TRUE(filing.Fill(atom.result, data.ctx, cut));
    EXPECT_FALSE(cut);
    EXPECT_EQ(RecordsOf(filing, 0, Sentence(3)), (std::vector<uint32_t>{0, 2}));
    EXPECT_EQ(RecordsOf(filing, 0, Sentence(1)), (std::vector<uint32_t>{1, 5}));
    EXPECT_EQ(RecordsOf(filing, 1, Sentence(3)), (std::vector<uint32_t>{3}));
    EXPECT_EQ(RecordsOf(filing, 0, Sentence(2)), (std::vector<uint32_t>{6}));
    EXPECT_TRUE(RecordsOf(filing, 0, Sentence(4)).empty());
    std::vector<uint32_t> numbers;
    EXPECT_FALSE(filing.AddRecordsOf(7, Sentence(0), numbers));
    EXPECT_FALSE(filing.AddRecordsOf(0, kWords, numbers));
    EXPECT_TRUE(numbers.empty());
}

// A join of a few probe hits with a large search pairs exactly as the walk
// of the search's records: the walk is what the same join does when the
// search is marked incomplete. The relations are those without one meeting
// place, under which the list side's hits are gathered by sentence.
TEST(SentenceRecords, JoinsOfFewProbeSentencesPairAsTheWalkDoes) {
    MergeCorpus data;
    FakeEnv env{data.ctx};
    qav::CForMerge area;
    ASSERT_TRUE(area.ForMergeInit(8, 64, nullptr));
    // Two or three records in each sentence of both files, in two segments,
    // the second holding records of the first one's sentences; their clause
    // is 1 from word 5 on.
    std::vector<Rec> listRecords;
    for (uint8_t file = 0; file < 2; ++file)
        for (int i = 0; i < 12000; ++i)
            for (int word : {i % 5, i % 5 + 4})
                listRecords.push_back({Sentence(i), static_cast<int16_t>(word), file, uint8_t{word >= 5}});
    const int firstSegment = static_cast<int>(listRecords.size());
    for (int i = 0; i < 12000; i += 3) listRecords.push_back({Sentence(i), 8, 0, 1});
    AtomResult list(listRecords, qav::UNIT_POS_L);
    list.result.Take();
    ASSERT_TRUE(list.result.AddSegment(list.buffer.data(), 0, firstSegment, 8));
    ASSERT_TRUE(list.result.AddSegment(list.buffer.data(), static_cast<uint64_t>(firstSegment) * 8,
                                       static_cast<int32_t>(listRecords.size()) - firstSegment, 8));
    // A hundred probe hits in sentences far apart, two of them in one
    // sentence, one in a sentence the limits leave out.
    std::vector<Rec> probeRecords;
    for (int i = 0; i < 100; ++i)
        probeRecords.push_back({Sentence(i * 113 % 12000), static_cast<int16_t>(i % 4), static_cast<uint8_t>(i % 2)});
    probeRecords.push_back({Sentence(0), 6, 0, 1});
    AtomResult probe(probeRecords);
    env.excluded.insert({1, Sentence(113)});
    qav::CQAVRet probeMerged;
    ASSERT_TRUE(probeMerged.QAVRetInit(1000));
    for (const Rec& r : probeRecords) {
        qav::CRetInfo hit = qav::ClearedRetInfo();
        hit.file_no = r.file;
        hit.position = r.position;
        hit.start = static_cast<uint8_t>(r.index);
        hit.length = 1;
        hit.clause = r.clause;
        probeMerged.Add2QAVRetEx(hit);
    }

    size_t pairs = 0;
    for (const char* relation : {"*", "^", "SameSent", "InChunk"}) {
        for (bool listLeft : {true, false}) {
            for (bool merged : {false, true}) {
                SCOPED_TRACE(::testing::Message() << relation << (listLeft ? " list left" : " list right")
                                                  << (merged ? ", merged probe" : ", atom probe"));
                const qav::MergeSide probeSide =
                    merged ? qav::MergeSide::Merged(probeMerged) : qav::MergeSide::Atom(probe.result);
                const auto [joined, walked] = JoinWithAndWithoutShortcuts(area, env, list, probeSide, listLeft,
                                                                          qav::JoinRelationCode(relation));
                EXPECT_EQ(joined, walked);
                pairs += joined.size();
            }
        }
    }
    EXPECT_GT(pairs, size_t{400});
    EXPECT_FALSE(env.approximate);
}

}  // namespace
