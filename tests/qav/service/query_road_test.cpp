// The query road end to end on the committed sample corpus: query texts go
// through the project's parser script and the exported runner, and their
// answers are compared with a brute-force reading of the corpus files.
// The index of the whole sample is built once per test program run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <cjson/cJSON.h>

#include "http_client.h"
#include "http_server_fixture.h"
#include "include/qavlib.h"
#include "qav/index/engine/qav_engine.h"
#include "qav/search/filter/sentence_document.h"
#include "qav/search/rows/source_id.h"
#include "sample_oracle.h"
#include "service_fixture.h"
#include "support/test_support.h"

namespace {

using qztest::Gbk;
using qztest::Hits;
using qztest::OracleCorpus;
using qztest::OracleHit;
using Relation = qztest::OracleCorpus::Relation;
using Json = std::unique_ptr<cJSON, void (*)(cJSON*)>;

// Words that end a clause, in UTF-8, for the index and for the oracle.
const char* const kClauseSeparators[] = {"，", "。", "？", "！", "；"};

class SampleIndex {
public:
    SampleIndex() {
        const std::string sample = qztest::DataDir() + "/sample";
        std::vector<std::string> separators;
        std::string separatorJson;
        for (const char* s : kClauseSeparators) {
            separators.push_back(Gbk(s));
            separatorJson += std::string(separatorJson.empty() ? "" : ",") + "\"" + Gbk(s) + "\"";
        }
        oracle = std::make_unique<OracleCorpus>(sample + "/corpus.lst", separators);
        std::string list;
        for (const std::string& file : oracle->files()) list += file + "\n";
        const std::string listPath = qztest::WriteAt(dir_, "corpus.lst", list);
        std::string config = qztest::ServiceConfig();
        config.insert(config.size() - 1, ",\"Clause Seperator\":[" + separatorJson + "]");
        const std::string configPath = qztest::WriteAt(dir_, "config.json", config);
        index = dir_.file("index");
        testing::internal::CaptureStdout();
        built = IdxMainAllInOne(configPath.c_str(), listPath.c_str(), index.c_str()) == 1 && QAV_Init(index.c_str()) == 1;
        testing::internal::GetCapturedStdout();
        qztest::CloseOpenBuildLog();
    }
    ~SampleIndex() { QAV_Exit(); }

    std::unique_ptr<OracleCorpus> oracle;
    std::string index;
    bool built = false;

private:
    qztest::TempDir dir_;
};

class QueryRoad : public testing::Test {
protected:
    static void SetUpTestSuite() { sample_ = new SampleIndex(); }
    static void TearDownTestSuite() {
        delete sample_;
        sample_ = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(sample_->built); }

    const OracleCorpus& O() const { return *sample_->oracle; }

    // The answer of a UTF-8 query, parsed.
    static Json Answer(const std::string& query) {
        static const std::string parser = qztest::DataDir() + "/../../utils/Parser.lua";
        std::vector<char> buffer(QAV_MAX_ANSWER_BYTES);
        testing::internal::CaptureStdout();
        QAV_RunQAV(parser.c_str(), sample_->index.c_str(), query.c_str(), buffer.data());
        testing::internal::GetCapturedStdout();
        Json json(cJSON_Parse(buffer.data()), cJSON_Delete);
        EXPECT_TRUE(json) << query << " gave " << buffer.data();
        return json;
    }

    static std::string Str(const cJSON* object, const char* name) {
        const char* text = cJSON_GetStringValue(cJSON_GetObjectItem(object, name));
        return text ? text : "";
    }
    static int Int(const cJSON* object, const char* name) {
        const cJSON* item = cJSON_GetObjectItem(object, name);
        return item ? item->valueint : -1;
    }

    // Whole-sentence rows: one per sentence with hits. A row is the
    // sentence's words before a hit, the marked hit and the words after it
    // (at most 40 of them; the row may run on into the next sentences).
    void ExpectContext(const std::string& query, const Hits& hits) {
        std::map<int, std::set<std::string>> marked;
        for (const OracleHit& h : hits) {
            const int n = static_cast<int>(O().sentences()[h.sent].words.size());
            marked[h.sent].insert(O().Text(h.sent, 0, h.begin) + "<Q>" + O().Text(h.sent, h.begin, h.end) + "</Q>" +
                                  O().Text(h.sent, h.end, std::min(n, h.end + 40)));
        }
        const Json answer = Answer(query + " => ctx -1 0 200000");
        ASSERT_TRUE(answer);
        ASSERT_EQ("Context", Str(answer.get(), "Type")) << query;
        EXPECT_EQ(static_cast<int>(marked.size()), Int(answer.get(), "Total")) << query;
        const cJSON* rows = cJSON_GetObjectItem(answer.get(), "Context");
        EXPECT_EQ(static_cast<int>(marked.size()), cJSON_GetArraySize(rows)) << query;
        const cJSON* row = nullptr;
        cJSON_ArrayForEach(row, rows) {
            ASSERT_TRUE(cJSON_IsString(row)) << query;
            const std::string text = Gbk(cJSON_GetStringValue(row));
            const auto found = std::find_if(marked.begin(), marked.end(), [&](const auto& entry) {
                return std::any_of(entry.second.begin(), entry.second.end(),
                                   [&](const std::string& s) { return text.compare(0, s.size(), s) == 0; });
            });
            EXPECT_NE(marked.end(), found) << query << ": unexpected row " << cJSON_GetStringValue(row);
            if (found != marked.end()) marked.erase(found);
        }
        int shown = 0;
        for (auto it = marked.begin(); it != marked.end() && shown < 5; ++it, ++shown) {
            ADD_FAILURE() << query << ": no row for " << qztest::Utf8(*it->second.begin()) << " (file "
                          << O().sentences()[it->first].file << ")";
        }
    }

    // The count of a search that is not a plain text (a tag, a constituent,
    // a join, a set operation) is the number of hits among the 100 most
    // frequent hit texts; for a plain text that is every hit.
    void ExpectCount(const std::string& query, const Hits& hits, bool plainText) {
        std::map<std::string, int> texts;
        for (const OracleHit& h : hits) ++texts[O().Text(h.sent, h.begin, h.end)];
        std::vector<int> counts;
        for (const auto& entry : texts) counts.push_back(entry.second);
        std::sort(counts.rbegin(), counts.rend());
        int top = 0;
        for (size_t i = 0; i < counts.size() && (plainText || i < 100); ++i) top += counts[i];

        const Json answer = Answer(query + " => count");
        ASSERT_TRUE(answer);
        ASSERT_EQ("Count", Str(answer.get(), "Type")) << query;
        const cJSON* rows = cJSON_GetObjectItem(answer.get(), "Freq");
        ASSERT_EQ(1, cJSON_GetArraySize(rows)) << query;
        EXPECT_EQ(top, cJSON_GetArrayItem(rows, 0)->valueint) << query << " (" << hits.size() << " hits)";
    }

    // A frequency list of a form against keys computed from the hits.
    void ExpectFreq(const std::string& query, const Hits& hits, const std::function<std::string(const OracleHit&)>& key) {
        std::map<std::string, int> expected;
        for (const OracleHit& h : hits) ++expected[key(h)];
        const Json answer = Answer(query);
        ASSERT_TRUE(answer);
        ASSERT_EQ("Freq", Str(answer.get(), "Type")) << query;
        std::map<std::string, int> rows;
        const cJSON* row = nullptr;
        cJSON_ArrayForEach(row, cJSON_GetObjectItem(answer.get(), "Freq")) rows[Gbk(row->string)] = row->valueint;
        for (const auto& [text, count] : expected) {
            const auto row = rows.find(text);
            EXPECT_EQ(count, row == rows.end() ? 0 : row->second) << query << ": " << qztest::Utf8(text);
        }
        for (const auto& [text, count] : rows) {
            EXPECT_TRUE(expected.count(text)) << query << ": unexpected row " << qztest::Utf8(text) << " " << count;
        }
    }

    static SampleIndex* sample_;
};

SampleIndex* QueryRoad::sample_ = nullptr;

struct HitCase {
    std::string query;
    std::function<Hits(const OracleCorpus&)> hits;
    bool plainText = false;  // a plain text (with waves) is counted hit by hit
};

TEST_F(QueryRoad, UnitsRelationsAndSetOperatorsMatchTheCorpus) {
    const auto L = [](const char* text) { return [text](const OracleCorpus& o) { return o.Literal(Gbk(text)); }; };
    const HitCase cases[] = {
        {"围城", L("围城")},
        {"人", L("人")},
        {"葡萄..", L("葡萄..")},
        {"..葡萄", L("..葡萄")},
        {"北京", L("北京")},
        {"一座<n>", [](const OracleCorpus& o) { return o.TextThenTag(Gbk("一座"), "n"); }},
        {"<v>一座", [](const OracleCorpus& o) { return o.TagThenText("v", Gbk("一座")); }},
        {"<nr>", [](const OracleCorpus& o) { return o.Tagged("nr"); }},
        {"<NR>", [](const OracleCorpus& o) { return o.Tagged("NR"); }},
        {"$NP", [](const OracleCorpus& o) { return o.Constituents("NP"); }},
        {"$VP", [](const OracleCorpus& o) { return o.Constituents("VP"); }},
        {"$NP=北京", [](const OracleCorpus& o) { return o.ConstituentsEndingWith("NP", Gbk("北京")); }},
        {"北京$", [](const OracleCorpus& o) { return o.TextEndingConstituent(Gbk("北京")); }},
        {"围城/n", [](const OracleCorpus& o) { return o.WordTag(Gbk("围城"), "n"); }},
        {"的/uj", [](const OracleCorpus& o) { return o.WordTag(Gbk("的"), "uj"); }},
        {"受 教育 的/uj 人/n",
         [](const OracleCorpus& o) {
             Hits h = o.Join(o.Literal(Gbk("受")), o.Literal(Gbk("教育")), Relation::Link);
             h = o.Join(h, o.WordTag(Gbk("的"), "uj"), Relation::Link);
             return o.Join(h, o.WordTag(Gbk("人"), "n"), Relation::Link);
         }},
        {"一座 围城", [](const OracleCorpus& o) { return o.Join(o.Literal(Gbk("一座")), o.Literal(Gbk("围城")), Relation::Link); }},
        {"<r> <v>", [](const OracleCorpus& o) { return o.Join(o.Tagged("r"), o.Tagged("v"), Relation::Link); }},
        {"婚姻 * 围城", [](const OracleCorpus& o) { return o.Join(o.Literal(Gbk("婚姻")), o.Literal(Gbk("围城")), Relation::Gap); }},
        {"人 * 的", [](const OracleCorpus& o) { return o.Join(o.Literal(Gbk("人")), o.Literal(Gbk("的")), Relation::Gap); }},
        {"婚姻 ^ 人", [](const OracleCorpus& o) { return o.Join(o.Literal(Gbk("婚姻")), o.Literal(Gbk("人")), Relation::OtherClause); }},
        {"$NP #InChunk# 北京",
         [](const OracleCorpus& o) { return o.Join(o.Constituents("NP"), o.Literal(Gbk("北京")), Relation::InChunk); }},
        {"<NR> #SameBoundary# 北京",
         [](const OracleCorpus& o) { return o.Join(o.Tagged("NR"), o.Literal(Gbk("北京")), Relation::SameBoundary); }},
        {"<r> <v> #ShareTag# <v>",
         [](const OracleCorpus& o) {
             return o.Join(o.Join(o.Tagged("r"), o.Tagged("v"), Relation::Link), o.Tagged("v"), Relation::ShareTag);
         }},
        {"$NP #ShareQuery# <NN>", [](const OracleCorpus& o) { return o.Join(o.Constituents("NP"), o.Tagged("NN"), Relation::ShareQuery); }},
        {"$NP #SameLeft# <NN>", [](const OracleCorpus& o) { return o.Join(o.Constituents("NP"), o.Tagged("NN"), Relation::SameLeft); }},
        {"$NP #sameright# <NN>", [](const OracleCorpus& o) { return o.Join(o.Constituents("NP"), o.Tagged("NN"), Relation::SameRight); }},
        {"婚姻 #SameSent# 人", [](const OracleCorpus& o) { return o.Join(o.Literal(Gbk("婚姻")), o.Literal(Gbk("人")), Relation::SameSent); }},
        // The side with fewer index records probes: 的 here, as the records
        // of 人 hold every word that begins with it.
        {"人 & 的", [](const OracleCorpus& o) { return OracleCorpus::AndProbe(o.Literal(Gbk("的")), o.Literal(Gbk("人"))); }},
        {"葡萄 | 石子", [](const OracleCorpus& o) { return OracleCorpus::Or(o.Literal(Gbk("葡萄")), o.Literal(Gbk("石子"))); }},
        {"人 ! 的", [](const OracleCorpus& o) { return OracleCorpus::Not(o.Literal(Gbk("人")), o.Literal(Gbk("的"))); }},
        {"人 @ 的", [](const OracleCorpus& o) { return OracleCorpus::Within(o.Literal(Gbk("人")), o.Literal(Gbk("的"))); }},
    };
    for (const HitCase& c : cases) {
        SCOPED_TRACE(c.query);
        const Hits hits = c.hits(O());
        EXPECT_FALSE(hits.empty()) << "the sample has no hit for " << c.query;
        ExpectCount(c.query, hits, c.plainText);
        ExpectContext(c.query, hits);
    }
    // InPhrase pairs nothing.
    const Json none = Answer("婚姻 #InPhrase# 人 => ctx");
    ASSERT_TRUE(none);
    EXPECT_EQ(0, Int(none.get(), "Total"));
}

TEST_F(QueryRoad, WavesLimitsFiltersAndBasesMatchTheCorpus) {
    // A filter passes the hits of every sentence of a matching document, not
    // only of the sentences that carry sentence information.
    const auto filtered = [](const OracleCorpus& o, const Hits& hits, const char* key,
                             const std::vector<std::string>& values) {
        return OracleCorpus::Where(hits, [&](const OracleHit& h) {
            const auto& sentence = o.sentences()[h.sent];
            const auto& info = o.docs()[sentence.doc].info;
            const auto found = info.find(key);
            if (found == info.end()) return false;
            return std::any_of(values.begin(), values.end(), [&](const std::string& v) {
                return found->second == v || found->second.rfind(v + "_", 0) == 0;
            });
        });
    };
    // Sentence keys of the first and the last sentence of a corpus file.
    const auto& sentences = O().sentences();
    const auto first = [&](int file) {
        const auto s = std::find_if(sentences.begin(), sentences.end(), [&](const auto& x) { return x.file == file; });
        return std::to_string(s->position);
    };
    const auto last = [&](int file) {
        const auto s = std::find_if(sentences.begin(), sentences.end(), [&](const auto& x) { return x.file > file; });
        return std::to_string(s == sentences.end() ? (1LL << 32) - 1 : s->position - 1);
    };
    const auto inFile = [](const OracleCorpus& o, const Hits& hits, int file) {
        return OracleCorpus::Where(hits, [&](const OracleHit& h) { return o.sentences()[h.sent].file == file; });
    };
    const HitCase cases[] = {
        // Waves widen a hit by whole words; 的 never begins or ends a
        // sentence of the sample (at a sentence's edge a wave would take the
        // neighbouring sentence's last word or its end mark).
        {"~(的)~",
         [](const OracleCorpus& o) {
             Hits wide;
             for (OracleHit h : o.Literal(Gbk("的"))) {
                 EXPECT_TRUE(h.begin > 0 && h.end < static_cast<int>(o.sentences()[h.sent].words.size()));
                 --h.begin;
                 ++h.end;
                 wide.push_back(h);
             }
             return wide;
         },
         true},
        // Sentence keys of the second corpus file (song.txt) only.
        {"人 [(" + first(1) + "," + last(1) + ")]", [&](const OracleCorpus& o) { return inFile(o, o.Literal(Gbk("人")), 1); },
         true},
        {"<nr> [(" + first(2) + "," + last(2) + ")]", [&](const OracleCorpus& o) { return inFile(o, o.Tagged("nr"), 2); }},
        {"人 {Cat=诗}", [&](const OracleCorpus& o) { return filtered(o, o.Literal(Gbk("人")), "Cat", {Gbk("诗")}); }},
        {"<n> {Cat=诗_唐诗}", [&](const OracleCorpus& o) { return filtered(o, o.Tagged("n"), "Cat", {Gbk("诗_唐诗")}); }},
        {"<n> {author=[王维 杜甫]}",
         [&](const OracleCorpus& o) { return filtered(o, o.Tagged("n"), "author", {Gbk("王维"), Gbk("杜甫")}); }},
        {"人 !@ 的", [](const OracleCorpus& o) { return OracleCorpus::Not(o.Literal(Gbk("人")), o.Literal(Gbk("的"))); }},
    };
    for (const HitCase& c : cases) {
        SCOPED_TRACE(c.query);
        const Hits hits = c.hits(O());
        EXPECT_FALSE(hits.empty()) << "the sample has no hit for " << c.query;
        ExpectCount(c.query, hits, c.plainText);
        ExpectContext(c.query, hits);
    }

    // A count gives one row per limit range, in range order.
    const Hits people = O().Literal(Gbk("人"));
    const Json counts = Answer("人 [(" + first(1) + "," + last(1) + ");(" + first(0) + "," + last(0) + ")] => count");
    ASSERT_TRUE(counts);
    const cJSON* rows = cJSON_GetObjectItem(counts.get(), "Freq");
    ASSERT_EQ(2, cJSON_GetArraySize(rows));
    EXPECT_EQ(static_cast<int>(inFile(O(), people, 0).size()), cJSON_GetArrayItem(rows, 0)->valueint);
    EXPECT_EQ(static_cast<int>(inFile(O(), people, 1).size()), cJSON_GetArrayItem(rows, 1)->valueint);
}

// Every sentence lies in its own document by the document table, in the
// numbering of the sentence information and the document information.
TEST_F(QueryRoad, TheDocumentTableAgreesWithSentenceInformation) {
    ASSERT_NE(nullptr, qav::g_pCQAVEngine);
    const qav::CQAVEngine& engine = *qav::g_pCQAVEngine;
    int recorded = 0;
    for (const qztest::OracleSentence& sentence : O().sentences()) {
        const uint64_t key = static_cast<uint64_t>(sentence.position);
        SCOPED_TRACE(key);
        int64_t tableDoc = -1, doc = -1;
        ASSERT_TRUE(qav::DocumentInTable(engine.m_orgInfo, key, tableDoc));
        EXPECT_EQ(sentence.doc, tableDoc);
        ASSERT_TRUE(qav::DocumentOfSentence(engine, key, doc));
        EXPECT_EQ(sentence.doc, doc);
        uint32_t recordDoc = 0, tag = 0;
        if (engine.m_sentInfo.GetSentInfo(key, recordDoc, tag)) {
            ++recorded;
            EXPECT_TRUE(sentence.item);
            EXPECT_EQ(static_cast<int64_t>(recordDoc), tableDoc);
        }
    }
    EXPECT_GT(recorded, 0);
    // Past the last document of the table nothing is known.
    int64_t doc = -1;
    EXPECT_FALSE(qav::DocumentInTable(engine.m_orgInfo, UINT64_MAX, doc));
}

// Document-level operators and document filters judge every sentence by the
// document it belongs to.
TEST_F(QueryRoad, DocumentLevelOperatorsAndFiltersMatchTheCorpusByDocument) {
    const auto docOf = [](const OracleCorpus& o, const OracleHit& h) { return o.sentences()[h.sent].doc; };
    const auto docsOf = [&](const OracleCorpus& o, const Hits& hits) {
        std::set<int> docs;
        for (const OracleHit& h : hits) docs.insert(docOf(o, h));
        return docs;
    };
    const auto inDocsOf = [&](const OracleCorpus& o, const Hits& a, const Hits& b, bool with) {
        const std::set<int> docs = docsOf(o, b);
        return OracleCorpus::Where(a, [&](const OracleHit& h) { return docs.count(docOf(o, h)) == (with ? 1u : 0u); });
    };
    const auto docInfo = [](const OracleCorpus& o, const Hits& hits, const std::function<bool(const std::map<std::string, std::string>&)>& keep) {
        return OracleCorpus::Where(hits, [&](const OracleHit& h) { return keep(o.docs()[o.sentences()[h.sent].doc].info); });
    };
    const auto page = [](const std::map<std::string, std::string>& info) {
        const auto found = info.find("num_page");
        if (found == info.end()) return false;
        const int n = std::atoi(found->second.c_str());
        return n >= 10 && n <= 20;
    };
    const HitCase cases[] = {
        {"人 !! 葡萄", [&](const OracleCorpus& o) { return inDocsOf(o, o.Literal(Gbk("人")), o.Literal(Gbk("葡萄")), false); }},
        // The document-level AND keys its prefilter by document but pairs the
        // hits of one sentence: a document key taken from the wrong document
        // drops pairs.
        {"人 && 葡萄", [](const OracleCorpus& o) { return OracleCorpus::AndProbe(o.Literal(Gbk("葡萄")), o.Literal(Gbk("人"))); }},
        {"人 @@ 葡萄", [&](const OracleCorpus& o) { return inDocsOf(o, o.Literal(Gbk("人")), o.Literal(Gbk("葡萄")), true); }},
        {"人 !@@ 葡萄", [&](const OracleCorpus& o) { return inDocsOf(o, o.Literal(Gbk("人")), o.Literal(Gbk("葡萄")), false); }},
        {"人 {num_page=10-20}", [&](const OracleCorpus& o) { return docInfo(o, o.Literal(Gbk("人")), page); }, true},
        {"<n> {Cat=文}",
         [&](const OracleCorpus& o) {
             return docInfo(o, o.Tagged("n"), [](const std::map<std::string, std::string>& info) {
                 const auto found = info.find("Cat");
                 return found != info.end() && found->second.rfind(Gbk("文"), 0) == 0;
             });
         }},
    };
    for (const HitCase& c : cases) {
        SCOPED_TRACE(c.query);
        const Hits hits = c.hits(O());
        EXPECT_FALSE(hits.empty()) << "the sample has no hit for " << c.query;
        ExpectCount(c.query, hits, c.plainText);
        ExpectContext(c.query, hits);
    }
    // Most hits of such searches lie in sentences without sentence information.
    const Hits filtered = cases[4].hits(O());
    EXPECT_TRUE(std::any_of(filtered.begin(), filtered.end(), [&](const OracleHit& h) { return !O().sentences()[h.sent].item; }));
}

// The file number and the sentence position a public source id encodes.
std::pair<int, long long> DecodeSourceId(const std::string& id) {
    static const std::string digits = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    uint64_t v = 0;
    for (auto c = id.rbegin(); c != id.rend(); ++c) v = v * 62 + digits.find(*c);
    return {static_cast<int>((v & 0xFF) ^ 0x5D), static_cast<long long>(((v >> 8) ^ 0x3C81B7E2) & 0xFFFFFFFF)};
}

// Every sentence key of the corpus (one data file) round-trips through its
// public source id, and the id agrees with the formula read independently.
TEST_F(QueryRoad, SourceIdOfEverySentenceDecodesToItsKey) {
    ASSERT_FALSE(O().sentences().empty());
    for (const qztest::OracleSentence& sentence : O().sentences()) {
        const uint32_t position = static_cast<uint32_t>(sentence.position);
        const std::string id = qav::EncodeSourceId(0, position);
        uint64_t key = ~uint64_t{0};
        ASSERT_TRUE(qav::DecodeSourceId(id, key)) << id;
        EXPECT_EQ(uint64_t{position}, key) << id;
        EXPECT_EQ(std::make_pair(0, sentence.position), DecodeSourceId(id)) << id;
    }
}

// Context rows of a verb after a pronoun: one row per sentence with hits,
// the hit marked; with "src" a row of a document whose name does not begin
// with "Doc" names it (and the sentence's position tag for an "Item:"
// sentence) and carries the sentence's source id; other rows are bare.
TEST_F(QueryRoad, ContextRowsShowEachSentenceOnceWithItsSource) {
    const std::pair<const char*, std::function<Hits(const OracleCorpus&)>> cases[] = {
        {"<r> <v>", [](const OracleCorpus& o) { return o.Join(o.Tagged("r"), o.Tagged("v"), Relation::Link); }},
        {"我<v>", [](const OracleCorpus& o) { return o.TextThenTag(Gbk("我"), "v"); }},
    };
    for (const auto& [query, oracle] : cases) {
        SCOPED_TRACE(query);
        std::map<int, std::set<std::string>> marked;  // sentence -> its marked hits
        for (const OracleHit& h : oracle(O())) marked[h.sent].insert("<Q>" + O().Text(h.sent, h.begin, h.end) + "</Q>");
        std::map<long long, int> byPosition;
        for (const auto& entry : marked) byPosition[O().sentences()[entry.first].position] = entry.first;
        const auto named = [&](int sent) {
            const std::string& name = O().docs()[O().sentences()[sent].doc].name;
            return !name.empty() && name.rfind("Doc", 0) != 0;
        };

        const Json answer = Answer(std::string(query) + " => ctx 0 0 200000 src");
        ASSERT_TRUE(answer);
        EXPECT_EQ(static_cast<int>(marked.size()), Int(answer.get(), "Total"));
        int bare = 0, sourced = 0;
        const cJSON* row = nullptr;
        cJSON_ArrayForEach(row, cJSON_GetObjectItem(answer.get(), "Context")) {
            if (cJSON_IsString(row)) {
                ++bare;
                const std::string text = Gbk(cJSON_GetStringValue(row));
                const auto found = std::find_if(marked.begin(), marked.end(), [&](const auto& entry) {
                    return !named(entry.first) && entry.second.count(text) > 0;
                });
                ASSERT_NE(marked.end(), found) << "unexpected bare row " << cJSON_GetStringValue(row);
                marked.erase(found);
                continue;
            }
            ++sourced;
            const auto [file, position] = DecodeSourceId(Str(row, "SourceID"));
            EXPECT_EQ(0, file);
            const auto at = byPosition.find(position);
            ASSERT_NE(byPosition.end(), at) << "no hit in the sentence at " << position;
            ASSERT_TRUE(marked.count(at->second)) << "a second row for the sentence at " << position;
            const auto& sentence = O().sentences()[at->second];
            const std::string& name = O().docs()[sentence.doc].name;
            EXPECT_TRUE(named(at->second)) << name;
            EXPECT_EQ(sentence.item ? name + "_" + sentence.pos : name, Gbk(Str(row, "Source")));
            EXPECT_TRUE(marked[at->second].count(Gbk(Str(row, "Context")))) << Str(row, "Context");
            marked.erase(at->second);
        }
        EXPECT_TRUE(marked.empty()) << marked.size() << " sentences without a row";
        EXPECT_GT(bare, 0);
        EXPECT_GT(sourced, 0);
    }
}

// The service in a working directory holding the project's parser script:
// a "/qav" request answers as the exported runner does, and the source id of
// a context row leads "/showsource" to that row's document and sentence.
TEST_F(QueryRoad, TheServiceAnswersQueriesAndShowsTheSourceOfAContextRow) {
    const std::string query = "<r> <v> => ctx 0 0 200000 src";
    const Json direct = Answer(query);
    ASSERT_TRUE(direct);
    std::unique_ptr<char, void (*)(void*)> expected(cJSON_PrintUnformatted(direct.get()), cJSON_free);

    qztest::ParserWorkingDir parserDir(qztest::ReadFile(qztest::DataDir() + "/../../utils/Parser.lua"));
    qztest::TestHttpServer server(sample_->index);
    const qztest::HttpAnswer reply = qztest::HttpPost(server.port(), "/qav", "{\"query\":\"" + query + "\"}");
    ASSERT_EQ(200, reply.status);
    const Json wrapped(cJSON_Parse(reply.body.c_str()), cJSON_Delete);
    const Json answer(cJSON_Parse(Str(wrapped.get(), "result").c_str()), cJSON_Delete);
    ASSERT_TRUE(answer) << reply.body;
    std::unique_ptr<char, void (*)(void*)> served(cJSON_PrintUnformatted(answer.get()), cJSON_free);
    EXPECT_STREQ(expected.get(), served.get());

    const cJSON* row = nullptr;
    int shown = 0;
    cJSON_ArrayForEach(row, cJSON_GetObjectItem(answer.get(), "Context")) {
        if (!cJSON_IsObject(row) || ++shown > 3) continue;
        const std::string id = Str(row, "SourceID");
        SCOPED_TRACE(id);
        const long long position = DecodeSourceId(id).second;
        const auto& sentences = O().sentences();
        const auto sentence = std::find_if(sentences.begin(), sentences.end(),
                                           [&](const auto& s) { return s.position == position; });
        ASSERT_NE(sentences.end(), sentence);
        const int index = static_cast<int>(sentence - sentences.begin());
        const std::string text = O().Text(index, 0, static_cast<int>(sentence->words.size()));

        const qztest::HttpAnswer source = qztest::HttpGet(server.port(), "/showsource?id=" + id);
        ASSERT_EQ(200, source.status) << source.body;
        const Json shownSource(cJSON_Parse(source.body.c_str()), cJSON_Delete);
        ASSERT_TRUE(shownSource) << source.body;
        EXPECT_EQ(O().docs()[sentence->doc].name, Gbk(Str(shownSource.get(), "Source")));
        EXPECT_NE(std::string::npos, Gbk(Str(shownSource.get(), "Text")).find(text)) << source.body;
    }
    EXPECT_GT(shown, 0);
    EXPECT_EQ(1, server.Stop());
}

struct FreqCase {
    const char* query;
    std::function<Hits(const OracleCorpus&)> hits;
    std::function<std::string(const OracleCorpus&, const OracleHit&)> key;
};

TEST_F(QueryRoad, FrequencyListsMatchTheCorpus) {
    const auto whole = [](const OracleCorpus& o, const OracleHit& h) { return o.Text(h.sent, h.begin, h.end); };
    // The words around a hit of one word: "$1的$2" forms.
    const auto around = [](const char* middle) {
        return [middle](const OracleCorpus& o, const OracleHit& h) {
            return o.Text(h.sent, h.begin, h.begin + 1) + Gbk(middle) + o.Text(h.sent, h.end - 1, h.end);
        };
    };
    // 的 tagged uj with one word on each side inside its sentence.
    const auto deWithNeighbours = [](const OracleCorpus& o) {
        return OracleCorpus::Where(o.WordTag(Gbk("的"), "uj"), [&o](const OracleHit& h) {
            return h.begin > 0 && h.end < static_cast<int>(o.sentences()[h.sent].words.size());
        });
    };
    const auto widen = [](const Hits& hits) {
        Hits wide;
        for (OracleHit h : hits) {
            --h.begin;
            ++h.end;
            wide.push_back(h);
        }
        return wide;
    };
    const FreqCase cases[] = {
        {"$VP => freq $Q 20000", [](const OracleCorpus& o) { return o.Constituents("VP"); }, whole},
        {"<nr> => freq $Q 20000", [](const OracleCorpus& o) { return o.Tagged("nr"); }, whole},
        {"$NP=(~) => freq $1 20000", [](const OracleCorpus& o) { return o.Constituents("NP"); },
         [](const OracleCorpus& o, const OracleHit& h) { return o.Text(h.sent, h.end - 1, h.end); }},
        {"葡萄.. => freq $Q", [](const OracleCorpus& o) { return o.Literal(Gbk("葡萄..")); }, whole},
        {"<r> <v> => freq $Q 20000",
         [](const OracleCorpus& o) { return o.Join(o.Tagged("r"), o.Tagged("v"), Relation::Link); }, whole},
        {"(~)的/uj(~) => freq $1的$2 20000", [&](const OracleCorpus& o) { return widen(deWithNeighbours(o)); },
         around("的")},
        {"(~)的/uj(~) {len($1)>1 $2!=[人 地方]} => freq $1的$2 20000",
         [&](const OracleCorpus& o) {
             return OracleCorpus::Where(widen(deWithNeighbours(o)), [&o](const OracleHit& h) {
                 const std::string after = o.Text(h.sent, h.end - 1, h.end);
                 return qztest::GbkChars(o.Text(h.sent, h.begin, h.begin + 1)).size() > 1 && after != Gbk("人") &&
                        after != Gbk("地方");
             });
         },
         around("的")},
    };
    for (const FreqCase& c : cases) {
        SCOPED_TRACE(c.query);
        const Hits hits = c.hits(O());
        EXPECT_FALSE(hits.empty()) << "the sample has no hit for " << c.query;
        ExpectFreq(c.query, hits, [&](const OracleHit& h) { return c.key(O(), h); });
    }

    // A count with a form: the hits whose part is among the 5 most frequent
    // texts of that part (here the word after 的).
    std::map<std::string, int> after;
    for (const OracleHit& h : deWithNeighbours(O())) ++after[O().Text(h.sent, h.end, h.end + 1)];
    std::vector<int> counts;
    for (const auto& entry : after) counts.push_back(entry.second);
    std::sort(counts.rbegin(), counts.rend());
    const Json top = Answer("~的/uj(~) => count $1 5");
    ASSERT_TRUE(top);
    EXPECT_EQ(counts[0] + counts[1] + counts[2] + counts[3] + counts[4],
              cJSON_GetArrayItem(cJSON_GetObjectItem(top.get(), "Freq"), 0)->valueint);
}

}  // namespace
