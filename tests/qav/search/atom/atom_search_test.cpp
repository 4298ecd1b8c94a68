// Atom search over a small index: leaf, complex and chunked units, the
// bounds of complex searches, use counts held by results, preloading, and
// searches racing with the release of loaded records.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "atom_index.h"
#include "qav/index/format/offset_record.h"
#include "qav/index/engine/qav_engine.h"
#include "qav/search/atom/atom_query.h"
#include "qav/search/atom/atom_ret.h"
#include "qav/search/atom/atom_search.h"
#include "qav/search/atom/engine_views.h"
#include "qav/search/qav_search.h"
#include "support/test_support.h"
#include "qav/service/engines.h"

namespace {

using qztest::AtomIndex;
using qztest::Gbk;
using qztest::TempDir;

// One segment as the tests see it: which unit's records, and which of them.
struct Segment {
    std::string unit;
    uint64_t first;  // index of the first record
    int32_t count;
    bool operator==(const Segment& other) const {
        return unit == other.unit && first == other.first && count == other.count;
    }
};

std::ostream& operator<<(std::ostream& out, const Segment& s) {
    return out << "{" << s.unit << " " << s.first << " " << s.count << "}";
}

class AtomSearch : public testing::Test {
protected:
    void Start(const std::string& extraConfig = "") {
        AtomIndex::Write(dir_.path(), extraConfig);
        testing::internal::CaptureStdout();
        const bool started = qav::GlobalInit("config.txt", dir_.path());
        testing::internal::GetCapturedStdout();
        ASSERT_TRUE(started);
        AtomIndex::DropPastEndRecords(dir_.path());
        engine_ = qav::g_pCQAVEngine;
        result_.AtomRetInit(engine_->m_config.m_SizeInfo.MaxAtomSearchRetSize);
    }
    void TearDown() override {
        result_.AtomRetExit();
        qav::GlobalExit();
    }

    qav::CSizeInfo& Sizes() { return engine_->m_config.m_SizeInfo; }

    qav::CAtomSearchQuery Query(const std::string& unit, const std::string& pattern) const {
        qav::CAtomSearchQuery query;
        query.SetAtomSearchQuery(qav::MakeAtomQueryEnv(engine_), unit, Gbk(pattern), "", "", "", "");
        return query;
    }

    bool Search(const std::string& unit, const std::string& pattern) {
        return qav::AtomSearch(*engine_, Query(unit, pattern), result_);
    }

    // The leaf node (not a complex one) of a unit text.
    qav::CHashNode* Leaf(const std::string& name) const {
        for (qav::CHashNode* node : engine_->m_unitTable.unit_list)
            if (node->name == name) return node;
        return nullptr;
    }

    // The result's segments, each named by the leaf whose records it lies in.
    std::vector<Segment> Segments() const {
        std::vector<Segment> segments;
        for (int i = 0; i < result_.m_nSegCount; ++i) {
            std::string unit = "?";
            for (qav::CHashNode* node : engine_->m_unitTable.unit_list)
                if (node->records() == result_.m_SegRecords[i]) unit = node->name;
            segments.push_back({unit, result_.m_SegOffset[i] / result_.m_SegWidth[i], result_.m_SegCount[i]});
        }
        return segments;
    }

    // Records of the result whose anchor does not follow left: none when the
    // records read are the ones the search found.
    int WrongRecords(const qav::CAtomRet& result, uint32_t left) const {
        int wrong = 0;
        for (int s = 0; s < result.m_nSegCount; ++s) {
            const unsigned char* record = result.m_SegRecords[s] + result.m_SegOffset[s];
            for (int r = 0; r < result.m_SegCount[s]; ++r, record += result.m_SegWidth[s]) {
                const qav::CSortIdxUnit fields = qav::DecodeOffsetRecord(record, result.m_SegWidth[s]);
                const int64_t anchor = int64_t{fields.position} + fields.index;
                if (engine_->m_corpus[fields.file_no][anchor - 1] != left) ++wrong;
            }
        }
        return wrong;
    }

    // No unit is in use and the loaded count is at its floor: only units at
    // least as large as what stays loaded are kept.
    void ExpectLoadedCountAtItsFloor() {
        for (qav::CHashNode* node : engine_->m_unitTable.unit_list) {
            EXPECT_EQ(0, node->use_count) << node->name;
            if (node->records()) {
                EXPECT_LE(engine_->m_loadedRecords, int64_t{node->count}) << node->name;
            }
        }
    }

    std::vector<int> UseCounts(const std::vector<std::string>& leaves) const {
        std::vector<int> counts;
        for (const std::string& name : leaves) counts.push_back(Leaf(name)->use_count);
        return counts;
    }

    TempDir dir_;
    qav::CQAVEngine* engine_ = nullptr;
    qav::CAtomRet result_;
};

std::vector<std::string> Children(const std::string& key, int n) {
    std::vector<std::string> names;
    for (int i = 0; i < n; ++i) names.push_back(AtomIndex::ChildName(key, i));
    return names;
}

TEST_F(AtomSearch, UnknownUnitFindsNothing) {
    Start();
    EXPECT_FALSE(Search("nowhere|", "甲"));
    EXPECT_EQ(0, result_.m_nSegCount);
    EXPECT_FALSE(result_.IsFree());
}

TEST_F(AtomSearch, LeafUnitGivesOneSegmentAndHoldsItsUnit) {
    Start();
    ASSERT_TRUE(Search("k10_2|", "甲"));
    EXPECT_EQ((std::vector<Segment>{{"k10_2|", 0, 3}}), Segments());
    EXPECT_EQ(8, result_.m_SegWidth[0]);
    EXPECT_EQ((std::vector<int>{1}), UseCounts({"k10_2|"}));
    result_.Release();
    EXPECT_EQ((std::vector<int>{0}), UseCounts({"k10_2|"}));

    // No match in a leaf: false, and the unit is not held.
    EXPECT_FALSE(Search("k10_1|", "甲"));
    EXPECT_EQ(0, result_.m_nSegCount);
    EXPECT_EQ((std::vector<int>{0}), UseCounts({"k10_1|"}));
    EXPECT_NE(nullptr, Leaf("k10_1|")->records());  // loaded all the same
}

TEST_F(AtomSearch, ComplexUnitListsSegmentsInChildOrderWhateverTheThreadCount) {
    Start();
    const std::vector<Segment> expected{{"k5_0|", 0, 1}, {"k5_2|", 0, 3}, {"k5_4|", 0, 5}};
    for (int threads : {1, 2, 3, 5, 8}) {
        Sizes().ThreadNum_AS = threads;
        ASSERT_TRUE(Search("k5|", "甲")) << threads;
        EXPECT_EQ(expected, Segments()) << threads << " threads";
        result_.Release();
    }
    // Children that match nothing still make a successful, empty search.
    Sizes().ThreadNum_AS = 2;
    EXPECT_TRUE(Search("k5|", "的"));
    EXPECT_EQ(0, result_.m_nSegCount);
}

TEST_F(AtomSearch, BoundsStopTheSearchOfFurtherChildren) {
    Start();
    struct Case {
        int maxChildren;
        int64_t maxRecords;
        std::vector<Segment> segments;
        std::vector<int> useCounts;  // of k10_0| to k10_9|
    };
    const Case cases[] = {
        {3, 214748364800LL, {{"k10_0|", 0, 1}, {"k10_2|", 0, 3}}, {1, 1, 1, 0, 0, 0, 0, 0, 0, 0}},
        // The first child holds 1 record: searching stops after it.
        {102400, 1, {{"k10_0|", 0, 1}}, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        // 1 + 2 records reach 3 after the second child.
        {102400, 3, {{"k10_0|", 0, 1}}, {1, 1, 0, 0, 0, 0, 0, 0, 0, 0}},
        {0, 214748364800LL, {}, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        Sizes().MaxAtomSearchRetSize = c.maxChildren;
        Sizes().MaxUnitCount_ToSearch = c.maxRecords;
        ASSERT_TRUE(Search("k10|", "甲"));
        EXPECT_EQ(c.segments, Segments()) << c.maxChildren << " " << c.maxRecords;
        EXPECT_EQ(c.useCounts, UseCounts(Children("k10|", 10))) << c.maxChildren << " " << c.maxRecords;
        result_.Release();
        EXPECT_EQ(std::vector<int>(10, 0), UseCounts(Children("k10|", 10)));
    }
}

TEST_F(AtomSearch, UseCountsReturnToZeroAfterRelease) {
    Start();
    Sizes().ThreadNum_AS = 2;
    qav::CHashNode* complex = engine_->m_unitTable.GetHashNode("k5|");
    ASSERT_TRUE(Search("k5|", "甲"));
    EXPECT_EQ(1, complex->use_count);
    EXPECT_EQ(std::vector<int>(5, 1), UseCounts(Children("k5|", 5)));

    // A second result over the same unit holds its own uses.
    qav::CAtomRet other;
    other.AtomRetInit(16);
    ASSERT_TRUE(qav::AtomSearch(*engine_, Query("k5|", "乙"), other));
    EXPECT_EQ(std::vector<int>(5, 2), UseCounts(Children("k5|", 5)));
    result_.Release();
    other.Release();
    EXPECT_EQ(0, complex->use_count);
    EXPECT_EQ(std::vector<int>(5, 0), UseCounts(Children("k5|", 5)));

    // Records of units no longer in use can be released again.
    Sizes().ToFreeMemCount = 214748364800LL;
    qav::FreeMem();
    EXPECT_EQ(nullptr, Leaf("k5_0|")->records());
}

TEST_F(AtomSearch, MissingChildIsSkipped) {
    Start();
    ASSERT_TRUE(Search("gap|", "甲"));
    EXPECT_EQ((std::vector<Segment>{{"k5_0|", 0, 1}, {"k5_2|", 0, 3}}), Segments());
    result_.Release();
}

TEST_F(AtomSearch, FailedLoadKeepsEarlierSegmentsAndHoldsOnlyTheirUnits) {
    Start();
    // One child per batch: k5_0| is collected before past_end| fails to load.
    ASSERT_FALSE(Search("broken|", "甲"));
    EXPECT_EQ((std::vector<Segment>{{"k5_0|", 0, 1}}), Segments());
    EXPECT_EQ((std::vector<int>{1, 0, 0}), UseCounts({"k5_0|", "past_end|", "k5_2|"}));
    EXPECT_EQ(0, engine_->m_unitTable.GetHashNode("broken|")->use_count);
    result_.Release();
    EXPECT_EQ((std::vector<int>{0, 0, 0}), UseCounts({"k5_0|", "past_end|", "k5_2|"}));

    // With the whole unit in one batch nothing is collected.
    Sizes().ThreadNum_AS = 3;
    ASSERT_FALSE(Search("broken|", "甲"));
    EXPECT_EQ(0, result_.m_nSegCount);
    EXPECT_EQ((std::vector<int>{0, 0, 0}), UseCounts({"k5_0|", "past_end|", "k5_2|"}));
}

TEST_F(AtomSearch, ChunkedUnitIsSearchedChunkByChunk) {
    Start();
    // The whole region (甲 乙 甲 乙) is not one sorted run; each chunk is.
    ASSERT_TRUE(Search("chunk|", "甲"));
    EXPECT_EQ((std::vector<Segment>{{"chunk|_0", 0, 1}, {"chunk|_1", 0, 1}}), Segments());
    result_.Release();
    ASSERT_TRUE(Search("chunk|", "乙"));
    EXPECT_EQ((std::vector<Segment>{{"chunk|_0", 1, 1}, {"chunk|_1", 1, 1}}), Segments());
}

TEST_F(AtomSearch, SearchObjectFillsFreeSlotsAndBuiltInQuery) {
    Start();
    qav::CQAVSearch search;
    ASSERT_TRUE(search.QAVSearchInit(false));
    qav::CAtomRet* first = search.GetAS();
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(1, first->m_nSegCount);
    EXPECT_EQ(2, first->TotalHits());
    // Slot in use even when nothing is found.
    qav::CAtomRet* second = search.AtomSearch(Query("nowhere|", "甲"));
    ASSERT_NE(nullptr, second);
    EXPECT_NE(first, second);
    EXPECT_FALSE(second->IsFree());
    EXPECT_EQ(nullptr, search.AtomSearch(Query("k5|", "甲")));
    search.QAVSearchExit();
    EXPECT_EQ(0, Leaf(Gbk("的_n|"))->use_count);
}

TEST_F(AtomSearch, LoadCacheLoadsTheChildrenOfConfiguredUnits) {
    Start();
    struct Case {
        const char* kind;
        qav::StrSet qav::CCache::*list;
        int child;  // of k10|, the only child of the unit the kind forms
    };
    const Case cases[] = {{"|POS", &qav::CCache::POS_R, 1}, {"<HZ", &qav::CCache::HZ_R, 2}, {"HZ>", &qav::CCache::HZ_L, 3},
                          {"$ML", &qav::CCache::ML, 4},     {"MR@", &qav::CCache::MR, 5}};
    for (const Case& c : cases) {
        const std::string child = AtomIndex::ChildName("k10|", c.child);
        ASSERT_EQ(nullptr, Leaf(child)->records());
        (engine_->m_config.m_Cache.*c.list).insert({"nothing", "k10"});
        EXPECT_TRUE(engine_->LoadCache(c.kind)) << c.kind;
        EXPECT_NE(nullptr, Leaf(child)->records()) << c.kind;
    }
    // "POS|" forms "k5|" and "broken|": the second cannot load past_end|.
    engine_->m_config.m_Cache.POS_L = {"k5"};
    EXPECT_TRUE(engine_->LoadCache("POS|"));
    for (const std::string& child : Children("k5|", 5)) EXPECT_NE(nullptr, Leaf(child)->records()) << child;
    engine_->m_config.m_Cache.POS_L = {"broken"};
    EXPECT_FALSE(engine_->LoadCache("POS|"));
    EXPECT_FALSE(engine_->LoadCache("POS"));
}

TEST_F(AtomSearch, StartUpPreloadsConfiguredUnits) {
    Start("\"Cache\":{\"POS_L\":[\"k5\"],\"HZ_R\":[\"k10\"]}");
    for (const std::string& child : Children("k5|", 5)) EXPECT_NE(nullptr, Leaf(child)->records()) << child;
    EXPECT_NE(nullptr, Leaf("k10_2|")->records());
    EXPECT_EQ(nullptr, Leaf("k10_0|")->records());
}

// Eight threads search while another releases loaded records whenever more
// than one is loaded: every result must still read the records it found.
TEST_F(AtomSearch, SearchesRaceWithReleaseOfLoadedRecords) {
    Start();
    Sizes().ThreadNum_AS = 3;
    Sizes().MaxMemCount = 1;
    const uint32_t jia = AtomIndex::kJia;
    struct Probe {
        std::string unit;
        int64_t hits;
    };
    const std::vector<Probe> probes{{"k5|", 9}, {"k10|", 25}, {"k10_4|", 5}, {"chunk|", 2}, {"gap|", 4}};

    std::atomic<bool> stop{false};
    std::thread releaser([&] {
        while (!stop)
            if (engine_->m_loadedRecords > Sizes().MaxMemCount) qav::FreeMem();
    });
    std::atomic<int> wrong{0};
    std::vector<std::thread> searchers;
    for (int t = 0; t < 8; ++t) {
        searchers.emplace_back([&, t] {
            qav::CAtomRet result;
            result.AtomRetInit(64);
            for (int round = 0; round < 200; ++round) {
                const Probe& probe = probes[static_cast<size_t>(round + t) % probes.size()];
                if (!qav::AtomSearch(*engine_, Query(probe.unit, "甲"), result) || result.TotalHits() != probe.hits) ++wrong;
                wrong += WrongRecords(result, jia);
                result.Release();
            }
        });
    }
    for (std::thread& searcher : searchers) searcher.join();
    stop = true;
    releaser.join();
    EXPECT_EQ(0, wrong);
    // With every search done, one more release brings the count to its floor.
    if (engine_->m_loadedRecords > Sizes().MaxMemCount) qav::FreeMem();
    ExpectLoadedCountAtItsFloor();
}

// Eight threads run 200 queries each through their own search object: two
// atom searches, then a merge of both, or none, so that the exit releases
// them. "MaxMemCount" is so low that every exit frees what no query uses
// while the other threads search.
TEST_F(AtomSearch, QueriesOnManyThreadsFreeRecordsBetweenQueries) {
    Start();
    Sizes().ThreadNum_AS = 2;
    Sizes().MaxMemCount = 1;
    struct Probe {
        std::string unit;
        const char* pattern;
        uint32_t left;
        int64_t hits;
    };
    const std::vector<Probe> probes{{"k5|", "甲", AtomIndex::kJia, 9},   {"k10|", "乙", AtomIndex::kYi, 30},
                                    {"chunk|", "乙", AtomIndex::kYi, 2}, {"gap|", "甲", AtomIndex::kJia, 4},
                                    {"k10_4|", "甲", AtomIndex::kJia, 5}};
    const std::vector<int> merges{qav::kMergeAnd, qav::kMergeOr, qav::kMergeNot, -1};  // -1: no merge
    const size_t kinds = probes.size() * probes.size() * merges.size();
    // One query of each kind: which probes, which merge.
    auto runQuery = [&](qav::CQAVSearch& search, size_t kind, int& wrong) {
        const Probe& first = probes[kind % probes.size()];
        const Probe& second = probes[kind / probes.size() % probes.size()];
        const int merge = merges[kind / probes.size() / probes.size()];
        int hits = -1;
        if (!search.QAVSearchInit(false)) {
            ++wrong;
            return hits;
        }
        qav::CAtomRet* a1 = search.AtomSearch(Query(first.unit, first.pattern));
        qav::CAtomRet* a2 = search.AtomSearch(Query(second.unit, second.pattern));
        if (!a1 || !a2 || a1->TotalHits() != first.hits || a2->TotalHits() != second.hits) ++wrong;
        if (a1) wrong += WrongRecords(*a1, first.left);
        if (a2) wrong += WrongRecords(*a2, second.left);
        if (a1 && a2 && merge >= 0) {
            const qav::CQAVRet* merged = search.MergeRet(a1->Handle(), a2->Handle(), merge, false);
            if (merged) {
                hits = merged->m_nCount;
            } else {
                ++wrong;
            }
        }
        search.QAVSearchExit();
        return hits;
    };

    // Merged hits of each kind, found by one thread alone.
    std::vector<int> expected(kinds);
    {
        qav::CQAVSearch search;
        int wrong = 0;
        for (size_t kind = 0; kind < kinds; ++kind) expected[kind] = runQuery(search, kind, wrong);
        ASSERT_EQ(0, wrong);
        ExpectLoadedCountAtItsFloor();
        // Every hit lies in one sentence: AND and OR keep hits, NOT none.
        for (size_t kind = 0; kind < kinds; ++kind) {
            const int merge = merges[kind / probes.size() / probes.size()];
            if (merge == qav::kMergeNot) {
                EXPECT_EQ(0, expected[kind]) << kind;
            } else if (merge >= 0) {
                EXPECT_GT(expected[kind], 0) << kind;
            }
        }
    }
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (size_t t = 0; t < 8; ++t) {
        threads.emplace_back([&, t] {
            qav::CQAVSearch search;
            int mine = 0;
            for (size_t round = 0; round < 200; ++round) {
                const size_t kind = (round * 7 + t * 13) % kinds;
                if (runQuery(search, kind, mine) != expected[kind]) ++mine;
            }
            wrong += mine;
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(0, wrong);
    // The exit that started last found every query's uses lowered.
    ExpectLoadedCountAtItsFloor();
}

}  // namespace
