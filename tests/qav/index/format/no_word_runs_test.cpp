// The places of a data file that hold no word, as runs, and the test of a
// place against them.
#include "qav/index/format/no_word_runs.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

constexpr uint32_t kNone = 0xFFFFFFFFu;  // the header and tail blocks' fill

TEST(NoWordRuns, RunsOfIdentifiersNotBelowTheWordCount) {
    struct Case {
        std::vector<uint32_t> words;
        std::vector<std::pair<uint32_t, uint32_t>> runs;
    };
    const Case cases[] = {
        {{}, {}},
        {{0, 1, 2}, {}},
        {{kNone, kNone, 0, 1, kNone}, {{0, 2}, {4, 5}}},
        {{0, 3, 7, 1}, {{1, 3}}},  // 3 is the word count: no word
        {{kNone}, {{0, 1}}},
        {{2, kNone, 2, kNone, kNone}, {{1, 2}, {3, 5}}},
    };
    for (const Case& c : cases) {
        const qav::NoWordRuns runs = qav::FindNoWordRuns(c.words.data(), static_cast<uint32_t>(c.words.size()), 3);
        std::vector<std::pair<uint32_t, uint32_t>> found;
        for (const qav::NoWordRun& run : runs) found.emplace_back(run.begin, run.end);
        EXPECT_EQ(found, c.runs) << "words " << c.words.size();
        // The runs answer for every place exactly as the identifiers do.
        for (uint32_t i = 0; i < c.words.size(); ++i)
            EXPECT_EQ(qav::InNoWordRun(runs, i), c.words[i] >= 3) << "place " << i;
    }
}

TEST(NoWordRuns, PlacesBetweenAndAfterTheRunsHoldWords) {
    const qav::NoWordRuns runs{{0, 512}, {600, 601}, {1000, 1512}};
    for (uint32_t place : {0u, 511u, 600u, 1000u, 1511u}) EXPECT_TRUE(qav::InNoWordRun(runs, place)) << place;
    for (uint32_t place : {512u, 599u, 601u, 999u, 1512u, 0xFFFFFFFFu})
        EXPECT_FALSE(qav::InNoWordRun(runs, place)) << place;
    EXPECT_FALSE(qav::InNoWordRun(qav::NoWordRuns{}, 0));
}

}  // namespace
