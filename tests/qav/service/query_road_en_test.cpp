// The query road on the committed English sample: the engine asks the parser
// script for English (texts are whole words, a quoted text holds several),
// and the answers are compared with a reading of the corpus file.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <cjson/cJSON.h>

#include "include/qavlib.h"
#include "sample_oracle.h"
#include "service_fixture.h"
#include "support/test_support.h"

namespace {

using qztest::OracleCorpus;
using qztest::OracleWord;
using Json = std::unique_ptr<cJSON, void (*)(cJSON*)>;

class EnglishQueryRoad : public testing::Test {
protected:
    static void SetUpTestSuite() {
        s_dir = new qztest::TempDir;
        const std::string sample = qztest::DataDir() + "/sample_en";
        s_oracle = new OracleCorpus(sample + "/corpus.lst", {",", "."});
        std::string list;
        for (const std::string& file : s_oracle->files()) list += file + "\n";
        const std::string listPath = qztest::WriteAt(*s_dir, "corpus.lst", list);
        const std::string config = qztest::WriteAt(*s_dir, "config.json", qztest::ServiceConfig());
        s_index = s_dir->file("index");
        testing::internal::CaptureStdout();
        s_built = IdxMainAllInOne(config.c_str(), listPath.c_str(), s_index.c_str()) == 1;
        testing::internal::GetCapturedStdout();
        qztest::CloseOpenBuildLog();
    }
    static void TearDownTestSuite() {
        QAV_Exit();
        delete s_oracle;
        delete s_dir;
    }
    void SetUp() override { ASSERT_TRUE(s_built); }

    static Json Answer(const std::string& query) {
        static const std::string parser = qztest::DataDir() + "/../../utils/Parser.lua";
        std::vector<char> buffer(QAV_MAX_ANSWER_BYTES);
        testing::internal::CaptureStdout();
        QAV_RunQAV(parser.c_str(), s_index.c_str(), query.c_str(), buffer.data());
        testing::internal::GetCapturedStdout();
        Json json(cJSON_Parse(buffer.data()), cJSON_Delete);
        EXPECT_TRUE(json) << query << " gave " << buffer.data();
        return json;
    }

    static qztest::TempDir* s_dir;
    static OracleCorpus* s_oracle;
    static std::string s_index;
    static bool s_built;
};

qztest::TempDir* EnglishQueryRoad::s_dir = nullptr;
OracleCorpus* EnglishQueryRoad::s_oracle = nullptr;
std::string EnglishQueryRoad::s_index;
bool EnglishQueryRoad::s_built = false;

// Words of a sentence from i on that a query matches: the hit's length, or 0.
using Match = std::function<int(const std::vector<OracleWord>& words, size_t i)>;

TEST_F(EnglishQueryRoad, WordsTagsAndQuotedTextsMatchTheCorpus) {
    const auto at = [](const std::vector<OracleWord>& w, size_t i) { return i < w.size() ? w[i] : OracleWord{}; };
    const std::pair<const char*, Match> cases[] = {
        {"the", [&](const auto& w, size_t i) { return at(w, i).text == "the" ? 1 : 0; }},
        {"<DT>river",
         [&](const auto& w, size_t i) { return at(w, i).tag == "DT" && at(w, i + 1).text == "river" ? 2 : 0; }},
        {"\"the river\"",
         [&](const auto& w, size_t i) { return at(w, i).text == "the" && at(w, i + 1).text == "river" ? 2 : 0; }},
        {"My/\"PRP$\" sister",
         [&](const auto& w, size_t i) {
             return at(w, i).text == "My" && at(w, i).tag == "PRP$" && at(w, i + 1).text == "sister" ? 2 : 0;
         }},
        {"<JJ> <NN>",
         [&](const auto& w, size_t i) { return at(w, i).tag == "JJ" && at(w, i + 1).tag == "NN" ? 2 : 0; }},
    };
    for (const auto& [query, match] : cases) {
        SCOPED_TRACE(query);
        std::set<int> sentences;
        std::map<std::string, int> texts;
        for (int s = 0; s < static_cast<int>(s_oracle->sentences().size()); ++s) {
            if (!s_oracle->Searchable(s)) continue;
            const auto& words = s_oracle->sentences()[s].words;
            for (size_t i = 0; i < words.size(); ++i) {
                if (const int length = match(words, i)) {
                    sentences.insert(s);
                    ++texts[s_oracle->Text(s, static_cast<int>(i), static_cast<int>(i) + length)];
                }
            }
        }
        ASSERT_FALSE(sentences.empty()) << "the sample has no hit";
        // A count sums the hits of the 100 most frequent hit texts.
        std::vector<int> counts;
        for (const auto& entry : texts) counts.push_back(entry.second);
        std::sort(counts.rbegin(), counts.rend());
        int top = 0;
        for (size_t i = 0; i < counts.size() && i < 100; ++i) top += counts[i];

        const Json context = Answer(std::string(query) + " => ctx -1 0 200000");
        ASSERT_TRUE(context);
        EXPECT_EQ(static_cast<int>(sentences.size()), cJSON_GetObjectItem(context.get(), "Total")->valueint);
        const Json count = Answer(std::string(query) + " => count");
        ASSERT_TRUE(count);
        const cJSON* rows = cJSON_GetObjectItem(count.get(), "Freq");
        ASSERT_EQ(1, cJSON_GetArraySize(rows));
        EXPECT_EQ(top, cJSON_GetArrayItem(rows, 0)->valueint);
    }
}

}  // namespace
