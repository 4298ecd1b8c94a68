// Joins and merges over an index built from the sample corpus, checked
// against a brute-force recomputation from the records and the corpus text.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "include/qavlib.h"
#include "qav/index/engine/qav_engine.h"
#include "qav/search/merge/join_relation.h"
#include "qav/index/format/offset_record_fields.h"
#include "qav/search/qav_search.h"
#include "qav/search/filter/sentence_document.h"
#include "support/test_support.h"
#include "qav/service/engines.h"

namespace fs = std::filesystem;
using qztest::Gbk;

namespace {

// A hit as the oracle sees it: file, sentence, start, length.
using Hit = std::tuple<int, uint32_t, int, int>;

struct Unit {
    std::string name;
    qav::UnitType kind;
    std::string records;  // the unit's offset records
};

// One result of the oracle: the unit's records turned into hits by hand.
struct Side {
    const Unit* unit;
    int w1, w2;  // waves
    std::vector<Hit> hits;
    std::vector<int> clauses;
};

class MergeOracle : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new qztest::TempDir();
        const std::string index = dir_->file("index");
        const std::string config = dir_->file("config.json");
        qztest::WriteFile(config,
                          "{\"FileInfo\":{\"Data\":\"Data\",\"Offset\":\"Offset\",\"WordList\":\"WordList.dat\","
                          "\"Unit\":\"Unit.dat\",\"OrgDat\":\"Org.dat\",\"SentInfo\":\"SentInfo.dat\","
                          "\"DocInfo\":\"DocInfo.txt\",\"CatTable\":\"CatTable.txt\"},"
                          "\"SizeInfo\":{\"HashSize_IdxUnit\":64,\"HashTagSize_Merge\":16,\"ThreadNum_Sort\":8},"
                          "\"Clause Seperator\":[\"" + Gbk("，") + "\",\"" + Gbk("。") + "\"]}");
        // The smaller sample files keep the build short; the tree files bring
        // sentences with document information.
        std::string list;
        for (const char* name : {"song.txt", "tree_square.txt", "tree_round.txt"})
            list += fs::absolute(qztest::DataDir() + "/sample/" + name).string() + "\n";
        qztest::WriteFile(dir_->file("corpus.lst"), list);
        testing::internal::CaptureStdout();
        built_ = IdxMainAllInOne(config.c_str(), dir_->file("corpus.lst").c_str(), index.c_str()) == 1 &&
                 qav::GlobalInit("config.txt", index);
        testing::internal::GetCapturedStdout();
    }
    static void TearDownTestSuite() {
        qav::GlobalExit();
        delete dir_;
        dir_ = nullptr;
    }

    void SetUp() override {
        ASSERT_TRUE(built_);
        ASSERT_TRUE(search_.QAVSearchInit(false));
        PickUnits();
    }
    void TearDown() override { search_.QAVSearchExit(); }

    // The largest leaf units of kinds 3 and 4 that have a few hundred records.
    void PickUnits() {
        const qav::CQAVEngine& engine = *qav::g_pCQAVEngine;
        std::vector<const qav::CHashNode*> nodes;
        for (const qav::CHashNode* node : engine.m_unitTable.unit_list)
            if ((node->type == qav::UNIT_POS_L || node->type == qav::UNIT_POS_R) && node->count >= 50 && node->count <= 3000)
                nodes.push_back(node);
        std::sort(nodes.begin(), nodes.end(), [](auto* a, auto* b) { return a->count > b->count; });
        nodes.resize(std::min<size_t>(nodes.size(), 5));
        std::map<int, std::string> files;
        for (const qav::CHashNode* node : nodes) {
            if (!files.count(node->file_no))
                files[node->file_no] =
                    qztest::ReadFile(dir_->file("index") + "/Offset_" + std::to_string(node->file_no) + ".dat");
            units_.push_back({node->name, node->type, files[node->file_no].substr(node->offset, node->count * 8)});
        }
        ASSERT_GE(units_.size(), 3u);
    }

    // The hits of a unit's records by hand: an empty pattern makes the anchor
    // word the hit, widened by the waves; the sentence must start on a word.
    Side Oracle(const Unit& unit, int w1, int w2) const {
        const qav::CQAVEngine& engine = *qav::g_pCQAVEngine;
        Side side{&unit, w1, w2, {}, {}};
        for (size_t at = 0; at + 8 <= unit.records.size(); at += 8) {
            const auto* record = reinterpret_cast<const unsigned char*>(unit.records.data() + at);
            const uint32_t position = qav::GetOffset(record);
            const uint8_t file = qav::GetFileNo(record);
            const int64_t anchor = int64_t{position} + qav::GetPOS(record);
            if (file >= engine.DataFileCount()) continue;
            const uint32_t length = engine.m_corpusLength[file];
            if (position >= length || anchor < 0 || anchor >= length) continue;
            if (engine.m_corpus[file][position] >= engine.m_pWordList->words_by_id.size()) continue;
            side.hits.emplace_back(file, position, qav::GetPOS(record) - w1, 1 + w1 + w2);
            side.clauses.push_back(qav::GetClauseNo(record));
        }
        return side;
    }

    // Puts the unit's records into a free atom slot with the same query.
    uint64_t Slot(const Side& side) {
        qav::CAtomRet* slot = search_.TakeAtomSlot();
        if (!slot) return 0;
        slot->m_Query.type = side.unit->kind;
        slot->m_Query.waves = {{static_cast<uint32_t>(side.w1), 0}, {static_cast<uint32_t>(side.w2), 1}, {0, 2}, {0, 3}};
        slot->AddSegment(reinterpret_cast<const unsigned char*>(side.unit->records.data()), 0,
                         static_cast<int32_t>(side.unit->records.size() / 8), 8);
        return slot->Handle();
    }

    // Every pair of distinct units, both ways round.
    std::vector<std::pair<size_t, size_t>> OrderedPairs() const {
        std::vector<std::pair<size_t, size_t>> pairs;
        for (size_t a = 0; a < units_.size(); ++a)
            for (size_t b = 0; b < units_.size(); ++b)
                if (a != b) pairs.emplace_back(a, b);
        return pairs;
    }

    static std::vector<Hit> Hits(const qav::CQAVRet& ret) {
        std::vector<Hit> hits;
        for (int i = 0; i < ret.m_nCount; ++i) {
            const qav::CRetInfo& h = ret.m_Hits[static_cast<size_t>(i)];
            hits.emplace_back(h.file_no, h.position, h.start, h.length);
        }
        return hits;
    }
    static std::vector<Hit> Sorted(std::vector<Hit> hits) {
        std::sort(hits.begin(), hits.end());
        return hits;
    }
    static std::pair<int, uint32_t> SentenceOf(const Hit& h) { return {std::get<0>(h), std::get<1>(h)}; }

    static qztest::TempDir* dir_;
    static bool built_;
    qav::CQAVSearch search_;
    std::vector<Unit> units_;
};

qztest::TempDir* MergeOracle::dir_ = nullptr;
bool MergeOracle::built_ = false;

TEST_F(MergeOracle, JoinsFindExactlyThePairsOfEachRelation) {
    using Pred = std::function<bool(int ls, int le, int lc, int rs, int re, int rc)>;
    const std::pair<const char*, Pred> relations[] = {
        {"ShareTag", [](int, int le, int, int rs, int, int) { return le - rs == 1; }},
        {"ShareQuery", [](int ls, int, int, int rs, int, int) { return rs == ls + 1; }},
        {"*", [](int, int le, int lc, int rs, int, int rc) { return lc == rc && le < rs; }},
        {"^", [](int, int le, int lc, int rs, int, int rc) { return lc != rc && le < rs; }},
        {"SameLeft", [](int ls, int le, int, int rs, int re, int) { return ls == rs && le - ls >= re - rs; }},
        {"SameRight", [](int, int le, int, int, int re, int) { return le == re; }},
        {"Link", [](int, int le, int, int rs, int, int) { return le == rs; }},
        {"SameSent", [](int, int, int, int, int, int) { return true; }},
        {"InPhrase", [](int, int, int, int, int, int) { return false; }},
        {"InChunk", [](int ls, int le, int, int rs, int re, int) { return rs >= ls && re <= le; }},
        {"SameBoundary", [](int ls, int le, int, int rs, int re, int) { return ls == rs && le == re; }},
    };
    int found = 0;
    for (const auto& [a, b] : OrderedPairs()) {
        // Waves give the hits different widths so that the relations differ.
        const Side left = Oracle(units_[a], 1, 0), right = Oracle(units_[b], 0, 1);
        for (const auto& [name, holds] : relations) {
            SCOPED_TRACE(units_[a].name + " " + name + " " + units_[b].name);
            std::vector<Hit> expected;
            for (size_t i = 0; i < left.hits.size(); ++i) {
                for (size_t j = 0; j < right.hits.size(); ++j) {
                    const Hit& l = left.hits[i];
                    const Hit& r = right.hits[j];
                    if (SentenceOf(l) != SentenceOf(r)) continue;
                    const int ls = std::get<2>(l), le = ls + std::get<3>(l);
                    const int rs = std::get<2>(r), re = rs + std::get<3>(r);
                    if (!holds(ls, le, left.clauses[i], rs, re, right.clauses[j])) continue;
                    const int start = std::min(ls, rs);
                    expected.emplace_back(std::get<0>(l), std::get<1>(l), start, std::max(le, re) - start);
                }
            }
            ASSERT_LT(expected.size(), 102400u);
            const uint64_t h1 = Slot(left), h2 = Slot(right);
            qav::CQAVRet* out = search_.MergeSearch(h1, h2, qav::JoinRelationCode(name));
            ASSERT_NE(nullptr, out);
            EXPECT_EQ(Sorted(expected), Sorted(Hits(*out)));
            found += out->m_nCount;
            out->m_bFree = 1;
        }
    }
    EXPECT_GT(found, 100);
}

TEST_F(MergeOracle, AndOrNotAgreeWithTheSentenceSets) {
    for (const auto& [a, b] : OrderedPairs()) {
        SCOPED_TRACE(units_[a].name + " with " + units_[b].name);
        const Side first = Oracle(units_[a], 0, 0), second = Oracle(units_[b], 0, 0);
        std::map<std::pair<int, uint32_t>, std::vector<Hit>> inFirst, inSecond;
        for (const Hit& h : first.hits) inFirst[SentenceOf(h)].push_back(h);
        for (const Hit& h : second.hits) inSecond[SentenceOf(h)].push_back(h);

        // AND: each probe hit (of the side with fewer records) with a
        // partner sentence, followed by the other side's hits there.
        const bool secondProbes = first.unit->records.size() > second.unit->records.size();
        const Side& probe = secondProbes ? second : first;
        auto& listSentences = secondProbes ? inFirst : inSecond;
        std::vector<Hit> expectedAnd, expectedOr, expectedNot;
        for (const Hit& h : probe.hits) {
            auto partner = listSentences.find(SentenceOf(h));
            if (partner == listSentences.end()) continue;
            expectedAnd.push_back(h);
            expectedAnd.insert(expectedAnd.end(), partner->second.begin(), partner->second.end());
        }
        expectedOr = second.hits;
        expectedOr.insert(expectedOr.end(), first.hits.begin(), first.hits.end());
        for (const Hit& h : first.hits)
            if (!inSecond.count(SentenceOf(h))) expectedNot.push_back(h);

        const std::pair<int, std::vector<Hit>> cases[] = {
            {qav::kMergeAnd, Sorted(expectedAnd)}, {qav::kMergeOr, expectedOr}, {qav::kMergeNot, expectedNot}};
        for (const auto& [type, expected] : cases) {
            const uint64_t h1 = Slot(first), h2 = Slot(second);
            qav::CQAVRet* out = search_.MergeRet(h1, h2, type, false);
            ASSERT_NE(nullptr, out);
            EXPECT_EQ(expected, type == qav::kMergeAnd ? Sorted(Hits(*out)) : Hits(*out)) << "type " << type;
            out->m_bFree = 1;
        }
    }
}

TEST_F(MergeOracle, DocumentLevelNotDropsTheDocumentsOfTheSecondSide) {
    // The document of each hit. Sentence information covers only some
    // sentences, so a hit's document comes from the document table (whose
    // agreement with the corpus the query road tests check); taking the
    // document of the record met last instead misplaces most sentences.
    auto documents = [&](const Side& side) {
        std::vector<int64_t> docs;
        for (const Hit& h : side.hits) {
            int64_t doc = -1;
            EXPECT_TRUE(qav::DocumentOfSentence(*qav::g_pCQAVEngine, (uint64_t(std::get<0>(h)) << 32) | std::get<1>(h), doc));
            docs.push_back(doc);
        }
        return docs;
    };
    int dropped = 0;
    for (const auto& [a, b] : OrderedPairs()) {
        const Side first = Oracle(units_[a], 0, 0), second = Oracle(units_[b], 0, 0);
        const std::vector<int64_t> firstDocs = documents(first), secondDocs = documents(second);
        const std::set<int64_t> excluded(secondDocs.begin(), secondDocs.end());
        std::vector<Hit> expected;
        for (size_t i = 0; i < first.hits.size(); ++i)
            if (!excluded.count(firstDocs[i])) expected.push_back(first.hits[i]);
        dropped += static_cast<int>(first.hits.size() - expected.size());
        const uint64_t h1 = Slot(first), h2 = Slot(second);
        qav::CQAVRet* out = search_.MergeRet(h1, h2, qav::kMergeNot, true);
        ASSERT_NE(nullptr, out);
        EXPECT_EQ(expected, Hits(*out)) << units_[a].name;
        out->m_bFree = 1;
    }
    EXPECT_GT(dropped, 0);
}

}  // namespace
