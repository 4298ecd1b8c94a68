// Frequencies and counts of the search object over atom and merged results
// of a small engine.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "qav/index/engine/org_info.h"
#include "qav/index/engine/qav_engine.h"
#include "qav/search/atom/record_walk.h"
#include "qav/search/qav_search.h"
#include "qav/search/filter/query_clock.h"
#include "qav/search/filter/query_time.h"
#include "qav/search/merge/parallel_shares.h"
#include "search_fixture.h"
#include "support/test_support.h"

namespace {

using qztest::Gbk;

constexpr uint32_t kWords = 20000;
constexpr int kExtraWords = 2100;  // "w0", "w1", ... after the named words

struct Rec {
    uint32_t position;
    int16_t index;
    uint8_t file = 0;
};

std::vector<std::string> WordTexts() {
    std::vector<std::string> words{"我", "爱", "上海", "北京"};
    for (int i = 0; i < kExtraWords; ++i) words.push_back("w" + std::to_string(i));
    return words;
}

class FreqCountTest : public testing::Test {
protected:
    void SetUp() override {
        engine_.m_pWordList = std::make_shared<qav::CWordList>(searchtest::MakeWordList(WordTexts()));
        for (int f = 0; f < 2; ++f) searchtest::AddDataFile(engine_, kWords);
        qav::g_pCQAVEngine = &engine_;
        ASSERT_TRUE(search_.QAVSearchInit(false));
    }
    void TearDown() override {
        search_.QAVSearchExit();
        qav::g_pCQAVEngine = nullptr;
        qav::g_nQueryTimeoutMs = 0;
    }

    void SetWord(uint8_t file, uint32_t position, const std::string& utf8) {
        engine_.m_corpus[file][position] = searchtest::IdOf(*engine_.m_pWordList, utf8);
    }

    // Documents "A" up to sentence key (0, 1000), "B" up to (1, 0), then
    // one named lastName.
    void LoadDocuments(const std::string& lastName = "Doc_x") {
        qztest::WriteFile(dir_.file("Org.txt"), "#a\t0\nT:A\n#b\t1\nT:B\n#c\t2\nT:" + lastName + "\n");
        qav::COrgInfo builder;
        ASSERT_TRUE(builder.InitOrgEx(dir_.file("Org.txt")));
        builder.MapEndLinesToKeys({SentenceKeyU(0, 1000), SentenceKeyU(1, 0), ~uint64_t{0}});
        ASSERT_TRUE(builder.WriteOrg(dir_.file("Org.dat")));
        ASSERT_TRUE(engine_.m_orgInfo.OrgInfoInit(dir_.file("Org.dat")));
    }
    static uint64_t SentenceKeyU(uint32_t file, uint32_t position) { return (uint64_t{file} << 32) | position; }

    // A taken atom slot holding one segment per record list: a query of the
    // given kind with an empty pattern, so that each record makes a one-word
    // hit (kind 4 at the record's word, kind 9 just after it).
    qav::CAtomRet* Atom(const std::vector<std::vector<Rec>>& segments, qav::UnitType kind = qav::UNIT_POS_R) {
        qav::CAtomRet* slot = search_.TakeAtomSlot();
        if (!slot) return nullptr;
        slot->m_Query.type = kind;
        slot->m_Query.pattern = "pat";
        slot->m_Query.waves = {{0, 0}, {0, 1}, {0, 2}, {0, 3}};
        for (const auto& recs : segments) {
            buffers_.emplace_back();
            for (const Rec& r : recs) {
                auto bytes = searchtest::Record(r.position, r.index, r.file, 0, 8);
                buffers_.back().insert(buffers_.back().end(), bytes.begin(), bytes.end());
            }
            slot->AddSegment(buffers_.back().data(), 0, static_cast<int32_t>(recs.size()), 8);
        }
        return slot;
    }

    // An atom of 9,000 records in three segments over both files, as many
    // as the workers take: about 2,100 words, every fiftieth record at a
    // place without a word.
    qav::CAtomRet* LargeAtom() {
        std::vector<std::vector<Rec>> segments(3);
        for (uint32_t i = 0; i < 9000; ++i) {
            const uint8_t file = static_cast<uint8_t>(i % 3 == 0);
            const uint32_t position = (i % 50 == 0 ? 100 : 600) + (i * 7) % 19000;
            if (i % 50 != 0) SetWord(file, position, "w" + std::to_string((i * 13) % 2100));
            segments[i % 3].push_back({position, 0, file});
        }
        return Atom(segments);
    }

    // An atom of four segments of 5,000 records each over the same 5,000
    // places of file 0, which hold seven words in turn.
    // Four segments of perSegment records, at words of seven texts.
    qav::CAtomRet* SevenWordAtom(uint32_t perSegment) {
        std::vector<std::vector<Rec>> segments(4);
        for (auto& recs : segments)
            for (uint32_t i = 0; i < perSegment; ++i) recs.push_back({600 + i, 0});
        for (uint32_t i = 0; i < perSegment; ++i) SetWord(0, 600 + i, "w" + std::to_string(i % 7));
        return Atom(segments);
    }

    // Records a segment of a four-segment atom needs for every worker of a
    // pass to take two intervals of time checks.
    static uint32_t TimedRecordsPerSegment() {
        return static_cast<uint32_t>(qav::kTimeCheckInterval * qav::PassShares() / 2);
    }

    // The merged slot M1 holding hits of two words at (file, position),
    // group 1 the first word and group 2 the second.
    qav::CQAVRet* Merged(const std::vector<Rec>& hits) {
        qav::CQAVRet& slot = search_.m_QAVRet[0];
        slot.Clear();
        for (const Rec& r : hits) {
            qav::CRetInfo hit = qav::ClearedRetInfo();
            hit.file_no = r.file;
            hit.position = r.position;
            hit.start = r.index;
            hit.length = 2;
            hit.bracket[0] = 0;
            hit.bracket[1] = 1;
            hit.bracket[2] = 1;
            hit.bracket[3] = 2;
            slot.Add2QAVRetEx(hit);
        }
        return &slot;
    }

    std::multiset<std::string> RowTexts() const {
        std::multiset<std::string> texts;
        for (int i = 0; i < search_.m_FinalRect.m_nCount; ++i)
            texts.insert(search_.m_FinalRect.m_Rows[static_cast<size_t>(i)].text);
        return texts;
    }
    std::vector<int> RowCounts() const {
        std::vector<int> counts;
        for (int i = 0; i < search_.m_FinalRect.m_nCount; ++i)
            counts.push_back(search_.m_FinalRect.m_Rows[static_cast<size_t>(i)].count);
        return counts;
    }

    qztest::TempDir dir_;
    qav::CQAVEngine engine_;
    qav::CQAVSearch search_;
    std::vector<std::vector<unsigned char>> buffers_;
};

TEST_F(FreqCountTest, FrequencyRowsNameTheDocumentsOfKeysMetInSeveral) {
    LoadDocuments();
    SetWord(0, 600, "上海");
    SetWord(0, 1200, "上海");
    SetWord(0, 1300, "北京");
    SetWord(1, 700, "上海");
    qav::CAtomRet* atom = Atom({{{600, 0}, {1200, 0}, {1300, 0}}, {{700, 0, 1}, {800, 0, 1}}});
    search_.GetFreq(atom, "", "");
    // 上海 in A, B and Doc_x (not named); 北京 in B only; 我 in Doc_x only.
    EXPECT_EQ(RowTexts(), (std::multiset<std::string>{Gbk("上海#@#A:1 B:1"), Gbk("北京"), Gbk("我")}));
    EXPECT_EQ(search_.m_FinalRect.m_nTotal, 0);
    search_.SortRet();
    EXPECT_EQ(search_.m_FinalRect.m_Rows[0].count, 3);
}

TEST_F(FreqCountTest, FormsTakeTheirPartsOfMergedHits) {
    SetWord(0, 600, "我");
    SetWord(0, 601, "上海");
    SetWord(0, 700, "爱");
    SetWord(0, 701, "北京");
    struct Case {
        std::string form;
        std::multiset<std::string> texts;
    } cases[] = {
        {"$1*$2", {Gbk("我*上海"), Gbk("爱*北京")}},
        {"", {Gbk("我上海"), Gbk("爱北京")}},
        {"$Q", {Gbk("我上海"), Gbk("爱北京")}},
        {"%s%n$2$z", {Gbk("%s%n上海$z"), Gbk("%s%n北京$z")}},
        {"$1$2$3$Q", {""}},
    };
    for (const Case& c : cases) {
        qav::CQAVRet* merged = Merged({{600, 0}, {700, 0}});
        EXPECT_EQ(search_.GetFreq(merged, c.form, ""), 0);
        EXPECT_EQ(RowTexts(), c.texts) << c.form;
        EXPECT_TRUE(merged->IsFree()) << c.form;
    }
}

TEST_F(FreqCountTest, LargeMergedFrequencyListsMatchASingleWalk) {
    // More hits than a single walk takes, more keys than the list keeps,
    // keys met in several documents, two of which may share a name, and hits
    // of short and long spans in turn: the rows, their order and counts are
    // those of counting the hits one by one.
    for (const std::string lastName : {"Doc_x", "A"}) {
        LoadDocuments(lastName);
        std::vector<Rec> hits;
        for (uint32_t i = 0; i < 30000; ++i) {
            const uint8_t file = static_cast<uint8_t>(i % 3 == 0);
            const uint32_t position = 600 + (i * 7) % 19000;
            SetWord(file, position, "w" + std::to_string((i * 13) % 2100));
            SetWord(file, position + 1, "w" + std::to_string(i % 50));
            hits.push_back({position, 0, file});
        }
        // The same hits counted one by one into a map of the test's own.
        qav::CQAVRet* merged = Merged(hits);
        // Every fourth hit spans more units than a packed signature holds.
        for (int i = 0; i < merged->m_nCount; i += 4) merged->m_Hits[static_cast<size_t>(i)].length = 6;
        qav::CFreqForm form;
        qav::ParseObj("$1", form);
        qav::CFreqMap expected;
        for (int i = 0; i < merged->m_nCount; ++i) {
            const qav::CRetInfo& hit = merged->m_Hits[static_cast<size_t>(i)];
            ASSERT_TRUE(search_.GetSplitedRet(hit, 0));
            search_.Add2FreqEx(expected, form, hit.position, hit.file_no);
        }
        std::vector<std::pair<std::string, int>> expectedRows;
        for (const auto& [key, entry] : expected)
            expectedRows.emplace_back(qav::FreqRowText(key, entry), static_cast<int>(entry.count));
        ASSERT_EQ(expected.size(), 2000u);

        search_.GetFreq(merged, "$1", "");
        std::vector<std::pair<std::string, int>> rows;
        for (int i = 0; i < search_.m_FinalRect.m_nCount; ++i) {
            const auto& row = search_.m_FinalRect.m_Rows[static_cast<size_t>(i)];
            rows.emplace_back(row.text, row.count);
        }
        EXPECT_EQ(rows, expectedRows) << lastName;
    }
}

TEST_F(FreqCountTest, LargeAtomFrequencyListsMatchASingleWalk) {
    // Atom results of as many records as the workers take, with more keys
    // than the list keeps, records of places without a word, a limit range,
    // and documents of which two may share a name: the rows, their order and
    // counts are those of the single walk over the records.
    for (const std::string lastName : {"Doc_x", "A"}) {
        LoadDocuments(lastName);
        search_.ClearLimit();
        search_.Add2Limit({qav::SentenceKey(0, 0), qav::SentenceKey(0, 18000)});
        search_.Add2Limit({qav::SentenceKey(1, 0), qav::SentenceKey(1, 19999)});
        qav::CAtomRet* atom = LargeAtom();
        qav::CFreqForm form;
        qav::ParseObj("", form);
        qav::CFreqMap expected;
        qav::CRetInfo hit;
        qav::ForEachRecord(*atom, [&](const qav::OffsetRecordInfo& info) {
            if (search_.IsOKContext(*atom, info, hit, 0, false))
                search_.Add2FreqEx(expected, form, hit.position, hit.file_no);
            return false;
        });
        std::vector<std::pair<std::string, int>> expectedRows;
        for (const auto& [key, entry] : expected)
            expectedRows.emplace_back(qav::FreqRowText(key, entry), static_cast<int>(entry.count));
        ASSERT_EQ(expected.size(), 2000u);

        search_.GetFreq(atom, "", "");
        EXPECT_EQ(search_.m_bApproximate, 0);
        std::vector<std::pair<std::string, int>> rows;
        for (int i = 0; i < search_.m_FinalRect.m_nCount; ++i) {
            const auto& row = search_.m_FinalRect.m_Rows[static_cast<size_t>(i)];
            rows.emplace_back(row.text, row.count);
        }
        EXPECT_EQ(rows, expectedRows) << lastName;
        search_.FreeSlot(atom->Handle());
    }
}

TEST_F(FreqCountTest, AWorkerAtTheTimeLimitStopsTheFrequencyList) {
    const int all = static_cast<int>(4 * TimedRecordsPerSegment());
    qav::CAtomRet* atom = SevenWordAtom(TimedRecordsPerSegment());
    const auto total = [&] {
        int sum = 0;
        for (int count : RowCounts()) sum += count;
        return sum;
    };
    qav::g_nQueryTimeoutMs = 1;
    qav::g_queryStartTime = std::chrono::steady_clock::now() - std::chrono::seconds(10);
    search_.GetFreq(atom, "", "");
    EXPECT_EQ(search_.m_bApproximate, 1);
    EXPECT_LT(total(), all);

    qav::g_nQueryTimeoutMs = 0;
    search_.GetFreq(atom, "", "");
    EXPECT_EQ(search_.m_bApproximate, 0);
    EXPECT_EQ(total(), all);
    EXPECT_EQ(search_.m_FinalRect.m_nCount, 7);
}

TEST_F(FreqCountTest, TheKeyAfterTheLastKeptOneIsNeverCounted) {
    std::vector<Rec> recs;
    for (int i = 0; i <= 2000; ++i) {
        SetWord(0, 600 + static_cast<uint32_t>(i), "w" + std::to_string(i));
        recs.push_back({600 + static_cast<uint32_t>(i), 0});
    }
    for (int i = 0; i < 5; ++i) recs.push_back({2600, 0});  // "w2000" again
    qav::CAtomRet* atom = Atom({recs});
    search_.GetFreq(atom, "$Q", "");
    EXPECT_EQ(search_.m_FinalRect.m_nCount, 2000);
    EXPECT_EQ(RowTexts().count("w2000"), 0u);
    EXPECT_EQ(RowTexts().count("w1999"), 1u);
}

TEST_F(FreqCountTest, SimpleFrequencyCountsThePatternsHits) {
    search_.m_FinalRect.AddRow("stale", 9);
    qav::CAtomRet* atom = Atom({{{600, 0}, {700, 0}, {800, 0, 1}}}, qav::UNIT_HZ_R);
    search_.GetFreq(atom, "", "");
    ASSERT_EQ(search_.m_FinalRect.m_nCount, 1);
    EXPECT_EQ(search_.m_FinalRect.m_Rows[0].text, "pat");
    EXPECT_EQ(search_.m_FinalRect.m_Rows[0].count, 3);

    search_.Add2Limit({qav::SentenceKey(0, 0), qav::SentenceKey(0, 650)});
    search_.GetFreq(atom, "", "");
    EXPECT_EQ(RowCounts(), (std::vector<int>{1}));
    EXPECT_EQ(search_.m_FinalRect.m_nTotal, 0);
}

TEST_F(FreqCountTest, SimpleCountGivesOneRowPerLimitRangeInOrder) {
    qav::CAtomRet* atom = Atom({{{600, 0}, {700, 0}, {800, 0}, {900, 0, 1}}}, qav::UNIT_HZ_R);
    search_.GetCount(atom, "", "", 100);
    EXPECT_EQ(RowCounts(), (std::vector<int>{4}));

    search_.m_FinalRect.m_Rows[0].text = "stale";
    search_.Add2Limit({qav::SentenceKey(0, 800), qav::SentenceKey(0, 800)});
    search_.Add2Limit({qav::SentenceKey(0, 500), qav::SentenceKey(0, 650)});
    search_.Add2Limit({qav::SentenceKey(1, 0), qav::SentenceKey(1, 1000)});
    search_.GetCount(atom, "", "", 100);
    EXPECT_EQ(RowCounts(), (std::vector<int>{1, 1, 1}));
    EXPECT_EQ(RowTexts(), (std::multiset<std::string>{"", "", ""}));
}

// The same hits counted by one thread and by the pass's workers, under limits, a
// base and a document-less corpus, give the same rows.
TEST_F(FreqCountTest, ParallelAndSingleCountsAgree) {
    std::vector<std::vector<Rec>> segments;
    for (int s = 0; s < 9; ++s) {
        std::vector<Rec> recs;
        for (uint32_t i = 0; i < 50; ++i)
            recs.push_back({600 + 10 * i + static_cast<uint32_t>(s), 0, static_cast<uint8_t>(s % 2)});
        recs.push_back({100, 0, 0});       // header: no word
        recs.push_back({kWords + 5, 0, 0});  // past the data file
        segments.push_back(recs);
    }
    qav::CAtomRet* atom = Atom(segments, qav::UNIT_HZ_R);
    // Base: sentences below 800 of file 0 only.
    qav::CQAVRet& base = search_.m_QAVRet[1];
    base.Clear();
    for (uint32_t p = 600; p < 800; ++p) {
        qav::CRetInfo hit = qav::ClearedRetInfo();
        hit.file_no = 0;
        hit.position = p;
        base.Add2QAVRetEx(hit);
    }
    ASSERT_TRUE(search_.m_Condition.SetBase(search_, base.Handle(), true, false));
    search_.Add2Limit({qav::SentenceKey(0, 0), qav::SentenceKey(0, 700)});
    search_.Add2Limit({qav::SentenceKey(0, 701), qav::SentenceKey(1, 100000)});

    search_.GetCount_Simple(atom, INT64_MAX);
    const std::vector<int> single = RowCounts();
    search_.m_FinalRect.m_Rows[0].text = "stale";
    search_.GetCount_Simple(atom, 1);
    EXPECT_EQ(RowCounts(), single);
    EXPECT_EQ(RowTexts(), (std::multiset<std::string>{"", ""}));
    EXPECT_EQ(single, (std::vector<int>{51, 49}));
    EXPECT_EQ(search_.m_bApproximate, 0);

    // All the records in one segment: the workers share its records.
    std::vector<Rec> all;
    for (const auto& recs : segments) all.insert(all.end(), recs.begin(), recs.end());
    qav::CAtomRet* one = Atom({all}, qav::UNIT_HZ_R);
    ASSERT_NE(one, nullptr);
    search_.GetCount_Simple(one, 1);
    EXPECT_EQ(RowCounts(), single);
}

// Around the worker threshold the base still decides: 9,999 and 10,000
// records of which the base admits the same 5,000.
TEST_F(FreqCountTest, CountsAtTheWorkerThresholdFollowTheBase) {
    qav::CQAVRet& base = search_.m_QAVRet[1];
    base.Clear();
    for (uint32_t p = 600; p < 5600; ++p) {
        qav::CRetInfo hit = qav::ClearedRetInfo();
        hit.file_no = 0;
        hit.position = p;
        base.Add2QAVRetEx(hit);
    }
    ASSERT_TRUE(search_.m_Condition.SetBase(search_, base.Handle(), true, false));
    for (uint32_t records : {qav::CQAVSearch::kParallelCountFrom - 1, qav::CQAVSearch::kParallelCountFrom}) {
        std::vector<std::vector<Rec>> segments(5);
        for (uint32_t i = 0; i < records; ++i) segments[i % 5].push_back({600 + i, 0});
        qav::CAtomRet* atom = Atom(segments, qav::UNIT_HZ_R);
        search_.GetCount(atom, "", "", 100);
        EXPECT_EQ(RowCounts(), (std::vector<int>{5000})) << records;
        search_.FreeSlot(atom->Handle());
    }
}

TEST_F(FreqCountTest, AWorkerAtTheTimeLimitStopsTheCount) {
    const int all = static_cast<int>(4 * TimedRecordsPerSegment());
    std::vector<std::vector<Rec>> segments(4);
    for (auto& recs : segments)
        for (uint32_t i = 0; i < TimedRecordsPerSegment(); ++i) recs.push_back({600 + i, 0});
    qav::CAtomRet* atom = Atom(segments, qav::UNIT_HZ_R);
    qav::g_nQueryTimeoutMs = 1;
    qav::g_queryStartTime = std::chrono::steady_clock::now() - std::chrono::seconds(10);
    search_.GetCount_Simple(atom, 1);
    EXPECT_EQ(search_.m_bApproximate, 1);
    ASSERT_EQ(search_.m_FinalRect.m_nCount, 1);
    EXPECT_LT(search_.m_FinalRect.m_Rows[0].count, all);
    EXPECT_GE(search_.m_FinalRect.m_Rows[0].count, qav::kTimeCheckInterval);

    qav::g_nQueryTimeoutMs = 0;
    search_.GetCount(atom, "", "", 100);
    EXPECT_EQ(search_.m_bApproximate, 0);
    EXPECT_EQ(RowCounts(), (std::vector<int>{all}));
}

TEST_F(FreqCountTest, LargeTagAtomCountsOnWorkersMatchASingleWalk) {
    // A tag atom of as many records as the workers take, with more texts
    // than a row keeps and many of equal counts, records of places without a
    // word and outside the limit ranges: per form and number of texts, the
    // rows, their texts in order and their sums are those of the walk.
    search_.Add2Limit({qav::SentenceKey(0, 0), qav::SentenceKey(0, 15000)});
    search_.Add2Limit({qav::SentenceKey(1, 0), qav::SentenceKey(1, 19999)});
    qav::CAtomRet* atom = LargeAtom();
    ASSERT_GE(qav::CountSegmentRecords(*atom), qav::CQAVSearch::kSharedAtomCountFrom);
    const auto rows = [&] {
        std::vector<std::pair<std::string, int>> texts;
        for (int i = 0; i < search_.m_FinalRect.m_nCount; ++i) {
            const auto& row = search_.m_FinalRect.m_Rows[static_cast<size_t>(i)];
            texts.emplace_back(row.text, row.count);
        }
        return texts;
    };
    for (const std::string form : {"", "$Q", "$B", "$E", "$1", "x"}) {
        for (const int top : {100, 7, 0}) {
            std::vector<qav::CCountMap> maps;
            qav::InitFreq(maps, 2);
            ASSERT_FALSE(search_.CountTextsInWalk(*atom, form, maps));
            search_.m_FinalRect.Clear();
            qav::AddvmFreq2RetBuff(maps, top, search_.m_FinalRect);
            const auto expected = rows();
            ASSERT_EQ(expected.size(), 2u);

            search_.GetCount(atom, form, "", top);
            EXPECT_EQ(search_.m_bApproximate, 0) << form << " " << top;
            EXPECT_EQ(rows(), expected) << form << " " << top;
        }
    }
    search_.FreeSlot(atom->Handle());
}

TEST_F(FreqCountTest, AWorkerAtTheTimeLimitStopsATextCount) {
    const int all = static_cast<int>(4 * TimedRecordsPerSegment());
    qav::CAtomRet* atom = SevenWordAtom(TimedRecordsPerSegment());
    qav::g_nQueryTimeoutMs = 1;
    qav::g_queryStartTime = std::chrono::steady_clock::now() - std::chrono::seconds(10);
    search_.GetCount(atom, "", "", 100);
    EXPECT_EQ(search_.m_bApproximate, 1);
    ASSERT_EQ(search_.m_FinalRect.m_nCount, 1);
    EXPECT_LT(search_.m_FinalRect.m_Rows[0].count, all);

    qav::g_nQueryTimeoutMs = 0;
    search_.GetCount(atom, "", "", 100);
    EXPECT_EQ(search_.m_bApproximate, 0);
    EXPECT_EQ(RowCounts(), (std::vector<int>{all}));
}

TEST_F(FreqCountTest, ComplexCountListsTopTextsPerRange) {
    SetWord(0, 600, "我");
    SetWord(0, 601, "上海");
    SetWord(0, 700, "我");
    SetWord(0, 701, "上海");
    SetWord(0, 800, "爱");
    SetWord(0, 801, "北京");
    SetWord(1, 600, "爱");
    SetWord(1, 601, "北京");
    search_.Add2Limit({qav::SentenceKey(0, 0), qav::SentenceKey(0, 999)});
    search_.Add2Limit({qav::SentenceKey(1, 0), qav::SentenceKey(1, 999)});
    search_.GetCount(Merged({{600, 0}, {700, 0}, {800, 0}, {600, 0, 1}}), "$1 $2", "", 100);
    EXPECT_EQ(RowTexts(), (std::multiset<std::string>{Gbk("我*上海_2;爱*北京_1"), Gbk("爱*北京_1")}));
    EXPECT_EQ(RowCounts(), (std::vector<int>{3, 1}));

    search_.GetCount(Merged({{600, 0}, {700, 0}}), "$1", "", 0);
    EXPECT_EQ(RowTexts(), (std::multiset<std::string>{"", ""}));
    EXPECT_EQ(RowCounts(), (std::vector<int>{0, 0}));

    search_.ClearLimit();
    qav::CAtomRet* atom = Atom({{{600, 0}, {700, 0}, {800, 0}}});
    search_.GetCount(atom, "$Q", "", 1);
    EXPECT_EQ(RowTexts(), (std::multiset<std::string>{Gbk("我_2")}));
    EXPECT_EQ(RowCounts(), (std::vector<int>{2}));
}

}  // namespace
