// The walks behind context lines: when results are sampled or paged, the
// sample stride, pages with duplicates, early stops, totals, the approximate
// flag and the time limit. Records carry their sentence key in the position
// field; the acceptance test is the test's own.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <utility>
#include <vector>

#include "qav/search/atom/atom_ret.h"
#include "qav/search/rows/context_walk.h"
#include "qav/index/format/offset_record_fields.h"
#include "qav/search/merge/qav_ret.h"
#include "qav/search/filter/query_clock.h"
#include "qav/search/search_fixture.h"

namespace {

// Records of the given sentence positions, one segment each run.
class RecordRuns {
public:
    void AddRun(const std::vector<uint32_t>& positions, uint8_t width = 8) {
        std::vector<unsigned char> bytes;
        for (uint32_t p : positions) {
            const std::vector<unsigned char> r = searchtest::Record(p, 0, 0, 0, width < 9 ? 8 : 9);
            bytes.insert(bytes.end(), r.begin(), r.end());
            bytes.resize(bytes.size() + (width > 9 ? width - 9 : 0));
        }
        runs_.push_back(std::move(bytes));
        widths_.push_back(width);
        counts_.push_back(static_cast<int32_t>(positions.size()));
    }
    void AddRange(uint32_t from, uint32_t count) {
        std::vector<uint32_t> positions(count);
        for (uint32_t i = 0; i < count; ++i) positions[i] = from + i;
        AddRun(positions);
    }
    // The runs as an atom result; the runs must outlive it.
    void Fill(qav::CAtomRet& result) const {
        ASSERT_TRUE(result.AtomRetInit(static_cast<int>(runs_.size()) + 1));
        result.Take();
        for (size_t i = 0; i < runs_.size(); ++i)
            ASSERT_TRUE(result.AddSegment(runs_[i].data(), 0, counts_[i], widths_[i]));
    }

private:
    std::vector<std::vector<unsigned char>> runs_;
    std::vector<uint8_t> widths_;
    std::vector<int32_t> counts_;
};

struct Walked {
    qav::ContextWalkResult result;
    std::vector<uint64_t> rows;  // keys in row order
    int64_t tested = 0;          // acceptance tests run
};

// Accepts every record whose position is not in rejected.
Walked WalkAtom(const RecordRuns& runs, const qav::ContextWalkSetup& setup,
                std::function<bool(uint32_t)> acceptPosition = [](uint32_t) { return true; }) {
    qav::CAtomRet result;
    runs.Fill(result);
    Walked out;
    std::unordered_set<uint64_t> seen;
    out.result = qav::WalkAtomContext(
        result, setup, seen,
        [&](const unsigned char* record, uint8_t, uint64_t& key) {
            ++out.tested;
            key = qav::GetOffset(record);
            return acceptPosition(qav::GetOffset(record));
        },
        [&](uint64_t key) { out.rows.push_back(key); });
    return out;
}

qav::ContextWalkSetup PageSetup(int page, int pageSize, bool hasLimits = false, bool conditions = false) {
    qav::ContextWalkSetup setup;
    setup.page = page;
    setup.pageSize = qav::NormalContextPageSize(pageSize);
    setup.hasLimits = hasLimits;
    setup.conditions = conditions || hasLimits;
    return setup;
}

class ContextWalkTest : public testing::Test {
protected:
    void TearDown() override {
        qav::g_nQueryTimeoutMs = 0;
        qav::g_queryStartTime = std::chrono::steady_clock::now();
    }
    static void StartTimedOut() {
        qav::g_nQueryTimeoutMs = 1;
        qav::g_queryStartTime = std::chrono::steady_clock::now() - std::chrono::seconds(1);
    }
};

TEST_F(ContextWalkTest, WhichWalkAndStride) {
    EXPECT_EQ(qav::NormalContextPageSize(-1), 1024);
    EXPECT_EQ(qav::NormalContextPageSize(7), 7);
    struct Case {
        bool hasLimits;
        int64_t hits;
        int pageSize;
        bool sampled;
    } cases[] = {
        {false, 200000, 100, false},
        {false, 200001, 100, true},
        {true, 300000, 100, false},  // limit ranges: always paged
        {false, 300000, 0, false},   // no page to fill
    };
    for (const Case& c : cases) EXPECT_EQ(qav::UseSampledWalk(c.hasLimits, c.hits, c.pageSize), c.sampled) << c.hits;
    EXPECT_EQ(qav::SampleStride(false, 300000, 100000), 3);
    EXPECT_EQ(qav::SampleStride(false, 250000, 100000), 2);  // below 3: 2
    EXPECT_EQ(qav::SampleStride(false, 1000000, 1000), 1000);
    EXPECT_EQ(qav::SampleStride(true, 1000000, 1000), 10000);
}

TEST_F(ContextWalkTest, TwoHundredThousandHitsArePagedOneMoreSampled) {
    RecordRuns paged;
    paged.AddRange(0, 200000);
    Walked w = WalkAtom(paged, PageSetup(0, 100));
    ASSERT_EQ(w.rows.size(), 100u);
    EXPECT_EQ(w.rows[99], 99u);  // the first page, in order
    EXPECT_EQ(w.result.total, 200000);

    RecordRuns sampled;
    sampled.AddRange(0, 200001);
    w = WalkAtom(sampled, PageSetup(0, 100));
    ASSERT_EQ(w.rows.size(), 100u);
    EXPECT_EQ(w.rows[1] - w.rows[0], 2000u);  // every 200,001 / 100-th record
    EXPECT_EQ(w.result.total, 200001);
}

TEST_F(ContextWalkTest, SampledWalkWithoutConditionsFillsThePageAtTheStride) {
    RecordRuns runs;
    runs.AddRange(0, 150000);
    runs.AddRange(150000, 150000);  // numbering runs on across segments
    const Walked w = WalkAtom(runs, PageSetup(5, 100000));  // the page plays no part
    ASSERT_EQ(w.rows.size(), 100000u);
    for (size_t i = 1; i < w.rows.size(); ++i) ASSERT_EQ(w.rows[i] - w.rows[i - 1], 3u);
    EXPECT_EQ(w.result.total, 300000);
    EXPECT_FALSE(w.result.approximate);
}

TEST_F(ContextWalkTest, SampledWalkWithConditions) {
    RecordRuns runs;
    runs.AddRange(0, 250000);
    qav::ContextWalkSetup setup = PageSetup(0, 10, false, true);
    // Every sample point accepted: 10,000 apart, the page filled, total h, approximate.
    Walked w = WalkAtom(runs, setup);
    ASSERT_EQ(w.rows.size(), 10u);
    EXPECT_EQ(w.rows[1] - w.rows[0], 10000u);
    EXPECT_EQ(w.result.total, 250000);
    EXPECT_TRUE(w.result.approximate);

    // A sample point gives up after 100 misses in a row. The phase of the
    // samples is random, so the last point may have fewer records left.
    w = WalkAtom(runs, setup, [](uint32_t) { return false; });
    EXPECT_TRUE(w.rows.empty());
    EXPECT_GT(w.tested, 24 * 100);
    EXPECT_LE(w.tested, 25 * 100);
    EXPECT_EQ(w.result.total, 0);
    EXPECT_TRUE(w.result.approximate);

    // The walk ends short of the page (25 sample points, the last of which may
    // find no accepted record before the end): total h when a row was made.
    w = WalkAtom(runs, PageSetup(0, 30, false, true), [](uint32_t p) { return p % 50 == 0; });
    EXPECT_GE(w.rows.size(), 24u);
    EXPECT_LE(w.rows.size(), 25u);
    EXPECT_EQ(w.result.total, 250000);
    EXPECT_TRUE(w.result.approximate);
}

TEST_F(ContextWalkTest, PagedWalkCountsDistinctAcceptedSentences) {
    RecordRuns runs;
    runs.AddRun({5, 5, 6, 7, 7, 8, 9, 3});
    runs.AddRun({9, 9}, 10);  // no offset records: skipped
    runs.AddRun({});
    runs.AddRun({10, 5});
    auto reject3 = [](uint32_t p) { return p != 3; };
    struct Case {
        int page, pageSize;
        std::vector<uint64_t> rows;
    } cases[] = {
        {0, 2, {5, 6}},
        {1, 2, {7, 8}},
        {2, 2, {9, 10}},
        {3, 2, {}},
        {0, -1, {5, 6, 7, 8, 9, 10}},
    };
    for (const Case& c : cases) {
        const Walked w = WalkAtom(runs, PageSetup(c.page, c.pageSize), reject3);
        EXPECT_EQ(w.rows, c.rows) << c.page;
        EXPECT_EQ(w.result.total, 6);
        EXPECT_FALSE(w.result.approximate);
    }
}

TEST_F(ContextWalkTest, PagedWalkStopsAtThePageEndOnlyInLargeResults) {
    RecordRuns large;
    large.AddRange(0, 204801);
    Walked w = WalkAtom(large, PageSetup(1, 10, true));
    EXPECT_EQ(w.rows.size(), 10u);
    EXPECT_EQ(w.rows.front(), 10u);
    EXPECT_EQ(w.tested, 20);
    EXPECT_EQ(w.result.total, 204801);
    EXPECT_TRUE(w.result.approximate);  // limits may reject records it did not test

    RecordRuns below;
    below.AddRange(0, 204800);
    w = WalkAtom(below, PageSetup(1, 10, true), [](uint32_t p) { return p % 2 == 0; });
    EXPECT_EQ(w.rows.size(), 10u);
    EXPECT_EQ(w.tested, 204800);
    EXPECT_EQ(w.result.total, 102400);
    EXPECT_FALSE(w.result.approximate);
}

TEST_F(ContextWalkTest, TimeLimitEndsTheWalks) {
    RecordRuns runs;
    runs.AddRange(0, 300000);
    StartTimedOut();
    Walked w = WalkAtom(runs, PageSetup(0, 100));  // sampled: total is the rows made
    EXPECT_EQ(w.rows.size(), 1u);
    EXPECT_EQ(w.result.total, 1);
    EXPECT_TRUE(w.result.approximate);

    w = WalkAtom(runs, PageSetup(0, 100, true));  // paged
    EXPECT_EQ(w.rows.size(), 1u);
    EXPECT_EQ(w.result.total, 0);
    EXPECT_TRUE(w.result.approximate);

    // Without a limit of its own the thread gets five hours.
    qav::g_nQueryTimeoutMs = 0;
    qav::g_queryStartTime = std::chrono::steady_clock::now() - std::chrono::hours(4);
    w = WalkAtom(runs, PageSetup(0, 100, true));
    EXPECT_EQ(w.rows.size(), 100u);
    EXPECT_EQ(w.result.total, 300000);
    qav::g_queryStartTime = std::chrono::steady_clock::now() - std::chrono::hours(5);
    w = WalkAtom(runs, PageSetup(0, 100, true));
    EXPECT_EQ(w.rows.size(), 1u);
    EXPECT_TRUE(w.result.approximate);
}

TEST_F(ContextWalkTest, PagedWalkTestedInSharesGivesTheSameRowsAndTotal) {
    // Duplicates, rejections and a segment of no offset records across
    // enough records for shares.
    RecordRuns runs;
    std::vector<uint32_t> pairs;
    for (uint32_t i = 0; i < 30000; ++i) pairs.push_back(i / 2);
    runs.AddRun(pairs);
    runs.AddRun({1, 2, 3}, 10);
    runs.AddRange(14990, 12000);
    auto accept = [](uint32_t p) { return p % 7 != 3; };
    const std::function<bool(const unsigned char*, uint8_t, uint64_t&)> concurrent =
        [&](const unsigned char* record, uint8_t, uint64_t& key) {
            key = qav::GetOffset(record);
            return accept(qav::GetOffset(record));
        };
    const std::pair<int, int> pages[] = {{0, 1000}, {7, 500}, {0, -1}, {60, 500}};
    for (const auto& [page, pageSize] : pages) {
        const Walked single = WalkAtom(runs, PageSetup(page, pageSize, true), accept);
        qav::ContextWalkSetup setup = PageSetup(page, pageSize, true);
        setup.concurrentAccept = &concurrent;
        const Walked shared = WalkAtom(runs, setup, accept);
        EXPECT_EQ(single.rows, shared.rows) << page;
        EXPECT_EQ(single.result.total, shared.result.total) << page;
        EXPECT_EQ(single.result.approximate, shared.result.approximate) << page;
        // Only the rows' records are tested again on the calling thread.
        EXPECT_EQ(static_cast<int64_t>(shared.rows.size()), shared.tested) << page;
    }

    StartTimedOut();
    qav::ContextWalkSetup setup = PageSetup(0, 100, true);
    setup.concurrentAccept = &concurrent;
    const Walked w = WalkAtom(runs, setup, accept);
    EXPECT_TRUE(w.result.approximate);
    EXPECT_LT(w.result.total, 26991);
}

qav::CRetInfo Hit(uint8_t file, uint32_t position) {
    qav::CRetInfo hit = qav::ClearedRetInfo();
    hit.file_no = file;
    hit.position = position;
    return hit;
}

TEST_F(ContextWalkTest, MergedWalkEstimatesFromItsItems) {
    qav::CQAVRet merged;
    ASSERT_TRUE(merged.QAVRetInit(8));
    merged.Clear();
    // One sentence twice; the same position in another data file is another sentence.
    for (const qav::CRetInfo& hit : {Hit(0, 512), Hit(0, 512), Hit(1, 512), Hit(0, 600), Hit(0, 700)})
        merged.Add2QAVRetEx(hit);
    auto keyOf = [](const qav::CRetInfo& hit, uint64_t& key) {
        key = (uint64_t{hit.file_no} << 32) | hit.position;
        return hit.position != 700;
    };
    struct Case {
        bool estimate;
        int page, pageSize;
        size_t rows;
        int64_t total;
        bool approximate;
    } cases[] = {
        {true, 0, 10, 3, 4, false},   // five items less one duplicate
        {false, 0, 10, 3, 3, false},  // distinct accepted hits
        {true, 0, 1, 1, 5, false},    // stopped before the duplicate was seen
        {false, 0, 1, 1, 5, true},    // stopped without an estimate: the item count
        {false, 1, 2, 1, 3, false},
    };
    for (const Case& c : cases) {
        std::unordered_set<uint64_t> seen;
        std::vector<uint64_t> rows;
        const qav::ContextWalkResult r = WalkMergedContext(merged, c.estimate, PageSetup(c.page, c.pageSize), seen, keyOf,
                                                      [&](uint64_t key) { rows.push_back(key); });
        EXPECT_EQ(rows.size(), c.rows);
        EXPECT_EQ(r.total, c.total);
        EXPECT_EQ(r.approximate, c.approximate);
    }
}

}  // namespace
