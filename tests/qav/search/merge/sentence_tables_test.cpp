// The join's tables: the exact sentence set and the list side's hits by
// sentence.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "qav/search/merge/parallel_shares.h"
#include "qav/search/merge/sentence_hits.h"
#include "qav/search/merge/sentence_set.h"

namespace {

TEST(SentenceSet, HoldsExactlyTheSentencesAddedInsideAndOutsideTheFiles) {
    // Two files of 1000 and 3 word places.
    std::vector<uint32_t> words(1000, 0);
    qav::RecordCompareContext corpus;
    corpus.files = {{words.data(), 1000}, {words.data(), 3}};
    qav::SentenceSet set;
    set.Reset(corpus);
    const std::pair<uint8_t, uint32_t> added[] = {{0, 0}, {0, 999}, {1, 2}, {1, 3}, {7, 5}, {0, 4000000000u}};
    for (const auto& [file, position] : added) set.Add(file, position);
    for (const auto& [file, position] : added) EXPECT_TRUE(set.Has(file, position)) << int{file} << ":" << position;
    // Neighbours, the same place in the other file, and places past a file's
    // end that were not added.
    const std::pair<uint8_t, uint32_t> absent[] = {{0, 1}, {0, 998}, {1, 0}, {1, 999}, {0, 2}, {1, 4}, {7, 6}, {2, 0}};
    for (const auto& [file, position] : absent) EXPECT_FALSE(set.Has(file, position)) << int{file} << ":" << position;

    set.Reset(corpus);
    for (const auto& [file, position] : added) EXPECT_FALSE(set.Has(file, position));

    // A second layer holds sentences of its own, outside the files too.
    set.Reset(corpus, 2);
    for (const auto& [file, position] : added) set.Add(file, position, 1);
    for (const auto& [file, position] : added) {
        EXPECT_TRUE(set.Has(file, position, 1)) << int{file} << ":" << position;
        EXPECT_FALSE(set.Has(file, position, 0)) << int{file} << ":" << position;
    }
    // Set up again in the same layout, the set holds nothing in either layer,
    // also where a sentence beside an old one is added.
    set.Add(0, 500, 0);
    set.Reset(corpus, 2);
    for (const auto& [file, position] : added)
        for (int layer : {0, 1}) EXPECT_FALSE(set.Has(file, position, layer)) << int{file} << ":" << position;
    set.Add(0, 1, 1);
    set.Add(0, 501, 0);
    EXPECT_FALSE(set.Has(0, 0, 1));
    EXPECT_FALSE(set.Has(0, 500, 0));
    EXPECT_TRUE(set.Has(0, 1, 1));
}

qav::CRetInfo Hit(uint8_t file, uint32_t position, int16_t start) {
    qav::CRetInfo hit = qav::ClearedRetInfo();
    hit.file_no = file;
    hit.position = position;
    hit.start = start;
    return hit;
}

TEST(SentenceSet, AddAllMarksWhatItsKeysGiveOnOneThreadOrInSharesInEveryLayer) {
    // Three files, the middle one large enough that shares meet inside it.
    std::vector<uint32_t> words(300000, 0);
    qav::RecordCompareContext corpus;
    corpus.files = {{words.data(), 1000}, {words.data(), 300000}, {words.data(), 5}};
    // Starts give the key: the sentence plus the start (plus the layer), or
    // none for odd starts; some keys fall outside the files.
    auto keyOf = [](int layer, const qav::CRetInfo& hit, uint8_t& file, uint32_t& position) {
        if (hit.start % 2 == 1) return false;
        file = hit.file_no;
        position = hit.position + static_cast<uint32_t>(hit.start + layer);
        return true;
    };
    for (int hits : {10, static_cast<int>(qav::kSharedPassFrom) * 2})
        for (int layers : {1, 2}) {
            SCOPED_TRACE(testing::Message() << hits << " hits, " << layers << " layers");
            std::vector<std::vector<qav::CRetInfo>> lists(3);
            for (int i = 0; i < hits; ++i) {
                const uint8_t file = static_cast<uint8_t>(i % 4);
                lists[static_cast<size_t>(i % 3)].push_back(
                    Hit(file, static_cast<uint32_t>(i * 37 % 310000), static_cast<int16_t>(i % 5)));
            }
            qav::SentenceSet set;
            set.Reset(corpus, layers);
            if (layers == 1) {
                set.AddAll(lists, [&](const qav::CRetInfo& hit, uint8_t& file, uint32_t& position) {
                    return keyOf(0, hit, file, position);
                });
            } else {
                set.AddAllLayers(lists, keyOf);
            }
            // The same marks added one by one, each layer in a set of its own.
            std::vector<qav::SentenceSet> one(static_cast<size_t>(layers));
            for (int layer = 0; layer < layers; ++layer) {
                qav::SentenceSet& single = one[static_cast<size_t>(layer)];
                single.Reset(corpus);
                uint8_t file = 0;
                uint32_t position = 0;
                for (const auto& list : lists)
                    for (const qav::CRetInfo& hit : list)
                        if (keyOf(layer, hit, file, position)) single.Add(file, position);
            }
            for (const auto& list : lists)
                for (const qav::CRetInfo& hit : list)
                    for (uint32_t shift = 0; shift < 6; ++shift)
                        for (int layer = 0; layer < layers; ++layer) {
                            const uint32_t position = hit.position + shift;
                            ASSERT_EQ(one[static_cast<size_t>(layer)].Has(hit.file_no, position),
                                      set.Has(hit.file_no, position, layer))
                                << int{hit.file_no} << ":" << position << " layer " << layer;
                        }
        }
}

TEST(SentenceHits, GivesTheHitsOfASentenceLastAddedFirst) {
    qav::SentenceHits hits;
    EXPECT_FALSE(hits.ForEachOfSentence(0, 1, [](const qav::CRetInfo&) {}));
    // Enough hits for several bucket sizes; sentence 10 of file 0 gets
    // three hits among them, the same position of file 1 one.
    for (int round = 0; round < 2; ++round) {
        hits.Clear();
        hits.Add(Hit(0, 10, 1));
        for (uint32_t i = 0; i < 100; ++i) hits.Add(Hit(0, 1000 + i, 0));
        hits.Add(Hit(1, 10, 2));
        hits.Add(Hit(0, 10, 3));
        hits.Add(Hit(0, 10, 4));
        hits.Index();
        std::vector<int> starts;
        EXPECT_TRUE(hits.ForEachOfSentence(0, 10, [&](const qav::CRetInfo& hit) { starts.push_back(hit.start); }));
        EXPECT_EQ(starts, (std::vector<int>{4, 3, 1}));
        starts.clear();
        EXPECT_TRUE(hits.ForEachOfSentence(1, 10, [&](const qav::CRetInfo& hit) { starts.push_back(hit.start); }));
        EXPECT_EQ(starts, (std::vector<int>{2}));
        EXPECT_FALSE(hits.ForEachOfSentence(2, 10, [](const qav::CRetInfo&) {}));
        EXPECT_EQ(104, hits.size());
    }
}

TEST(SentenceHits, AddAllKeepsTheOrderOfTheListsAndTheirHits) {
    qav::SentenceHits hits;
    hits.Add(Hit(0, 10, 1));
    // Empty lists among full ones, as shares that found nothing give.
    const std::vector<std::vector<qav::CRetInfo>> lists = {
        {Hit(0, 10, 2), Hit(0, 20, 3)}, {}, {Hit(0, 10, 4)}, {}, {Hit(1, 10, 5), Hit(0, 10, 6)}};
    hits.AddAll(lists);
    hits.AddAll({});
    hits.Index();
    EXPECT_EQ(6, hits.size());
    std::vector<int> starts;
    EXPECT_TRUE(hits.ForEachOfSentence(0, 10, [&](const qav::CRetInfo& hit) { starts.push_back(hit.start); }));
    EXPECT_EQ(starts, (std::vector<int>{6, 4, 2, 1}));
    starts.clear();
    EXPECT_TRUE(hits.ForEachOfSentence(0, 20, [&](const qav::CRetInfo& hit) { starts.push_back(hit.start); }));
    EXPECT_EQ(starts, (std::vector<int>{3}));
}

TEST(SentenceHits, LargeTablesAndHitsAddedAfterAnIndexKeepTheOrderAdded) {
    // More hits than a pass runs on one thread, some sentences with many
    // hits, in lists and one by one; then more hits after the first index.
    qav::SentenceHits hits;
    std::map<std::pair<int, uint32_t>, std::vector<int>> expected;  // sentence: starts, last added first
    int16_t next = 0;
    auto hit = [&](uint8_t file, uint32_t position) {
        expected[{file, position}].insert(expected[{file, position}].begin(), next);
        return Hit(file, position, next++);
    };
    std::vector<std::vector<qav::CRetInfo>> lists(3);
    for (int i = 0; i < static_cast<int>(qav::kSharedPassFrom) + 500; ++i)
        lists[static_cast<size_t>(i % 3)].push_back(Hit(0, 0, 0));
    // Filled in list order, so that the expected order is the order of the lists.
    for (std::vector<qav::CRetInfo>& list : lists)
        for (qav::CRetInfo& h : list) {
            const uint32_t position = static_cast<uint32_t>((next * 7919) % 5003);
            h = hit(static_cast<uint8_t>(next % 2), position);
        }
    hits.AddAll(lists);
    hits.Add(hit(1, 17));
    hits.Index();
    hits.Add(hit(1, 17));
    hits.Add(hit(0, 4));
    hits.Index();
    EXPECT_EQ(next, hits.size());
    for (const auto& [sentence, starts] : expected) {
        std::vector<int> seen;
        EXPECT_TRUE(hits.ForEachOfSentence(static_cast<uint8_t>(sentence.first), sentence.second,
                                           [&](const qav::CRetInfo& h) { seen.push_back(h.start); }));
        ASSERT_EQ(starts, seen) << sentence.first << ":" << sentence.second;
    }
    EXPECT_FALSE(hits.ForEachOfSentence(0, 6000, [](const qav::CRetInfo&) {}));
}

}  // namespace
