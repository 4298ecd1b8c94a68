// The places of a tag search's records, and the joins that test them instead
// of walking the records.
#include <gtest/gtest.h>

#include <vector>

#include "merge_fixture.h"
#include "qav/search/merge/join_relation.h"
#include "qav/search/merge/merge_run.h"
#include "qav/search/merge/tag_places.h"

using namespace mergetest;

namespace {

TEST(TagPlaces, ARecordIsFoundOnlyFromItsOwnSentence) {
    MergeCorpus data;
    // Sentences are ten words long; the record of sentence 1 anchors at the
    // place that lies ten words after sentence 0's position.
    AtomResult tags({{Sentence(0), 3}, {Sentence(1), 0}, {Sentence(2), 9, 1}}, qav::UNIT_POS_L);
    qav::TagPlaces places;
    bool cut = true;
    ASSERT_TRUE(places.Fill(tags.result, data.ctx, cut));
    EXPECT_FALSE(cut);
    EXPECT_TRUE(places.Has(0, Sentence(0), 3));
    EXPECT_FALSE(places.Has(0, Sentence(0), 2));
    EXPECT_FALSE(places.Has(0, Sentence(0), 10));  // sentence 1's record
    EXPECT_TRUE(places.Has(0, Sentence(1), 0));
    EXPECT_FALSE(places.Has(0, Sentence(1), -1));
    EXPECT_FALSE(places.Has(0, Sentence(2), 9));  // that record is of file 1
    EXPECT_TRUE(places.Has(1, Sentence(2), 9));
    EXPECT_FALSE(places.Has(2, Sentence(2), 9));  // no such file
}

TEST(TagPlaces, SearchesWhoseRecordsAPlaceCannotNameAreRefused) {
    MergeCorpus data;
    // A record of the previous sentence's last word, and two records at one place.
    AtomResult before({{Sentence(0), 3}, {Sentence(1), -1}}, qav::UNIT_POS_R);
    AtomResult twice({{Sentence(0), 5}, {Sentence(0) + 2, 3}}, qav::UNIT_POS_L);
    for (const AtomResult* atom : {&before, &twice}) {
        qav::TagPlaces places;
        bool cut = false;
        EXPECT_FALSE(places.Fill(atom->result, data.ctx, cut));
        EXPECT_FALSE(qav::TagPlacesOf(atom->result, data.ctx, 7, cut));
    }
}

TEST(TagPlaces, PlacesAreKeptPerIndexAndSearch) {
    MergeCorpus data;
    AtomResult tags({{Sentence(0), 3}, {Sentence(1), 0}}, qav::UNIT_POS_L);
    AtomResult other({{Sentence(0), 3}}, qav::UNIT_POS_L);
    tags.result.m_Query.unit = other.result.m_Query.unit = "n|";
    bool cut = false;
    const auto kept = qav::TagPlacesOf(tags.result, data.ctx, 11, cut);
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept, qav::TagPlacesOf(tags.result, data.ctx, 11, cut));
    // Other segments, another index, no index, a search filled by hand.
    EXPECT_NE(kept, qav::TagPlacesOf(other.result, data.ctx, 11, cut));
    EXPECT_NE(kept, qav::TagPlacesOf(tags.result, data.ctx, 12, cut));
    EXPECT_NE(kept, qav::TagPlacesOf(tags.result, data.ctx, 0, cut));
    // Dropped with the index.
    const auto again = qav::TagPlacesOf(tags.result, data.ctx, 12, cut);
    EXPECT_EQ(again, qav::TagPlacesOf(tags.result, data.ctx, 12, cut));
    qav::DropKeptTagPlaces();
    EXPECT_NE(again, qav::TagPlacesOf(tags.result, data.ctx, 12, cut));
    tags.result.m_Query.unit.clear();
    EXPECT_NE(kept, qav::TagPlacesOf(tags.result, data.ctx, 12, cut));
}

// A join with a large tag search pairs exactly as the walk of its records:
// the walk is what the same join does when the search is marked incomplete.
TEST(TagPlaces, JoinsAtTagPlacesPairAsTheWalkDoes) {
    MergeCorpus data;
    FakeEnv env{data.ctx};
    qav::CForMerge area;
    ASSERT_TRUE(area.ForMergeInit(8, 64, nullptr));
    // Two records per sentence, at words (i % 7) and (i % 7 + 3) of sentence
    // i: enough records for the places to be taken, and more than either
    // probe side has, so that the tags are the list side.
    std::vector<Rec> tagRecords;
    for (int i = 0; i < 12000; ++i)
        for (int word : {i % 7, i % 7 + 3})
            tagRecords.push_back({Sentence(i), static_cast<int16_t>(word), static_cast<uint8_t>(i % 2)});
    AtomResult tags(tagRecords, qav::UNIT_POS_L);
    env.excluded.insert({0, Sentence(14)});
    // Probe sides paired as one list of hits, and large enough to be made
    // and paired in shares.
    for (int probeSentences : {3000, 10000}) {
        // Probe hits before, on and after the tag words, among them sentences'
        // last words, whose next place is the next sentence's first word.
        std::vector<Rec> probeRecords;
        for (int i = 0; i < probeSentences; ++i) {
            probeRecords.push_back({Sentence(i), static_cast<int16_t>(i % 10), static_cast<uint8_t>(i % 2)});
            probeRecords.push_back({Sentence(i), 9, static_cast<uint8_t>(i % 2)});
        }
        AtomResult probe(probeRecords);
        size_t pairs = 0;
        for (const char* relation : {"Link", "SameLeft", "SameRight", "ShareTag", "ShareQuery", "SameBoundary"}) {
            for (int wave : {0, 1}) {
                SCOPED_TRACE(::testing::Message() << relation << " wave " << wave);
                tags.result.m_Query.waves[0].value = static_cast<uint32_t>(wave);
                for (bool tagsLeft : {true, false}) {
                    const auto [joined, walked] =
                        JoinWithAndWithoutShortcuts(area, env, tags, qav::MergeSide::Atom(probe.result), tagsLeft,
                                                    qav::JoinRelationCode(relation));
                    EXPECT_EQ(joined, walked) << (tagsLeft ? "tags left" : "tags right");
                    pairs += joined.size();
                }
            }
        }
        EXPECT_GT(pairs, static_cast<size_t>(probeSentences));
    }
    EXPECT_FALSE(env.approximate);
}

}  // namespace
