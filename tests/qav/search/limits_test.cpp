// Admission of sentences by limits, document checks and the base set, and the
// filtering of results, on a search object over a small engine.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "qav/index/qav_engine.h"
#include "qav/search/qav_search.h"
#include "sent_info_fixture.h"
#include "support/test_support.h"

namespace {

using qztest::Gbk;

int64_t Key(int64_t file, int64_t position) { return (file << 32) | position; }

CRetInfo Hit(uint8_t file, uint32_t position) {
    CRetInfo hit = ClearedRetInfo();
    hit.file_no = file;
    hit.position = position;
    return hit;
}

struct Sentence {
    uint32_t file, position;
};

// Sentences 0:512 and 0:600 are in document 0 (num_page=15), 1:512 and 1:700
// in document 1 (num_page=150); 2:512 has no sentence information.
class LimitsTest : public testing::Test {
protected:
    void SetUp() override {
        qztest::LoadSentInfo(engine_.m_sentInfo, dir_, {"NN"},
                             {{0, 512, 0, 0}, {0, 600, 0, 0}, {1, 512, 1, 0}, {1, 700, 1, 0}},
                             {{Gbk("Cat=体育_足球"), "num_page=15"}, {Gbk("Cat=新闻"), "num_page=150"}});
        g_pCQAVEngine = &engine_;
        ASSERT_TRUE(search_.QAVSearchInit(false));
    }
    void TearDown() override {
        search_.QAVSearchExit();
        g_pCQAVEngine = nullptr;
    }

    std::vector<bool> Admitted(bool skipBase = false) const {
        std::vector<bool> out;
        for (const Sentence& s : sentences_) out.push_back(search_.IsInLimit(s.file, s.position, skipBase));
        return out;
    }

    // A merged slot holding one hit per sentence given.
    uint64_t Merged(int slot, const std::vector<Sentence>& hits) {
        CQAVRet& ret = search_.m_QAVRet[slot];
        ret.Clear();
        for (const Sentence& s : hits) ret.Add2QAVRetEx(Hit(static_cast<uint8_t>(s.file), s.position));
        return ret.Handle();
    }

    qztest::TempDir dir_;
    CQAVEngine engine_;
    CQAVSearch search_;
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

TEST_F(LimitsTest, BaseOfAnAtomResultTakesRecordsWithinTheLimits) {
    // Records: 0:512, 1:700, 2:512 (8 bytes each: position, word, file, clause).
    unsigned char records[24] = {};
    const Sentence at[] = {{0, 512}, {1, 700}, {2, 512}};
    for (int i = 0; i < 3; ++i) {
        std::memcpy(records + 8 * i, &at[i].position, 4);
        records[8 * i + 6] = static_cast<unsigned char>(at[i].file);
    }
    CAtomRet* slot = search_.TakeAtomSlot();
    ASSERT_NE(slot, nullptr);
    slot->AddSegment(records, 0, 3, 8);
    search_.Add2Limit({Key(0, 0), Key(1, 600)});
    search_.m_Condition.SetBase(search_, slot->Handle(), true, false);
    EXPECT_TRUE(slot->IsFree());
    search_.ClearLimit();
    EXPECT_EQ(Admitted(), (std::vector<bool>{true, false, false, false, false}));
}

TEST_F(LimitsTest, FilteringAMergedResult) {
    const uint64_t input = Merged(0, {{0, 512}, {1, 512}, {2, 512}, {0, 600}});
    search_.m_Condition.SetFilter("num_page=10-20", 1);
    CQAVRet* out = search_.GetFilterRet(input);
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
    CQAVRet* again = search_.GetFilterRet(out->Handle());
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

}  // namespace
