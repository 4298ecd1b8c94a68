// Admission of sentences by limits, document checks and the base set, and the
// filtering of results, on a search object over a small engine.
#include <gtest/gtest.h>

#include <vector>

#include "qav/search/atom/atom_index.h"
#include "qav/index/engine/qav_engine.h"
#include "qav/search/qav_search.h"
#include "search_fixture.h"
#include "sent_info_fixture.h"
#include "support/test_support.h"
#include "qav/service/engines.h"

namespace {

using qztest::Gbk;

int64_t Key(int64_t file, int64_t position) { return (file << 32) | position; }

// The one-word hit at a sentence position.
qav::CRetInfo Hit(uint8_t file, uint32_t position) {
    qav::CRetInfo hit = qav::ClearedRetInfo();
    hit.file_no = file;
    hit.position = position;
    hit.length = 1;
    return hit;
}

constexpr uint32_t kFileLength = 800;

struct Sentence {
    uint32_t file, position;
};

// Two data files of the word 我, with 上海 at positions 600 and 700.
// Sentences 0:512 and 0:600 are in document 0 (num_page=15), 1:512 and 1:700
// in document 1 (num_page=150); 2:512 has no sentence information.
class LimitsTest : public testing::Test {
protected:
    void SetUp() override {
        engine_.m_pWordList = std::make_shared<qav::CWordList>(searchtest::MakeWordList({"我", "上海"}));
        for (int f = 0; f < 2; ++f) {
            uint32_t* data = searchtest::AddDataFile(engine_, kFileLength);
            data[600] = data[700] = 1;
        }
        qztest::LoadSentInfo(engine_.m_sentInfo, dir_, {"NN"},
                             {{0, 512, 0, 0}, {0, 600, 0, 0}, {1, 512, 1, 0}, {1, 700, 1, 0}},
                             {{Gbk("Cat=体育_足球"), "num_page=15"}, {Gbk("Cat=新闻"), "num_page=150"}});
        qav::g_pCQAVEngine = &engine_;
        ASSERT_TRUE(search_.QAVSearchInit(false));
    }
    void TearDown() override {
        search_.QAVSearchExit();
        qav::g_pCQAVEngine = nullptr;
    }

    std::vector<bool> Admitted(bool skipBase = false) const {
        std::vector<bool> out;
        for (const Sentence& s : sentences_) out.push_back(search_.IsInLimit(s.file, s.position, skipBase));
        return out;
    }

    // A merged slot holding one hit per sentence given.
    uint64_t Merged(int slot, const std::vector<Sentence>& hits) {
        qav::CQAVRet& ret = search_.m_QAVRet[slot];
        ret.Clear();
        for (const Sentence& s : hits) ret.Add2QAVRetEx(Hit(static_cast<uint8_t>(s.file), s.position));
        return ret.Handle();
    }

    // An atom result in A1: one-word hits at the sentence positions given.
    uint64_t Atom(const std::vector<Sentence>& at) {
        qav::CAtomRet* slot = search_.TakeAtomSlot();
        if (!slot) return 0;
        records_.clear();
        for (const Sentence& s : at) {
            const auto record = searchtest::Record(s.position, 0, static_cast<uint8_t>(s.file));
            records_.insert(records_.end(), record.begin(), record.end());
        }
        slot->m_Query.type = qav::UNIT_POS_R;
        slot->m_Query.waves = {{0, 0}, {0, 1}, {0, 2}, {0, 3}};
        slot->AddSegment(records_.data(), 0, static_cast<int32_t>(at.size()), 8);
        return slot->Handle();
    }

    qztest::TempDir dir_;
    qav::CQAVEngine engine_;
    std::vector<unsigned char> records_;
    qav::CQAVSearch search_;
    const std::vector<Sentence> sentences_ = {{0, 512}, {0, 600}, {1, 512}, {1, 700}, {2, 512}};
};

TEST_F(LimitsTest, NothingSetAdmitsEverySentence) {
    EXPECT_EQ(Admitted(), std::vector<bool>(5, true));
}

TEST_F(LimitsTest, LimitRangesAdmitTheirBorders) {
    search_.Add2Limit({Key(5, 0), Key(5, 1000)});
    search_.Add2Limit({Key(7, 0), Key(7, 50)});
    EXPECT_TRUE(search_.IsInLimit(5, 1000, false));
    EXPECT_TRUE(search_.IsInLimit(5, 0, false));
    EXPECT_TRUE(search_.IsInLimit(7, 50, false));
    EXPECT_FALSE(search_.IsInLimit(5, 1001, false));
    EXPECT_FALSE(search_.IsInLimit(6, 10, false));
    EXPECT_EQ(search_.RetLimitNo(Key(7, 3), 0, 1), 1);
    search_.ClearLimit();
    EXPECT_TRUE(search_.IsInLimit(6, 10, false));
}

TEST_F(LimitsTest, UnsortedLimitRangesStillAdmitTheirSentences) {
    search_.Add2Limit({Key(1, 700), Key(1, 700)});
    search_.Add2Limit({Key(0, 0), Key(0, 599)});
    EXPECT_EQ(Admitted(), (std::vector<bool>{true, false, false, true, false}));
}

TEST_F(LimitsTest, DocumentChecksOfTheCondition) {
    search_.m_Condition.SetCondition(Gbk("Cat=体育_足球;len($1)<3;$WordsNum=2").c_str());
    EXPECT_EQ(Admitted(), (std::vector<bool>{true, true, false, false, false}));
}

TEST_F(LimitsTest, BaseOfAMergedResult) {
    struct Case {
        bool keep, docLevel;
        std::vector<bool> admitted;
    };
    // The base holds sentence 0:512; 1:512 shares only its position.
    const Case cases[] = {
        {true, false, {true, false, false, false, false}},
        {false, false, {false, true, true, true, true}},
        {true, true, {true, true, false, false, false}},
        {false, true, {false, false, true, true, true}},
    };
    for (const Case& c : cases) {
        const uint64_t base = Merged(0, {{0, 512}});
        EXPECT_TRUE(search_.m_Condition.SetBase(search_, base, c.keep, c.docLevel));
        EXPECT_TRUE(search_.m_QAVRet[0].IsFree());
        EXPECT_EQ(Admitted(), c.admitted) << c.keep << c.docLevel;
        EXPECT_EQ(Admitted(true), std::vector<bool>(5, true));
    }
    // A handle of no slot changes only the mode.
    search_.m_Condition.SetBase(search_, 12345, true, false);
    EXPECT_EQ(Admitted(), (std::vector<bool>{true, true, false, false, false}));
}

TEST_F(LimitsTest, BaseTakesOnlyHitsThatPassTheConditions) {
    const uint64_t base = Merged(0, {{0, 512}, {0, 600}, {1, 700}});
    search_.m_Condition.SetCondition(Gbk("mid($Q)=[上海];Cat=新闻").c_str());
    search_.m_Condition.SetBase(search_, base, true, false);
    search_.m_Condition.Clear();
    EXPECT_EQ(Admitted(), (std::vector<bool>{false, true, false, true, false}));
}

TEST_F(LimitsTest, BaseOfAnAtomResultTakesRecordsWithinTheLimits) {
    const uint64_t handle = Atom({{0, 512}, {1, 700}, {2, 512}});
    search_.Add2Limit({Key(0, 0), Key(1, 600)});
    search_.m_Condition.SetBase(search_, handle, true, false);
    EXPECT_TRUE(search_.m_AtomRet[0].IsFree());
    search_.ClearLimit();
    EXPECT_EQ(Admitted(), (std::vector<bool>{true, false, false, false, false}));
}

TEST_F(LimitsTest, FilteringAnAtomResult) {
    const uint64_t handle = Atom({{0, 512}, {1, 512}, {0, 600}, {2, 512}});
    search_.m_Condition.SetFilter("num_page=10-20", 1);
    search_.Add2Limit({Key(0, 0), Key(0, 599)});
    search_.Add2Limit({Key(1, 0), Key(2, 1000)});
    qav::CQAVRet* out = search_.GetFilterRet(handle);
    ASSERT_EQ(out, &search_.m_QAVRet[0]);
    EXPECT_TRUE(search_.m_AtomRet[0].IsFree());
    EXPECT_EQ(search_.m_AtomRet[0].m_nSegCount, 0);
    ASSERT_EQ(out->m_nCount, 1);
    EXPECT_EQ(out->m_Hits[0].file_no, 0);
    EXPECT_EQ(out->m_Hits[0].position, 512u);
    EXPECT_EQ(out->m_Hits[0].length, 1);
    // The atom slot is free for the next search.
    EXPECT_EQ(search_.TakeAtomSlot(), &search_.m_AtomRet[0]);
}

TEST_F(LimitsTest, FilteringAMergedResult) {
    const uint64_t input = Merged(0, {{0, 512}, {1, 512}, {2, 512}, {0, 600}});
    search_.m_Condition.SetFilter("num_page=10-20", 1);
    qav::CQAVRet* out = search_.GetFilterRet(input);
    ASSERT_EQ(out, &search_.m_QAVRet[1]);
    EXPECT_FALSE(out->IsFree());
    ASSERT_EQ(out->m_nCount, 2);
    EXPECT_EQ(out->m_Hits[0].position, 512u);
    EXPECT_EQ(out->m_Hits[0].file_no, 0);
    EXPECT_EQ(out->m_Hits[1].position, 600u);
    EXPECT_TRUE(search_.m_QAVRet[0].IsFree());
    EXPECT_EQ(search_.m_QAVRet[0].m_nCount, 0);

    // Mode "any" without entries passes nothing.
    search_.m_Condition.ClearFilter();
    search_.m_Condition.SetFilter("none", 0);
    qav::CQAVRet* again = search_.GetFilterRet(out->Handle());
    ASSERT_EQ(again, &search_.m_QAVRet[0]);
    EXPECT_EQ(again->m_nCount, 0);
}

TEST_F(LimitsTest, FilteringNeedsAFreeOutputAndAResult) {
    const uint64_t m1 = Merged(0, {{0, 512}});
    const uint64_t m2 = Merged(1, {{0, 512}});
    EXPECT_EQ(search_.GetFilterRet(m1), nullptr);  // no free merged slot
    search_.FreeSlot(m2);
    EXPECT_EQ(search_.GetFilterRet(m2), nullptr);  // the handle names a free slot
    EXPECT_EQ(search_.GetFilterRet(777), nullptr);
    EXPECT_FALSE(search_.m_QAVRet[0].IsFree());
}

// The built-in search over a small index: two hits of 的 in sentence 0:512,
// whose document carries a=1.
TEST(BuiltInFilterTest, HandleZeroFiltersTheBuiltInSearch) {
    qztest::TempDir dir;
    qztest::AtomIndex::Write(dir.path());
    testing::internal::CaptureStdout();
    const bool started = qav::GlobalInit("config.txt", dir.path());
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(started);
    {
        qav::CQAVSearch search;
        ASSERT_TRUE(search.QAVSearchInit(false));
        struct Case {
            const char* filter;
            int hits;
        };
        for (const Case c : {Case{"", 2}, Case{"a=2", 0}, Case{"a=1;b=2", 2}}) {
            search.m_Condition.ClearFilter();
            search.m_Condition.SetFilter(c.filter, 1);
            qav::CQAVRet* out = search.GetFilterRet(0);
            ASSERT_NE(out, nullptr);
            EXPECT_EQ(out->m_nCount, c.hits) << c.filter;
            EXPECT_TRUE(search.m_AtomRet[0].IsFree());
            EXPECT_TRUE(search.m_AtomRet[1].IsFree());
            search.FreeSlot(out->Handle());
        }
        search.QAVSearchExit();
    }
    qav::GlobalExit();
}

}  // namespace
