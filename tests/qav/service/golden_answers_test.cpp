// Answers of the sample index held byte for byte: every change to how the
// engine computes an answer (speed work above all) must leave the answers of
// these queries exactly as they are in tests/data/golden/sample_answers.txt.
// After a deliberate change of an answer, rewrite the file by running this
// test with QZ_WRITE_GOLDEN=1 and review the difference.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "include/qavlib.h"
#include "service_fixture.h"
#include "support/test_support.h"

namespace {

using qztest::Gbk;

// Queries in UTF-8: texts, wildcards, tags, joins, gaps, set operators,
// filters, limits and waves, each with every output form and with pages.
const char* const kQueries[] = {
    "围城",
    "人",
    "的 => count",
    "人 => ctx 10 0 50",
    "人 => ctx 10 1 7",
    "人 => ctx 10 3 5 src",
    "人 => ctx -1 0 20",
    "人 => ctx 0 2 3",
    "葡萄..",
    "..葡萄 => ctx 5 0 10",
    "人. => freq 20",
    "人. => freq $Q 5 nosort",
    "<n>",
    "<n> => ctx 3 4 10",
    "<n> => freq 30",
    "<n> => count",
    "<nr> => freq",
    "<v>一座",
    "一座<n> => freq",
    "<r> <v>",
    "<r> <v> => freq $Q 50",
    "<n> 的<n>",
    "<n> 的<n> => freq 100",
    "<a> <uj> <n> => freq 100",
    "<a> <uj> <n>",
    "的 (<n>) => freq $1 200",
    "(~)的/uj(~) => freq $1的$2 20",
    "~的/uj(~) => count $1 5",
    "人 * 的",
    "人 * <v> => freq 40",
    "人 * <v> => ctx 4 1 9",
    "婚姻 ^ 人",
    "$NP",
    "$NP => freq 25",
    "$VP => ctx 8 2 6",
    "$NP=北京",
    "北京$",
    "$NP #InChunk# 北京",
    "<NR> #SameBoundary# 北京",
    "<r> <v> #ShareTag# <v>",
    "$NP #SameLeft# <NN>",
    "婚姻 #SameSent# 人",
    "人 & 的",
    "人 & 的 => count",
    "葡萄 | 石子",
    "人 ! 的",
    "人 @ 的",
    "人 !@ 的 => freq",
    "~(的)~ => freq 30",
    "人 {Cat=诗}",
    "<n> {author=[王维 杜甫]} => freq 20",
    "人 [(0,1000);(1001,5000)] => count",
    "受 教育 的/uj 人/n",
    "围城 => ctx -1 0 20 src",
    "没有这个词",
    "=> foo",
    // Frequency lists whose checks read the context of the hit, and joins of
    // three units, one with limits.
    "<n> 的<n> {len($Q)>2} => freq 20",
    "人. {len($Q)>1} => freq 10",
    "的 <n> <v> => freq 30",
    "<n> 的<n> [(0,5000);(5001,99999)] => count",
};

class GoldenAnswers : public testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new qztest::TempDir();
        const std::string sample = qztest::DataDir() + "/sample/";
        std::string list;
        for (const char* file : {"tang.txt", "song.txt", "prose.txt", "tree_square.txt", "tree_round.txt"}) {
            list += sample + file + "\n";
        }
        const std::string listPath = qztest::WriteAt(*dir_, "corpus.lst", list);
        std::string separators;
        for (const char* s : {"，", "。", "？", "！", "；"}) {
            separators += std::string(separators.empty() ? "" : ",") + "\"" + Gbk(s) + "\"";
        }
        std::string config = qztest::ServiceConfig();
        config.insert(config.size() - 1, ",\"Clause Seperator\":[" + separators + "]");
        const std::string configPath = qztest::WriteAt(*dir_, "config.json", config);
        index_ = new std::string(dir_->file("index"));
        testing::internal::CaptureStdout();
        built_ = IdxMainAllInOne(configPath.c_str(), listPath.c_str(), index_->c_str()) == 1 &&
                 QAV_Init(index_->c_str()) == 1;
        testing::internal::GetCapturedStdout();
        qztest::CloseOpenBuildLog();
    }
    static void TearDownTestSuite() {
        QAV_Exit();
        delete index_;
        delete dir_;
    }

    static std::string Answer(const std::string& query) {
        static const std::string parser = qztest::DataDir() + "/../../utils/Parser.lua";
        std::vector<char> buffer(QAV_MAX_ANSWER_BYTES);
        testing::internal::CaptureStdout();
        const long size = QAV_RunQAV(parser.c_str(), index_->c_str(), query.c_str(), buffer.data());
        testing::internal::GetCapturedStdout();
        return std::string(buffer.data(), size > 0 ? static_cast<size_t>(size) : 0);
    }

    static qztest::TempDir* dir_;
    static std::string* index_;
    static bool built_;
};

qztest::TempDir* GoldenAnswers::dir_ = nullptr;
std::string* GoldenAnswers::index_ = nullptr;
bool GoldenAnswers::built_ = false;

TEST_F(GoldenAnswers, SampleAnswersStayByteForByte) {
    ASSERT_TRUE(built_);
    std::string answers;
    for (const char* query : kQueries) answers += std::string("### ") + query + "\n" + Answer(query) + "\n";

    const std::string golden = qztest::DataDir() + "/golden/sample_answers.txt";
    if (std::getenv("QZ_WRITE_GOLDEN")) {
        std::ofstream(golden, std::ios::binary) << answers;
        GTEST_SKIP() << "wrote " << golden;
    }
    const std::string expected = qztest::ReadFile(golden);
    ASSERT_FALSE(expected.empty()) << golden;
    // Compare query by query, so that a failure names the query.
    size_t at = 0;
    size_t was = 0;
    for (const char* query : kQueries) {
        const std::string head = std::string("### ") + query + "\n";
        const size_t next = answers.find("\n### ", at + head.size());
        const size_t nextWas = expected.find("\n### ", was + head.size());
        EXPECT_EQ(expected.substr(was, nextWas - was), answers.substr(at, next - at)) << query;
        at = next + 1;
        was = nextWas + 1;
    }
    EXPECT_EQ(expected, answers);
}

}  // namespace
