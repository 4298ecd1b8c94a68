// Ranked search: query tokens, the BM25 contribution of one term, and the
// ranking over the real documents of tests/data/fulltext against a
// re-computation from the input files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <sstream>

#include "../build/build_fixture.h"
#include "qav/fulltext/build/split_line.h"
#include "qav/fulltext/search/bm_search.h"

namespace {

TEST(CountQueryEx, CountsWordsWithTheirFields) {
    const std::vector<std::string> fields = {"title", "abstract"};
    const struct {
        std::string text;
        qav::TermCounts counts;
        qav::TermFields allowed;
    } cases[] = {
        {"apple/title apple\t2024\n", {{"apple", 2}}, {{"apple", {0, 1}}}},
        {"apple/title  pear/abstract", {{"apple", 1}, {"pear", 1}}, {{"apple", {0}}, {"pear", {1}}}},
        {"x/noun a/b/title", {{"x", 1}, {"a/b", 1}}, {{"x", {0, 1}}, {"a/b", {0}}}},
        {"the/title 3.5 /title w/x", {}, {}},  // stop word, number, empty word, stop tag
    };
    for (const auto& c : cases) {
        qav::TermCounts counts;
        qav::TermFields allowed;
        qav::CountQueryEx(c.text, fields, {"the"}, {"x"}, true, &counts, &allowed);
        EXPECT_EQ(counts, c.counts) << c.text;
        EXPECT_EQ(allowed, c.allowed) << c.text;
    }
}

TEST(ScoreTerm, FollowsTheBM25Formula) {
    EXPECT_NEAR(qav::ScoreTerm(1000, 10, 3, 100, 100, 1, 2, 0.75f, 1), 8.20328, 1e-4);
    // A field without an average length scores as if its average were 1.
    EXPECT_TRUE(std::isfinite(qav::ScoreTerm(1000, 10, 3, 100, 0, 1, 2, 0.75f, 1)));
    EXPECT_FLOAT_EQ(qav::ScoreTerm(1000, 10, 3, 100, 0, 1, 2, 0.75f, 1), qav::ScoreTerm(1000, 10, 3, 100, 1, 1, 2, 0.75f, 1));
}

// Field records of the input documents: tokens per (document, field).
struct Corpus {
    std::vector<std::string> names;
    std::vector<std::map<int, std::vector<std::string>>> fields;  // per document
};

Corpus ReadCorpus(const std::vector<std::string>& inputs, const qav::StrSet& stopWords) {
    Corpus corpus;
    const std::vector<std::string> fieldNames = {"title", "abstract"};
    for (const std::string& input : inputs) {
        std::istringstream lines(input);
        std::string line;
        int field = -1;
        while (std::getline(lines, line)) {
            if (line.rfind("#Global id=", 0) == 0) {
                corpus.names.push_back(line.substr(11, line.find(';') - 11));
                corpus.fields.emplace_back();
            } else if (line.rfind("#Group name=", 0) == 0) {
                field = static_cast<int>(std::find(fieldNames.begin(), fieldNames.end(), line.substr(12)) -
                                         fieldNames.begin());
            } else if (line.rfind("Item:", 0) == 0) {
                for (const std::string& word : qav::bm::SplitLine(line.substr(5), stopWords, {"x"}, true))
                    corpus.fields.back()[field].push_back(word);
            }
        }
    }
    return corpus;
}

// score(D) = sum over fields f of D and query terms t in f of
// idf(t) * tf (k1 + 1) / (tf + k1 (1 - b + b dl / avgdl(f))) * qtf (k3 + 1) / (qtf + k3)
std::map<std::string, double> Recompute(const Corpus& corpus, const std::vector<std::string>& query) {
    const double k1 = 2, b = 0.75, k3 = 1;
    const double n = static_cast<double>(corpus.names.size());
    std::map<int, double> tokens, records;
    std::map<std::string, std::set<size_t>> docsOf;
    for (size_t d = 0; d < corpus.fields.size(); ++d)
        for (const auto& [field, words] : corpus.fields[d]) {
            tokens[field] += static_cast<double>(words.size());
            ++records[field];
            for (const std::string& word : words) docsOf[word].insert(d);
        }
    std::map<std::string, int> qtf;
    for (const std::string& term : query) ++qtf[term];
    std::map<std::string, double> scores;
    for (size_t d = 0; d < corpus.fields.size(); ++d)
        for (const auto& [field, words] : corpus.fields[d]) {
            const double avgdl = std::floor(tokens[field] / records[field]);
            const double dl = static_cast<double>(words.size());
            for (const auto& [term, q] : qtf) {
                const double tf = static_cast<double>(std::count(words.begin(), words.end(), term));
                if (tf == 0) continue;
                const double df = static_cast<double>(docsOf[term].size());
                const double idf = std::log((n - df + 0.5) / (df + 0.5) + 1);
                scores[corpus.names[d]] +=
                    idf * tf * (k1 + 1) / (tf + k1 * (1 - b + b * dl / avgdl)) * q * (k3 + 1) / (q + k3);
            }
        }
    return scores;
}

class RealDocumentsRanking : public testing::Test {
protected:
    void SetUp() override {
        const std::string data = qztest::DataDir() + "/fulltext/";
        std::vector<std::string> inputs;
        for (int i = 0; i < 3; ++i) inputs.push_back(qztest::ReadFile(data + "input_0" + std::to_string(i) + ".txt"));
        std::string config = qztest::ReadFile(data + "config.txt");
        const std::string stopName = "\"stopwords.txt\"";
        config.replace(config.find(stopName), stopName.size(), "\"" + data + "stopwords.txt\"");
        ASSERT_EQ(build_.Run(config, inputs), 1) << build_.log;
        qav::StrSet stopWords;
        std::istringstream stopLines(qztest::ReadFile(data + "stopwords.txt"));
        for (std::string word; std::getline(stopLines, word);) stopWords.insert(word);
        corpus_ = ReadCorpus(inputs, stopWords);
        ASSERT_TRUE(qav_bm_test::LoadFullTextEngine(engine_, build_.index()));
        for (const auto& [name, key] : engine_.m_PidIdx) nameOf_[key] = name;
        qav::g_pBMEngine = &engine_;
        ASSERT_TRUE(search_.BMSearchInit());
    }
    void TearDown() override {
        search_.BMSearchExit();
        qav::g_pBMEngine = nullptr;
        qav::g_nEngineType = qav::kEngineStructured;
    }
    // Twenty queries: ten single terms and ten pairs, spread over the terms
    // that some but not all documents hold.
    std::vector<std::vector<std::string>> Queries() const {
        std::map<std::string, std::set<size_t>> docsOf;
        for (size_t d = 0; d < corpus_.fields.size(); ++d)
            for (const auto& [field, words] : corpus_.fields[d])
                for (const std::string& word : words) docsOf[word].insert(d);
        std::vector<std::string> terms;
        for (const auto& [term, docs] : docsOf)
            if (docs.size() >= 2 && docs.size() < corpus_.names.size()) terms.push_back(term);
        std::vector<std::vector<std::string>> queries;
        const size_t step = terms.size() / 20;
        for (size_t i = 0; i < 20; ++i) {
            if (i < 10) queries.push_back({terms[i * step]});
            else queries.push_back({terms[i * step], terms[i * step + step / 2], terms[i * step]});
        }
        return queries;
    }

    qav_bm_test::TestBuild build_;
    Corpus corpus_;
    qav::CBMEngine engine_;
    qav::CBMSearch search_;
    std::map<int64_t, std::string> nameOf_;
};

TEST_F(RealDocumentsRanking, TopTenAndScoresEqualARecomputation) {
    const std::vector<std::vector<std::string>> queries = Queries();
    ASSERT_EQ(queries.size(), 20u);
    for (const std::vector<std::string>& query : queries) {
        std::string text;
        for (const std::string& term : query) text += term + " ";
        const std::map<std::string, double> expected = Recompute(corpus_, query);
        ASSERT_FALSE(expected.empty());

        testing::internal::CaptureStdout();
        ASSERT_TRUE(search_.CountAndLookUp(text));
        search_.GetCandidateDoc(0);
        search_.CalCandidateDoc(0);
        search_.MergeCandidateDoc();
        std::vector<qav::CBMOneDoc> merged = search_.m_BMDoc.m_Merged;
        qav::CBMRet* top = search_.BM25(text, 10, 0);
        testing::internal::GetCapturedStdout();
        ASSERT_EQ(merged.size(), expected.size()) << qztest::Utf8(text);
        for (const qav::CBMOneDoc& doc : merged)
            EXPECT_NEAR(doc.score, expected.at(nameOf_.at(doc.docKey)), 1e-4) << qztest::Utf8(text);

        // The slot holds the ten best documents, best first.
        ASSERT_NE(top, nullptr);
        std::vector<double> best;
        for (const auto& [name, score] : expected) best.push_back(score);
        std::sort(best.rbegin(), best.rend());
        best.resize(std::min<size_t>(best.size(), 10));
        ASSERT_EQ(top->m_nDocNum, static_cast<int32_t>(best.size()));
        for (int32_t i = 0; i < top->m_nDocNum; ++i) {
            const std::string& name = nameOf_.at(qav::bm::DocKey((*top)[i].shard, (*top)[i].docOffset));
            EXPECT_NEAR(expected.at(name), best[static_cast<size_t>(i)], 1e-4) << qztest::Utf8(text) << " #" << i;
        }
        top->Clear();
    }
}

TEST_F(RealDocumentsRanking, ModesCollectTheirDocuments) {
    const std::vector<std::vector<std::string>> queries = Queries();
    const std::string a = queries[10][0];
    const std::string b = queries[10][1];
    auto docsWith = [&](const std::string& term) {
        std::set<std::string> names;
        for (size_t d = 0; d < corpus_.fields.size(); ++d)
            for (const auto& [field, words] : corpus_.fields[d])
                if (std::count(words.begin(), words.end(), term)) names.insert(corpus_.names[d]);
        return names;
    };
    auto ranked = [&](const std::string& text, int32_t mode) {
        testing::internal::CaptureStdout();
        qav::CBMRet* slot = search_.BM25(text, -1, mode);
        testing::internal::GetCapturedStdout();
        std::set<std::string> names;
        for (int32_t i = 0; slot && i < slot->m_nDocNum; ++i)
            names.insert(nameOf_.at(qav::bm::DocKey((*slot)[i].shard, (*slot)[i].docOffset)));
        if (slot) slot->Clear();
        return names;
    };
    std::set<std::string> both, either = docsWith(a);
    for (const std::string& name : docsWith(b)) (docsWith(a).count(name) ? both : either).insert(name);
    EXPECT_EQ(ranked(a + " " + b, -1), both);
    EXPECT_EQ(ranked(a + " " + b, 0), either);
    // Three terms intersect exactly too.
    const std::string c = queries[11][0];
    std::set<std::string> all;
    for (const std::string& name : both)
        if (docsWith(c).count(name)) all.insert(name);
    EXPECT_EQ(ranked(a + " " + b + " " + c, -1), all);
    // The rarer half of two terms.
    const std::string rarer = docsWith(a).size() <= docsWith(b).size() ? a : b;
    if (docsWith(a).size() != docsWith(b).size()) {
        EXPECT_EQ(ranked(a + " " + b, 50), docsWith(rarer));
    }
    EXPECT_EQ(ranked(a + " " + b, 10), std::set<std::string>{});
    EXPECT_EQ(ranked(a, 10), docsWith(a));
    EXPECT_EQ(search_.BM25("nosuchterm", 10, 0), nullptr);
}

TEST_F(RealDocumentsRanking, NamePrefixesFindEveryDocumentOfThatPrefix) {
    ASSERT_EQ(nameOf_.size(), corpus_.names.size());
    for (const std::string& prefix :
         std::vector<std::string>{"r", "r00000", "r00001", corpus_.names[3], corpus_.names[7] + ";" + corpus_.names[0]}) {
        std::set<int64_t> expected;
        for (const auto& [key, name] : nameOf_)
            if (prefix.find(';') == std::string::npos ? name.rfind(prefix, 0) == 0
                                                      : (name == corpus_.names[7] || name == corpus_.names[0]))
                expected.insert(key);
        ASSERT_FALSE(expected.empty()) << prefix;
        search_.m_pFSTSearch->m_Values.clear();
        testing::internal::CaptureStdout();
        EXPECT_TRUE(search_.GetFSTCandidateDoc(prefix));
        testing::internal::GetCapturedStdout();
        const std::vector<uint64_t>& values = search_.m_pFSTSearch->m_Values;
        EXPECT_EQ(std::set<int64_t>(values.begin(), values.end()), expected) << prefix;
        EXPECT_EQ(values.size(), expected.size()) << prefix;
    }
}

TEST_F(RealDocumentsRanking, KeyWordScoresTermsByIdfAndQueryFrequency) {
    const std::vector<std::vector<std::string>> queries = Queries();
    const std::string rare = queries[0][0];
    const std::string other = queries[5][0];
    std::vector<std::string> words;
    std::vector<float> scores;
    ASSERT_TRUE(search_.KeyWord(rare + " " + other + " " + other + " nosuchterm", -1, &words, &scores));
    ASSERT_EQ(words.size(), 2u);
    std::map<std::string, float> expected;
    for (const std::string& term : {rare, other}) {
        const float qtf = term == other ? 2 : 1;
        const auto* node = engine_.m_pHashTable->GetHashNode(term);
        expected[term] = 2 * qtf / (1 + qtf) * engine_.No2Idf(static_cast<int32_t>(node->termNumber));
    }
    EXPECT_GE(scores[0], scores[1]);
    for (size_t i = 0; i < 2; ++i) EXPECT_FLOAT_EQ(scores[i], expected.at(words[i])) << i;
    const std::string best = words[0];
    ASSERT_TRUE(search_.KeyWord(rare + " " + other + " " + other, 1, &words, &scores));
    EXPECT_EQ(words, std::vector<std::string>{best});
    EXPECT_FALSE(search_.KeyWord("nosuchterm", -1, &words, &scores));
    EXPECT_TRUE(words.empty());
}

TEST_F(RealDocumentsRanking, TwoTextsRankTheDocumentsBothCollect) {
    const std::vector<std::vector<std::string>> queries = Queries();
    const std::string a = queries[10][0];
    const std::string b = queries[10][1];
    testing::internal::CaptureStdout();
    qav::CBMRet* joined = search_.BM25(a, 0, b, 0, -1);
    ASSERT_NE(joined, nullptr);
    auto keysOf = [](const qav::CBMRet& slot) {
        std::vector<int64_t> keys;
        for (int32_t i = 0; i < slot.m_nDocNum; ++i) keys.push_back(qav::bm::DocKey(slot[i].shard, slot[i].docOffset));
        return keys;
    };
    const std::vector<int64_t> got = keysOf(*joined);
    joined->Clear();
    qav::CBMRet* both = search_.BM25(a + " " + b, -1, -1);
    testing::internal::GetCapturedStdout();
    ASSERT_NE(both, nullptr);
    // The same documents in the same order: both rank by the two terms.
    EXPECT_EQ(got, keysOf(*both));
    EXPECT_EQ(search_.BM25(a, 0, "nosuchterm", 0, -1), nullptr);
}

TEST_F(RealDocumentsRanking, ThreadedScoringEqualsScoringOnOneThread) {
    const std::vector<std::vector<std::string>> queries = Queries();
    const std::string text = queries[12][0] + " " + queries[12][1] + " " + queries[3][0];
    testing::internal::CaptureStdout();
    ASSERT_TRUE(search_.CountAndLookUp(text));
    search_.GetCandidateDoc(0);
    testing::internal::GetCapturedStdout();
    ASSERT_GT(search_.m_BMDoc.m_vBMCandidateDoc.size(), 4u);  // more candidates than threads
    const std::vector<qav::CBMOneDoc> unscored = search_.m_BMDoc.m_vBMCandidateDoc;
    search_.CalCandidateDoc(0);
    const std::vector<qav::CBMOneDoc> single = search_.m_BMDoc.m_vBMCandidateDoc;
    search_.m_BMDoc.m_vBMCandidateDoc = unscored;
    search_.CalCandidateDocEx(0);
    ASSERT_EQ(search_.m_BMDoc.m_vBMCandidateDoc.size(), single.size());
    for (size_t i = 0; i < single.size(); ++i) {
        EXPECT_GT(single[i].score, 0.0f);
        EXPECT_EQ(search_.m_BMDoc.m_vBMCandidateDoc[i].score, single[i].score) << i;
    }
}

TEST_F(RealDocumentsRanking, SetMergesOverSeveralShardsLoseNothing) {
    // Documents of different shards share offsets (each shard starts at 0),
    // so only the exact (shard, offset) key keeps them apart.
    std::set<int> shards;
    std::set<uint32_t> offsets;
    for (const auto& [key, name] : nameOf_) {
        shards.insert(static_cast<int>(key >> 32));
        offsets.insert(static_cast<uint32_t>(key));
    }
    ASSERT_GE(shards.size(), 3u);
    ASSERT_LT(offsets.size(), nameOf_.size());

    auto docsWith = [&](const std::string& term) {
        std::set<std::string> names;
        for (size_t d = 0; d < corpus_.fields.size(); ++d)
            for (const auto& [field, words] : corpus_.fields[d])
                if (std::count(words.begin(), words.end(), term)) names.insert(corpus_.names[d]);
        return names;
    };
    // A slot holds a record per (document, field) posting: the documents
    // are compared as a set.
    auto namesOf = [&](const qav::CBMRet* slot) {
        std::set<std::string> names;
        for (int32_t i = 0; slot && i < slot->m_nDocNum; ++i)
            names.insert(nameOf_.at(qav::bm::DocKey((*slot)[i].shard, (*slot)[i].docOffset)));
        return std::vector<std::string>(names.begin(), names.end());
    };
    const std::vector<std::vector<std::string>> queries = Queries();
    for (size_t q = 10; q < queries.size(); ++q) {
        const std::string& a = queries[q][0];
        const std::string& b = queries[q][1];
        const std::set<std::string> inA = docsWith(a), inB = docsWith(b);
        std::vector<std::string> both, either, onlyA;
        std::set_intersection(inA.begin(), inA.end(), inB.begin(), inB.end(), std::back_inserter(both));
        std::set_union(inA.begin(), inA.end(), inB.begin(), inB.end(), std::back_inserter(either));
        std::set_difference(inA.begin(), inA.end(), inB.begin(), inB.end(), std::back_inserter(onlyA));
        const struct {
            qav::CBMRet* (qav::CBMSearch::*merge)(int64_t, int64_t);
            const std::vector<std::string>& expected;
        } cases[] = {{&qav::CBMSearch::GetBMDoc_AND, both}, {&qav::CBMSearch::GetBMDoc_OR, either}, {&qav::CBMSearch::GetBMDoc_NOT, onlyA}};
        for (const auto& c : cases) {
            const qav::CBMRet* first = search_.GetBMDoc(a, 0);
            const qav::CBMRet* second = search_.GetBMDoc(b, 0);
            ASSERT_TRUE(first && second);
            EXPECT_EQ(namesOf(first), std::vector<std::string>(inA.begin(), inA.end()));
            qav::CBMRet* out = (search_.*c.merge)(first->handle(), second->handle());
            EXPECT_EQ(namesOf(out), c.expected) << qztest::Utf8(a) << " " << qztest::Utf8(b);
            for (int number = 1; number <= 3; ++number) search_.Slot(number).Clear();
        }
    }
}

TEST_F(RealDocumentsRanking, AFullCandidateListStopsOnlyItsOwnSearch) {
    const std::vector<std::vector<std::string>> queries = Queries();
    const std::string a = queries[10][0];
    const std::string b = queries[12][0];
    const std::string c = queries[14][0];
    auto count = [&](const std::string& text) {
        testing::internal::CaptureStdout();
        qav::CBMRet* slot = search_.BM25(text, -1, 0);
        testing::internal::GetCapturedStdout();
        const int32_t documents = slot ? slot->m_nDocNum : -1;
        if (slot) slot->Clear();
        return documents;
    };
    const int32_t whole = count(b + " " + c);
    engine_.m_Config.m_SizeInfo.MaxAtomSearchRetSize = 1;
    EXPECT_EQ(count(a + " " + b), 1);
    EXPECT_TRUE(search_.m_bOverflow);
    engine_.m_Config.m_SizeInfo.MaxAtomSearchRetSize = 102400;
    EXPECT_EQ(count(b + " " + c), whole);
    EXPECT_FALSE(search_.m_bOverflow);
}

}  // namespace
