// Ranges of sentence keys and the search for the range holding a key.
#include "qav/search/filter/limit_list.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

int64_t Key(int64_t file, int64_t position) { return (file << 32) | position; }

struct Probe {
    int64_t key;
    int range;
};

void ExpectRanges(const qav::CLimitList& limits, const std::vector<Probe>& probes) {
    for (const Probe& p : probes)
        EXPECT_EQ(limits.RetLimitNo(p.key), p.range) << (p.key >> 32) << ":" << (p.key & 0xFFFFFFFF);
}

TEST(LimitListTest, RangesAreInclusiveAtBothEnds) {
    qav::CLimitList limits;
    limits.Add2Limit({Key(5, 0), Key(5, 1000)});
    limits.Add2Limit({Key(7, 0), Key(7, 50)});
    ExpectRanges(limits, {{Key(5, 0), 0}, {Key(5, 1000), 0}, {Key(5, 1001), -1}, {Key(6, 10), -1},
                          {Key(7, 0), 1}, {Key(7, 50), 1}, {Key(7, 51), -1}, {Key(4, 999), -1}});
}

TEST(LimitListTest, AnyOrderOfRangesFindsTheirKeys) {
    qav::CLimitList limits;
    limits.Add2Limit({Key(7, 0), Key(7, 50)});
    limits.Add2Limit({Key(5, 0), Key(5, 1000)});
    limits.Add2Limit({Key(9, 0), Key(9, 10)});
    limits.Add2Limit({Key(5, 900), Key(6, 5)});  // overlaps the second
    limits.Add2Limit({Key(3, 9), Key(3, 1)});    // reversed: holds nothing
    ExpectRanges(limits, {{Key(7, 20), 0}, {Key(5, 1000), 1}, {Key(9, 10), 2}, {Key(6, 5), 3},
                          {Key(6, 6), -1}, {Key(3, 5), -1}});
    EXPECT_EQ(limits.RetLimitNo(Key(5, 1000), 2, 4), 3);

    limits.ClearLimit();
    limits.Add2Limit({Key(1, 0), Key(1, 9)});
    limits.Add2Limit({Key(2, 0), Key(2, 9)});
    ExpectRanges(limits, {{Key(2, 9), 1}, {Key(1, 10), -1}});
}

TEST(LimitListTest, EmptyListAnswersZero) {
    qav::CLimitList limits;
    EXPECT_TRUE(limits.empty());
    EXPECT_EQ(limits.RetLimitNo(Key(3, 3)), 0);
}

TEST(LimitListTest, BisectionStaysWithinTheGivenBounds) {
    qav::CLimitList limits;
    for (int64_t i = 0; i < 8; ++i) limits.Add2Limit({Key(i, 0), Key(i, 99)});
    EXPECT_EQ(limits.RetLimitNo(Key(6, 5), 0, 7), 6);
    EXPECT_EQ(limits.RetLimitNo(Key(6, 5), 0, 5), -1);
    EXPECT_EQ(limits.RetLimitNo(Key(1, 5), 2, 7), -1);
}

}  // namespace
