// Queries over a small word/tag corpus whose sentences hold the tokens "[",
// "]" and "|", through the project's parser and the exported runner.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include <cjson/cJSON.h>

#include "include/qavlib.h"
#include "service_fixture.h"
#include "support/test_support.h"

namespace {

using Json = std::unique_ptr<cJSON, void (*)(cJSON*)>;

// Every token is a word: 中国 stands next to each of them in turn.
const char kCorpus[] =
    "你/r [/x 中国/ns ]/x 好/a 。/x\n"
    "你/r ]/x 中国/ns |/x 好/a 。/x\n"
    "你/r |/x 中国/ns [/x 好/a 。/x\n"
    "他/r 在/p 中国/ns 发展/v 。/x\n"
    "我/r 发布/v 消息/n 。/x\n"
    "他/r 发送/v 发布/v 。/x\n";

class CorpusTokens : public testing::Test {
protected:
    void SetUp() override {
        const std::string config = qztest::WriteAt(tmp_, "config.json", qztest::ServiceConfig());
        const std::string corpus = qztest::WriteAt(tmp_, "corpus.txt", qztest::Gbk(kCorpus));
        const std::string list = qztest::WriteAt(tmp_, "corpus.lst", corpus + "\n");
        index_ = tmp_.file("index");
        testing::internal::CaptureStdout();
        const bool built = IdxMainAllInOne(config.c_str(), list.c_str(), index_.c_str()) == 1 &&
                           QAV_Init(index_.c_str()) == 1;
        testing::internal::GetCapturedStdout();
        qztest::CloseOpenBuildLog();
        ASSERT_TRUE(built);
    }
    void TearDown() override { QAV_Exit(); }

    Json Answer(const std::string& query) {
        const std::string parser = qztest::DataDir() + "/../../utils/Parser.lua";
        std::vector<char> buffer(QAV_MAX_ANSWER_BYTES);
        testing::internal::CaptureStdout();
        QAV_RunQAV(parser.c_str(), index_.c_str(), query.c_str(), buffer.data());
        testing::internal::GetCapturedStdout();
        Json json(cJSON_Parse(buffer.data()), cJSON_Delete);
        EXPECT_TRUE(json) << query << " gave " << buffer.data();
        return json;
    }

    int Total(const std::string& query) {
        const Json json = Answer(query);
        const cJSON* total = json ? cJSON_GetObjectItem(json.get(), "Total") : nullptr;
        return total ? total->valueint : -1;
    }

    // The rows of a frequency answer as "text=count", sorted.
    std::vector<std::string> FreqRows(const std::string& query) {
        std::vector<std::string> rows;
        const Json json = Answer(query);
        const cJSON* freq = json ? cJSON_GetObjectItem(json.get(), "Freq") : nullptr;
        const cJSON* row = nullptr;
        cJSON_ArrayForEach(row, freq) {
            rows.push_back(std::string(row->string) + "=" + std::to_string(row->valueint));
        }
        std::sort(rows.begin(), rows.end());
        return rows;
    }

    qztest::TempDir tmp_;
    std::string index_;
};

TEST_F(CorpusTokens, WordsNextToBracketsAndBarsAreFound) {
    struct Case {
        const char* query;
        int sentences;
    };
    const Case cases[] = {
        {"中国", 4},
        {"中国*好", 3},
        {"中国<x>", 3},
        // The tokens themselves as text of a query.
        {"\"[中国\"", 1},
        {"\"]中国\"", 1},
        {"\"中国]\"", 1},
        {"\"中国|\"", 1},
        // "<|", the key of a text that begins with "|", reads as a "TAG|"
        // key: no such unit is made, and the text finds nothing.
        {"\"|中国\"", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(c.sentences, Total(c.query)) << c.query;
}

TEST_F(CorpusTokens, FreqWithoutAFormListsTheWholeHits) {
    // As "=> freq $Q": the matched texts, not the query's own text.
    std::vector<std::string> expected = {"发布=2", "发送=1", "发展=1"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, FreqRows("发. => freq 10"));
    EXPECT_EQ(expected, FreqRows("发. => freq 10 nosort"));
    EXPECT_EQ(FreqRows("发. => freq $Q 10"), FreqRows("发. => freq 10"));
}

}  // namespace
