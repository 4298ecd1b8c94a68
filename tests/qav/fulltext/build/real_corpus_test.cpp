// The builder over real documents (tests/data/fulltext, made from the real
// corpus by tools/make_fulltext_input.py): every count of the index equals a
// recount from the input files.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>

#include "build_fixture.h"
#include "common/platform/byte_codec.h"
#include "fst_reader.h"
#include "qav/fulltext/build/split_line.h"
#include "qav/fulltext/format/bm_files.h"
#include "qav/fulltext/format/term_table_file.h"

namespace qav::bm {
namespace {

const std::vector<std::string> kFields = {"title", "abstract"};

struct Recount {
    uint32_t documents = 0;
    std::vector<std::string> names;
    std::map<std::string, std::set<uint32_t>> docsOfTerm;
    std::map<std::string, uint32_t> fieldRecordsOfTerm;
    std::map<uint32_t, uint32_t> fieldTokens;
};

// Counts the documents of the inputs: "#Global" starts one, "#Group" a field,
// "Item:" lines are its text, "Table" ends the document.
Recount CountInputs(const std::vector<std::string>& inputs, const StrSet& stopWords) {
    Recount count;
    const StrSet stopTags = {"x"};
    for (const std::string& input : inputs) {
        std::istringstream lines(input);
        std::string line;
        int field = -1;
        std::set<std::string> record;
        auto endField = [&] {
            for (const std::string& term : record) ++count.fieldRecordsOfTerm[term];
            record.clear();
        };
        while (std::getline(lines, line)) {
            if (line.rfind("#Global id=", 0) == 0) {
                count.names.push_back(line.substr(11, line.find(';') - 11));
            } else if (line.rfind("#Group name=", 0) == 0) {
                endField();
                field = static_cast<int>(std::find(kFields.begin(), kFields.end(), line.substr(12)) - kFields.begin());
            } else if (line.rfind("Item:", 0) == 0) {
                for (const std::string& word : SplitLine(line.substr(5), stopWords, stopTags, true)) {
                    record.insert(word);
                    count.docsOfTerm[word].insert(count.documents);
                    ++count.fieldTokens[field];
                }
            } else if (line == "Table") {
                endField();
                ++count.documents;
            }
        }
    }
    return count;
}

TEST(IdxBMOnRealDocuments, CountsEqualARecountAndEveryNameIsFound) {
    const std::string data = qztest::DataDir() + "/fulltext/";
    std::vector<std::string> inputs;
    for (int i = 0; i < 3; ++i) inputs.push_back(qztest::ReadFile(data + "input_0" + std::to_string(i) + ".txt"));
    std::string config = qztest::ReadFile(data + "config.txt");
    const std::string stopName = "\"stopwords.txt\"";
    config.replace(config.find(stopName), stopName.size(), "\"" + data + "stopwords.txt\"");

    qav_bm_test::TestBuild build;
    ASSERT_EQ(build.Run(config, inputs), 1) << build.log;
    StrSet stopWords;
    std::istringstream stopLines(qztest::ReadFile(data + "stopwords.txt"));
    for (std::string word; std::getline(stopLines, word);) stopWords.insert(word);
    const Recount expected = CountInputs(inputs, stopWords);
    ASSERT_EQ(expected.documents, 12u);

    CHashTableBM table(0);
    ASSERT_TRUE(LoadTermList(build.file("WordList"), table));
    EXPECT_EQ(table.m_nDocNum, expected.documents);
    EXPECT_EQ(table.m_FieldDocs, (std::map<uint32_t, uint32_t>{{0, 12}, {1, 12}}));
    EXPECT_EQ(table.m_FieldTokens, expected.fieldTokens);
    EXPECT_EQ(table.termCountInTable(), expected.docsOfTerm.size());

    // Word list: entry j is term number j with the idf of its df.
    const std::string wordList = qztest::ReadFile(build.file("WordList_w"));
    const auto* w = reinterpret_cast<const unsigned char*>(wordList.data());
    ASSERT_EQ(qz::bytes::Load<int32_t>(w), static_cast<int32_t>(expected.docsOfTerm.size()));
    std::map<std::string, float> idfOfTerm;
    for (size_t p = 4; p < wordList.size();) {
        const auto length = qz::bytes::Load<int32_t>(w + p);
        const std::string word = wordList.substr(p + 4, length);
        EXPECT_EQ(qz::bytes::Load<int32_t>(w + p + 4 + length), static_cast<int32_t>(idfOfTerm.size()));
        idfOfTerm[word] = qz::bytes::Load<float>(w + p + 8 + length);
        p += 12 + length;
    }

    std::map<int, std::map<uint32_t, qav_bm_test::DocTermRecord>> shardRecords;
    for (int shard = 0; shard < 3; ++shard)
        shardRecords[shard] = qav_bm_test::ReadDocToTermShard(build.file("Data-" + std::to_string(shard)));
    for (const auto& [term, docs] : expected.docsOfTerm) {
        const CHashNodeBM* node = table.GetHashNode(term);
        ASSERT_NE(node, nullptr) << qztest::Utf8(term);
        EXPECT_EQ(node->df, docs.size()) << qztest::Utf8(term);
        EXPECT_EQ(node->postingCount, expected.fieldRecordsOfTerm.at(term)) << qztest::Utf8(term);
        EXPECT_FLOAT_EQ(idfOfTerm.at(term),
                        static_cast<float>(std::log((12 - docs.size() + 0.5) / (docs.size() + 0.5) + 1)));
        // Reading every chunk gives each posting once, shard by shard, and
        // each posting's field record holds the term.
        uint32_t postings = 0;
        for (size_t c = 0; c < node->chunkOffsets.size(); ++c) {
            if (c > 0) {
                EXPECT_LE(node->chunkShards[c - 1], node->chunkShards[c]);
            }
            const int shard = node->chunkShards[c];
            const std::string unit = qztest::ReadFile(build.file("Unit-" + std::to_string(shard)));
            const auto* u = reinterpret_cast<const unsigned char*>(unit.data()) + node->chunkOffsets[c];
            const uint32_t n = qz::bytes::Load<uint32_t>(u);
            postings += n;
            for (uint32_t i = 0; i < n; ++i) {
                const uint32_t record = qz::bytes::Load<uint32_t>(u + 4 + 12 * i);
                const auto& entries = shardRecords[shard].at(record).entries;
                EXPECT_TRUE(std::any_of(entries.begin(), entries.end(),
                                        [&](const auto& e) { return e.first == node->termNumber && e.second > 0; }));
            }
        }
        EXPECT_EQ(postings, node->postingCount) << qztest::Utf8(term);
    }

    // The transducer maps every name to its document, whose record names it.
    const std::string bytes = qztest::ReadFile(build.file("Data.BYTE"));
    std::vector<uint32_t> words(bytes.size() / 4);
    std::memcpy(words.data(), bytes.data(), bytes.size());
    ASSERT_EQ(expected.names.size(), 12u);
    for (const std::string& name : expected.names) {
        const std::optional<int64_t> key = qav_bm_test::FstLookup(words, name);
        ASSERT_TRUE(key.has_value()) << name;
        const std::string orx = qztest::ReadFile(build.file("Data_" + std::to_string(*key >> 32) + ".orx"));
        CDocInfo info;
        ASSERT_TRUE(DecodeDocInfo({"id", "part"}, kFields.size(), orx.substr(*key & 0xFFFFFFFF), &info));
        EXPECT_EQ(info.info["id"], name);
    }
}

}  // namespace
}  // namespace qav::bm
