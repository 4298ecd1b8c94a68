// The full-text engine over small built indexes: loading, the record getters
// and their caches.
#include "qav/fulltext/engine/bm_engine.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "../build/build_fixture.h"
#include "common/platform/byte_codec.h"
#include "qav/fulltext/format/bm_files.h"

namespace {

using qav_bm_test::TestBuild;
using qav_bm_test::TestConfig;

// Three documents in two input groups, so two shards; "common" is in every
// title and, with the extra documents, in more field records than the term
// table has buckets.
std::vector<std::string> Inputs(int extraDocuments) {
    std::string second = "#Global id=B2;part=2\n#Group name=title\nItem:common beta\nTable\n"
                         "#Global id=C3;part=3\n#Group name=title\nItem:common gamma gamma\n"
                         "#Group name=abstract\nItem:beta\nTable\n";
    for (int i = 0; i < extraDocuments; ++i)
        second += "#Global id=X" + std::to_string(i) + "\n#Group name=title\nItem:common\nTable\n";
    return {"#Global id=A1;part=1\n#Group name=title\nItem:common alpha\n#Group name=abstract\nItem:alpha beta\nTable\n",
            second};
}

class BMEngineTest : public testing::Test {
protected:
    void Load(int extraDocuments = 0) {
        ASSERT_EQ(build_.Run(TestConfig({"title", "abstract"}, {"id", "part"}, 2), Inputs(extraDocuments)), 1)
            << build_.log;
        qav::g_nEngineType = qav::kEngineFullText;
        testing::internal::CaptureStdout();
        const bool loaded = engine_.BMEngineInit("config.txt", build_.index());
        const std::string log = testing::internal::GetCapturedStdout();
        ASSERT_TRUE(loaded) << log;
        EXPECT_NE(log.find("BM engine ready."), std::string::npos);
    }
    void TearDown() override { qav::g_nEngineType = qav::kEngineStructured; }

    const qav::bm::CHashNodeBM& Term(const char* name) {
        const qav::bm::CHashNodeBM* node = engine_.m_pHashTable->GetHashNode(name);
        EXPECT_NE(node, nullptr) << name;
        return *node;
    }
    std::vector<qav::bm::Posting> Postings(const qav::bm::CHashNodeBM& node) {
        const qav::BMRecordBuffer buffer = engine_.GetTerm2DocBuffer(node);
        std::vector<qav::bm::Posting> postings;
        for (uint32_t j = 0; buffer && j < node.postingCount; ++j)
            postings.push_back(qav::bm::DecodeDocOffset(buffer->data(), j));
        return postings;
    }

    TestBuild build_;
    qav::CBMEngine engine_;
};

TEST_F(BMEngineTest, LoadsShardsWordListNamesAndTransducer) {
    Load();
    EXPECT_EQ(engine_.m_nShardCount, 2);
    EXPECT_EQ(engine_.m_pHashTable->m_nDocNum, 3u);
    const qav::bm::CHashNodeBM& gamma = Term("gamma");
    EXPECT_EQ(engine_.No2Word(static_cast<int32_t>(gamma.termNumber)), "gamma");
    EXPECT_GT(engine_.No2Idf(static_cast<int32_t>(gamma.termNumber)), 0.0f);
    const int32_t count = static_cast<int32_t>(engine_.m_WordList.size());
    for (int32_t outside : {-1, count}) {
        EXPECT_EQ(engine_.No2Word(outside), "");
        EXPECT_EQ(engine_.No2Idf(outside), 0.0f);
    }
    EXPECT_EQ(engine_.m_PidIdx.size(), 3u);
    EXPECT_EQ(engine_.m_PidIdx.at("A1"), 0);
    EXPECT_EQ(engine_.m_PidIdx.at("B2") >> 32, 1);
    ASSERT_EQ(engine_.m_FST.size(), 1u);
    const qav::FSTIndex& fst = engine_.m_FST.begin()->second;
    EXPECT_EQ(fst.m_pnBytes.size(), fst.m_nByteLength + 1u);
    EXPECT_EQ(fst.m_pnBytes.back(), 0u);
}

TEST_F(BMEngineTest, RecordGettersReadTheShardsAndCacheWhatTheyRead) {
    Load();
    const std::vector<qav::bm::Posting> common = Postings(Term("common"));
    ASSERT_EQ(common.size(), 3u);
    std::set<int64_t> documents;
    for (const qav::bm::Posting& posting : common) {
        documents.insert(qav::bm::DocKey(posting.shard, posting.docOffset));
        EXPECT_EQ(posting.field, 0);
        uint32_t dl = 0;
        const qav::BMRecordBuffer terms = engine_.GetDoc2TermBuffer(posting.termListOffset, posting.shard, &dl);
        ASSERT_NE(terms, nullptr);
        uint32_t again = 0;
        EXPECT_EQ(engine_.GetDoc2TermBuffer(posting.termListOffset, posting.shard, &again), terms);
        EXPECT_EQ(again, dl);
        const uint32_t k = qz::bytes::Load<uint32_t>(terms->data());
        EXPECT_EQ(terms->size(), 4 + 5u * k);
        bool found = false;
        for (uint32_t e = 0; e < k; ++e) {
            uint32_t number = 0;
            uint32_t tf = 0;
            qav::bm::DecodeEntry(terms->data() + 4 + 5 * e, &number, &tf);
            found |= engine_.No2Word(static_cast<int32_t>(number)) == "common";
        }
        EXPECT_TRUE(found);

        const qav::BMRecordBuffer info = engine_.GetDocInfoBuffer(posting.docOffset, posting.shard);
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(engine_.GetDocInfoBuffer(posting.docOffset, posting.shard), info);
        qav::bm::CDocInfo decoded;
        ASSERT_TRUE(qav::bm::DecodeDocInfo({"id", "part"}, 2,
                                          std::string(info->begin(), info->end()), &decoded));
        EXPECT_EQ(engine_.m_PidIdx.at(decoded.info.at("id")), qav::bm::DocKey(posting.shard, posting.docOffset));
    }
    EXPECT_EQ(documents.size(), 3u);
    EXPECT_EQ(engine_.GetTerm2DocBuffer(Term("common")), engine_.GetTerm2DocBuffer(Term("common")));
    uint32_t dl = 0;
    EXPECT_EQ(engine_.GetDoc2TermBuffer(0, 7, &dl), nullptr);
    EXPECT_EQ(engine_.GetDoc2TermBuffer(1u << 30, 0, &dl), nullptr);
    EXPECT_EQ(engine_.GetDocInfoBuffer(1u << 30, 0), nullptr);
}

// A purge of the posting cache only drops the engine's references: the
// buffers of the running search stay readable, and a term larger than the
// term table's bucket count is still loaded.
TEST_F(BMEngineTest, PostingPurgeKeepsHeldBuffersAndLoadsLargeTerms) {
    Load(500);
    const qav::BMRecordBuffer held = engine_.GetTerm2DocBuffer(Term("alpha"));
    const qav::bm::CHashNodeBM& common = Term("common");
    ASSERT_EQ(common.postingCount, 503u);
    const uint32_t bytes = 10 * common.postingCount;
    ASSERT_GT(bytes, engine_.m_pHashTable->size());
    engine_.m_nCacheNum = qav::MAX_BM_CACHE_SIZE - bytes + 240;
    testing::internal::CaptureStdout();
    const std::vector<qav::bm::Posting> postings = Postings(common);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("m_nCacheNum > MAX_BM_CACHE_SIZE"), std::string::npos);
    EXPECT_EQ(engine_.m_nCacheNum, bytes);
    EXPECT_EQ(postings.size(), 503u);
    EXPECT_EQ(postings.back().field, 0);
    EXPECT_EQ(qav::bm::DecodeDocOffset(held->data(), 0).field, 0);  // alpha's title posting, still readable
    EXPECT_NE(engine_.GetTerm2DocBuffer(Term("alpha")), held);     // loaded afresh
}

TEST_F(BMEngineTest, RefreshEmptiesOnlyCachesAboveTheThresholdAndNeverFails) {
    Load();
    uint32_t dl = 0;
    const qav::BMRecordBuffer record = engine_.GetDoc2TermBuffer(0, 0, &dl);
    const qav::BMRecordBuffer postings = engine_.GetTerm2DocBuffer(Term("alpha"));
    const uint32_t docBytes = engine_.m_nCacheDocSize;
    EXPECT_TRUE(engine_.RefreshCache());
    EXPECT_EQ(engine_.GetDoc2TermBuffer(0, 0, &dl), record);
    EXPECT_EQ(engine_.m_nCacheDocSize, docBytes);

    // Whether or not "info/Log" can be written here, the caches are emptied
    // and the search goes on.
    engine_.m_nCacheDocSize = qav::kBMRefreshThreshold + 1;
    engine_.m_nCacheNum = qav::kBMRefreshThreshold + 1;
    testing::internal::CaptureStdout();
    EXPECT_TRUE(engine_.RefreshCache());
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(engine_.m_nCacheDocSize, 0u);
    EXPECT_EQ(engine_.m_nCacheNum, 0u);
    EXPECT_NE(engine_.GetDoc2TermBuffer(0, 0, &dl), record);
    EXPECT_NE(engine_.GetTerm2DocBuffer(Term("alpha")), postings);
}

TEST_F(BMEngineTest, ConcurrentSearchesShareTheEngine) {
    Load(50);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int round = 0; round < 20; ++round) {
                engine_.FreeCache();
                for (const qav::bm::Posting& posting : Postings(Term("common"))) {
                    uint32_t dl = 0;
                    EXPECT_NE(engine_.GetDoc2TermBuffer(posting.termListOffset, posting.shard, &dl), nullptr);
                    EXPECT_NE(engine_.GetDocInfoBuffer(posting.docOffset, posting.shard), nullptr);
                }
            }
        });
    for (std::thread& thread : threads) thread.join();
}

TEST(BMEngineFiles, ShardsEndAtTheFirstMissingFileAndPidLinesAreChecked) {
    qztest::TempDir dir;
    qav::CBMEngine engine;
    engine.m_Config.m_FileInfo.Unit = dir.file("Unit");
    engine.m_Config.m_FileInfo.Data = dir.file("Data");
    EXPECT_EQ(engine.GetDocNum(), 0);
    EXPECT_TRUE(engine.OpenDoc());
    EXPECT_TRUE(engine.PidIdxInit());
    for (int i = 0; i < 4; ++i) qztest::WriteFile(dir.file("Unit-" + std::to_string(i)), "");
    for (int i = 0; i < 3; ++i) qztest::WriteFile(dir.file("Data-" + std::to_string(i)), "");
    EXPECT_EQ(engine.GetDocNum(), 3);
    engine.m_nShardCount = 2;  // shard 1 has no ".pid": skipped
    qztest::WriteFile(dir.file("Data_0.pid"), "a b c\nname 12\r\nother 5\nname 13\n\nlast 7");
    EXPECT_TRUE(engine.PidIdxInit());
    EXPECT_EQ(engine.m_PidIdx, (std::map<std::string, int64_t>{{"name", 13}, {"other", 5}, {"last", 7}}));
    EXPECT_FALSE(engine.OpenDoc());  // no ".orx" files
    EXPECT_FALSE(engine.DocInfoInit());
}

TEST(BMEngineFiles, WordListReaderRefusesDamagedFiles) {
    qztest::TempDir dir;
    std::string good;
    qz::bytes::Append<int32_t>(good, 1);
    qz::bytes::Append<int32_t>(good, 2);
    good += "ab";
    qz::bytes::Append<int32_t>(good, 0);
    qz::bytes::Append<float>(good, 1.5f);
    std::string huge;
    qz::bytes::Append<int32_t>(huge, 1000000);
    const struct {
        std::string bytes;
        bool ok;
    } cases[] = {{good, true}, {good.substr(0, good.size() - 1), false}, {huge, false}};
    for (const auto& c : cases) {
        qztest::WriteFile(dir.file("w"), c.bytes);
        qav::CWordListBM list;
        EXPECT_EQ(list.WordListInit(dir.file("w")), c.ok);
        EXPECT_EQ(list.No2Word(0), c.ok ? "ab" : "");
    }
    qav::CWordListBM list;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(list.WordListInit(dir.file("missing")));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error open " + dir.file("missing") + "!\n");
}

}  // namespace
