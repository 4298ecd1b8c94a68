// Context lines of the search object over a small hand-made engine: one row
// per distinct sentence with the match marked, source prefixes with their
// ids, whole-sentence context, limits, pages and the row capacity.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "qav/index/format/org_dat_file.h"
#include "qav/index/engine/qav_engine.h"
#include "qav/search/qav_search.h"
#include "qav/search/rows/source_id.h"
#include "search_fixture.h"
#include "sent_info_fixture.h"

namespace {

using qztest::Gbk;

constexpr uint32_t kHeaderUnits = 512;
constexpr uint32_t kBlock = 0xFFFFFFFF;

int64_t Key(int64_t file, int64_t position) { return (file << 32) | position; }

// File 0: 我 爱 上海 。 at 512 and 他 爱 北京 。 at 516 in document "新闻1"
// (the second sentence with position information "NN"), 我 去 上海 。 at 520
// in "Doc_x". File 1: 我 去 上海 。 at 512 in "报道". File 2: 1,600 units of 我.
class ContextSearchTest : public testing::Test {
protected:
    void SetUp() override {
        words_ = std::make_shared<qav::CWordList>(searchtest::MakeWordList({"我", "爱", "上海", "。", "他", "北京", "去"}));
        AddFile({"我", "爱", "上海", "。", "他", "爱", "北京", "。", "我", "去", "上海", "。"});
        AddFile({"我", "去", "上海", "。"});
        AddFile(std::vector<std::string>(1600, "我"));
        engine_.m_pWordList = words_;
        engine_.m_config.m_SentenceSeperator.insert(Gbk("。"));

        qav::OrgTable documents;
        documents.ends = {Key(0, 520), Key(0, 524), Key(1, 516), Key(3, 0)};
        documents.names = {Gbk("新闻1"), "Doc_x", Gbk("报道"), "Doc_y"};
        ASSERT_TRUE(qav::WriteOrgDatFile(dir_.file("Org.dat"), documents));
        ASSERT_TRUE(engine_.m_orgInfo.OrgInfoInit(dir_.file("Org.dat")));
        qztest::LoadSentInfo(engine_.m_sentInfo, dir_, {"NN"}, {{0, 516, 0, 0}}, {});

        qav::g_pCQAVEngine = &engine_;
        ASSERT_TRUE(search_.QAVSearchInit(false));
    }
    void TearDown() override {
        search_.QAVSearchExit();
        qav::g_pCQAVEngine = nullptr;
    }

    void AddFile(const std::vector<std::string>& utf8Words) {
        std::vector<uint32_t> units(kHeaderUnits, kBlock);
        for (const std::string& w : utf8Words) units.push_back(searchtest::IdOf(*words_, w));
        units.resize(units.size() + kHeaderUnits, kBlock);
        auto data = std::make_unique<uint32_t[]>(units.size());
        std::copy(units.begin(), units.end(), data.get());
        engine_.m_corpus.push_back(std::move(data));
        engine_.m_corpusLength.push_back(static_cast<uint32_t>(units.size()));
    }

    // An atom result whose records anchor on the verb (word index 1) of each
    // sentence, under a query that takes the one word before the anchor.
    qav::CAtomRet& AtomResult(const std::vector<std::vector<unsigned char>>& recordList) {
        records_.clear();
        for (const auto& r : recordList) records_.insert(records_.end(), r.begin(), r.end());
        qav::CAtomRet& result = search_.m_AtomRet[0];
        result.Take();
        result.AddSegment(records_.data(), 0, static_cast<int32_t>(recordList.size()), 8);
        result.m_Query.type = qav::UNIT_POS_L;
        result.m_Query.queryLength = 2;
        result.m_Query.ids = {searchtest::IdOf(*words_, "我")};
        return result;
    }
    qav::CAtomRet& SampleResult() {
        using searchtest::Record;
        return AtomResult({Record(512, 1, 0), Record(512, 1, 0), Record(516, 1, 0), Record(520, 1, 0),
                           Record(512, 1, 1)});
    }

    std::vector<std::string> Rows() const {
        std::vector<std::string> rows;
        const qav::CFinalRect& rect = search_.m_FinalRect;
        EXPECT_EQ(rect.m_Rows.size(), static_cast<size_t>(rect.m_nCount));  // no stale rows
        for (int i = 0; i < rect.m_nCount; ++i) {
            EXPECT_EQ(rect.m_Rows[i].count, -1);
            rows.push_back(rect.m_Rows[i].text);
        }
        return rows;
    }

    qztest::TempDir dir_;
    std::shared_ptr<qav::CWordList> words_;
    qav::CQAVEngine engine_;
    qav::CQAVSearch search_;
    std::vector<unsigned char> records_;
};

TEST_F(ContextSearchTest, OneMarkedRowPerDistinctSentence) {
    EXPECT_EQ(search_.GetContext(&SampleResult(), nullptr, 0, 0, -1), 0);
    const std::vector<std::string> expected = {Gbk("<Q>我爱</Q>"), Gbk("<Q>他爱</Q>"), Gbk("<Q>我去</Q>"),
                                               Gbk("<Q>我去</Q>")};  // the last from file 1
    EXPECT_EQ(Rows(), expected);
    EXPECT_EQ(search_.m_FinalRect.m_nTotal, 4);
    EXPECT_FALSE(search_.m_bApproximate);

    // The whole sentence as context: nothing before the first word, up to the separator after.
    search_.GetContext(&SampleResult(), nullptr, -1, 0, 1);
    EXPECT_EQ(Rows(), std::vector<std::string>{Gbk("<Q>我爱</Q>上海。")});
    EXPECT_EQ(search_.m_FinalRect.m_nTotal, 4);

    // Two units each side cross into the neighbouring sentences.
    search_.GetContext(&SampleResult(), nullptr, 2, 1, 1);
    EXPECT_EQ(Rows(), std::vector<std::string>{Gbk("上海。<Q>他爱</Q>北京。")});
}

TEST_F(ContextSearchTest, SourcePrefixesWithOriOn) {
    search_.m_bOriOn = 1;
    search_.GetContext(&SampleResult(), nullptr, 0, 0, 10);
    const std::vector<std::string> expected = {
        Gbk("新闻1#@ID#FIJbFz4#@#<Q>我爱</Q>"),
        Gbk("新闻1_NN#@ID#") + qav::EncodeSourceId(0, 516) + Gbk("#@#<Q>他爱</Q>"),
        Gbk("<Q>我去</Q>"),  // a "Doc" document: no prefix, no id
        Gbk("报道#@ID#") + qav::EncodeSourceId(1, 512) + Gbk("#@#<Q>我去</Q>"),
    };
    EXPECT_EQ(Rows(), expected);

    // Every id in the rows names the sentence of its row.
    const std::vector<int64_t> keys = {Key(0, 512), Key(0, 516), Key(1, 512)};
    size_t next = 0;
    for (const std::string& row : Rows()) {
        const size_t at = row.find("#@ID#");
        if (at == std::string::npos) continue;
        const size_t end = row.find("#@#", at + 5);
        uint64_t key = 0;
        ASSERT_TRUE(qav::DecodeSourceId(std::string_view(row).substr(at + 5, end - at - 5), key)) << row;
        ASSERT_LT(next, keys.size());
        EXPECT_EQ(key, static_cast<uint64_t>(keys[next++]));
    }
    EXPECT_EQ(next, keys.size());
}

TEST_F(ContextSearchTest, RecordsOutsideTheDataAreRejected) {
    using searchtest::Record;
    const uint32_t length = engine_.m_corpusLength[0];
    search_.GetContext(&AtomResult({Record(512, 1, 7), Record(length, 0, 0), Record(length - 1, 1, 0),
                                    Record(2, -3, 0), Record(516, 1, 0)}),
                       nullptr, 600, 0, 10);
    const std::vector<std::string> rows = Rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_NE(rows[0].find(Gbk("<Q>他爱</Q>")), std::string::npos);
    EXPECT_EQ(search_.m_FinalRect.m_nTotal, 1);
}

TEST_F(ContextSearchTest, LimitsNarrowTheRows) {
    search_.Add2Limit({Key(0, 516), Key(0, 520)});
    search_.GetContext(&SampleResult(), nullptr, 0, 0, 10);
    const std::vector<std::string> expected = {Gbk("<Q>他爱</Q>"), Gbk("<Q>我去</Q>")};
    EXPECT_EQ(Rows(), expected);
    EXPECT_EQ(search_.m_FinalRect.m_nTotal, 2);
}

TEST_F(ContextSearchTest, ConditionsAndPrintChoice) {
    // Match of fewer than 2 characters: none of the hits passes.
    search_.m_Condition.SetCondition("len($Q)<2");
    search_.GetContext(&SampleResult(), nullptr, 1, 0, 10);
    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ(search_.m_FinalRect.m_nTotal, 0);

    search_.m_Condition.SetCondition("print($E)");
    search_.GetContext(&SampleResult(), nullptr, 1, 0, 1);
    EXPECT_EQ(Rows(), std::vector<std::string>{Gbk("<Q>我爱</Q><E>上海</E>")});
}

TEST_F(ContextSearchTest, MergedResultPagesAndRowCapacity) {
    qav::CQAVRet& merged = search_.m_QAVRet[0];
    merged.Clear();
    for (uint32_t i = 0; i < 1500; ++i) {
        qav::CRetInfo hit = qav::ClearedRetInfo();
        hit.file_no = 2;
        hit.position = kHeaderUnits + i;
        hit.length = 1;
        merged.Add2QAVRetEx(hit);
        if (i % 100 == 0) merged.Add2QAVRetEx(hit);  // duplicates lower the estimate
    }
    search_.GetContext(&merged, nullptr, 0, 0, -1);
    EXPECT_EQ(search_.m_FinalRect.m_nCount, 1024);
    EXPECT_EQ(search_.m_FinalRect.m_Rows[0].text, Gbk("<Q>我</Q>"));
    EXPECT_FALSE(search_.m_bApproximate);

    // Rows beyond the capacity are dropped; the total still counts them.
    search_.m_FinalRect.FinalRectInit(3);
    search_.GetContext(&merged, nullptr, 0, 0, 2000);
    EXPECT_EQ(search_.m_FinalRect.m_nCount, 3);
    EXPECT_EQ(search_.m_FinalRect.m_nTotal, 1500);

    // A later, smaller output leaves nothing of the earlier one.
    search_.GetContext(&SampleResult(), nullptr, 0, 0, 1);
    EXPECT_EQ(Rows(), std::vector<std::string>{Gbk("<Q>我爱</Q>")});
}

}  // namespace
