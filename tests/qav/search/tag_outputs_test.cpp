// Context rows sorted and grouped by a document tag.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "qav/fulltext/engine/bm_engine.h"
#include "qav/index/engine/qav_engine.h"
#include "qav/index/base/qav_log.h"
#include "qav/search/qav_search.h"
#include "search_fixture.h"
#include "sent_info_fixture.h"
#include "support/test_support.h"

namespace {

using qztest::Gbk;

constexpr uint32_t kWords = 2000;

// Sentences 600, 700 and 800 of file 0 are in documents 0 (num=10, name=b),
// 1 (num=9, name=a) and 2 (num=x, name=c); sentence 900 is unknown. The
// word of each sentence names its document's number.
class TagOutputsTest : public testing::Test {
protected:
    void SetUp() override {
        engine_.m_pWordList = std::make_shared<qav::CWordList>(searchtest::MakeWordList({"十", "九", "零", "无"}));
        uint32_t* words = searchtest::AddDataFile(engine_, kWords, 3);
        words[600] = 0;
        words[700] = 1;
        words[800] = 2;
        qztest::LoadSentInfo(engine_.m_sentInfo, dir_, {"NN"}, {{0, 600, 0, 0}, {0, 700, 1, 0}, {0, 800, 2, 0}},
                             {{"num=10", "name=b"}, {"num=9", "name=a"}, {"num=x", "name=c"}});
        fullText_.m_Config.m_DocInfoTypeNumber.insert("num");
        fullText_.m_Config.m_DocInfoTypeString.insert("name");
        qav::g_pCQAVEngine = &engine_;
        qav::g_pBMEngine = &fullText_;
        ASSERT_TRUE(search_.QAVSearchInit(false));
    }
    void TearDown() override {
        search_.QAVSearchExit();
        qav::g_pCQAVEngine = nullptr;
        qav::g_pBMEngine = nullptr;
    }

    // M1 with one-word hits at the sentences, in this order.
    uint64_t Merged(const std::vector<uint32_t>& sentences) {
        qav::CQAVRet& slot = search_.m_QAVRet[0];
        slot.Clear();
        for (uint32_t position : sentences) {
            qav::CRetInfo hit = qav::ClearedRetInfo();
            hit.file_no = 0;
            hit.position = position;
            hit.start = 0;
            hit.length = 1;
            slot.Add2QAVRetEx(hit);
        }
        return slot.Handle();
    }
    // A1 with records of a kind-4 query with an empty pattern.
    uint64_t Atom(const std::vector<uint32_t>& sentences) {
        qav::CAtomRet* slot = search_.TakeAtomSlot();
        slot->m_Query.type = qav::UNIT_POS_R;
        slot->m_Query.waves = {{0, 0}, {0, 1}, {0, 2}, {0, 3}};
        for (uint32_t position : sentences) {
            auto bytes = searchtest::Record(position, 0, 0, 0, 8);
            buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
        }
        slot->AddSegment(buffer_.data(), 0, static_cast<int32_t>(sentences.size()), 8);
        return slot->Handle();
    }

    std::vector<std::string> Rows() const {
        std::vector<std::string> rows;
        for (int i = 0; i < search_.m_FinalRect.m_nCount; ++i)
            rows.push_back(qztest::Utf8(search_.m_FinalRect.m_Rows[static_cast<size_t>(i)].text));
        return rows;
    }

    qztest::TempDir dir_;
    qav::CQAVEngine engine_;
    qav::CBMEngine fullText_;
    qav::CQAVSearch search_;
    std::vector<unsigned char> buffer_;
};

TEST_F(TagOutputsTest, SortsByNumberOrTextEitherWay) {
    struct Case {
        std::string tag;
        int dir;
        std::vector<std::string> rows;
    } cases[] = {
        {"num", qav::kSortAscending, {"<Q>零</Q>", "<Q>九</Q>", "<Q>十</Q>"}},
        {"num", 0, {"<Q>十</Q>", "<Q>九</Q>", "<Q>零</Q>"}},
        {"name", qav::kSortAscending, {"<Q>九</Q>", "<Q>十</Q>", "<Q>零</Q>"}},
        {"name", 2, {"<Q>零</Q>", "<Q>十</Q>", "<Q>九</Q>"}},
        {"other", qav::kSortAscending, {}},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(search_.GetSortByBuff(Merged({600, 900, 700, 800}), c.tag, c.dir));
        EXPECT_EQ(Rows(), c.rows) << c.tag << " " << c.dir;
        EXPECT_FALSE(search_.m_QAVRet[0].IsFree());
    }
    const uint64_t atom = Atom({800, 600, 900, 700});
    EXPECT_TRUE(search_.GetSortByBuff(atom, "num", qav::kSortAscending));
    EXPECT_EQ(Rows(), (std::vector<std::string>{"<Q>零</Q>", "<Q>九</Q>", "<Q>十</Q>"}));
    // Limits apply to atom results.
    search_.Add2Limit({qav::SentenceKey(0, 650), qav::SentenceKey(0, 850)});
    EXPECT_TRUE(search_.GetSortByBuff(atom, "num", 0));
    EXPECT_EQ(Rows(), (std::vector<std::string>{"<Q>九</Q>", "<Q>零</Q>"}));
}

TEST_F(TagOutputsTest, NoFullTextEngineMeansNoSortableTag) {
    qav::g_pBMEngine = nullptr;
    search_.m_FinalRect.AddRow("old", -1);
    EXPECT_TRUE(search_.GetSortByBuff(Merged({600}), "num", qav::kSortAscending));
    EXPECT_TRUE(Rows().empty());
}

TEST_F(TagOutputsTest, GroupingKeepsGroupsTogetherAndFreesTheSlot) {
    engine_.m_corpus[0][601] = 0;
    const uint64_t merged = Merged({600, 700, 601, 900});
    // 601 has no sentence information of its own.
    EXPECT_TRUE(search_.GetGroupByBuff(merged, "name"));
    const std::vector<std::string> made = Rows();
    const std::multiset<std::string> rows(made.begin(), made.end());
    EXPECT_EQ(rows, (std::multiset<std::string>{"<Q>十</Q>", "<Q>九</Q>"}));
    EXPECT_TRUE(search_.m_QAVRet[0].IsFree());
    EXPECT_EQ(search_.m_QAVRet[0].m_nCount, 0);

    const uint64_t atom = Atom({600, 700});
    EXPECT_TRUE(search_.GetCountByBuff(atom, "name"));
    EXPECT_TRUE(Rows().empty());
    EXPECT_TRUE(search_.AtomSlot(atom)->IsFree());
    EXPECT_EQ(search_.AtomSlot(atom)->m_nSegCount, 0);
}

TEST_F(TagOutputsTest, DocumentsOfHitsAreLogged) {
    qav::g_log_file = std::fopen(dir_.file("log.txt").c_str(), "w");
    ASSERT_NE(qav::g_log_file, nullptr);
    const uint64_t merged = Merged({600, 900, 700, 800});
    EXPECT_TRUE(search_.GetOrgBuff(merged, nullptr, 3, "name"));
    EXPECT_TRUE(search_.GetOrgBuff(merged, nullptr, 1, ""));
    int response = 0;
    EXPECT_TRUE(search_.GetOrgBuff(merged, &response, 3, ""));
    std::fclose(qav::g_log_file);
    qav::g_log_file = nullptr;
    // The unknown sentence 900 is counted without a line.
    EXPECT_EQ(qztest::ReadFile(dir_.file("log.txt")),
              "(ID=0;Pos=NN;b)\n(ID=1;Pos=NN;a)\n(ID=0;Pos=NN;name=b;num=10;)\n");
}

TEST_F(TagOutputsTest, UnknownHandlesChangeNothing) {
    search_.m_FinalRect.AddRow("old", -1);
    EXPECT_FALSE(search_.GetSortByBuff(12345, "num", qav::kSortAscending));
    EXPECT_FALSE(search_.GetGroupByBuff(0, "num"));
    EXPECT_FALSE(search_.GetCountByBuff(12345, "num"));
    EXPECT_EQ(Rows(), (std::vector<std::string>{"old"}));
}

}  // namespace
