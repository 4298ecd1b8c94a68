// Answers of an index whose result capacities ("MaxAtomSearchRetSize",
// "RetInfoMaxSize", "RetBuffSize") are all 50: a search that passes one of
// them answers "Approximate":"1" and logs the capacity, one below them or
// exactly at them answers without it.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <cjson/cJSON.h>

#include "include/qavlib.h"
#include "service_fixture.h"
#include "support/test_support.h"

namespace {

using Json = std::unique_ptr<cJSON, void (*)(cJSON*)>;

constexpr int kCapacity = 50;

// One-character words, each its own last character, so that the tag unit of
// a group of them has one child unit per word.
const char kWords[] =
    "红黄蓝绿白黑紫灰粉金银铜铁木水火土山石田"
    "风云雨雪霜雷电星月日天光江河湖海林森花草"
    "鸟鱼虫马牛羊猪狗鸡鸭鹅龟蛇龙虎豹狼熊鹿兔";

// The i-th word of kWords (three UTF-8 bytes each).
std::string Word(int i) { return std::string(kWords + 3 * i, 3); }

class CapacityCut : public testing::Test {
protected:
    // Sixty sentences of adjective, 的 and noun pass the capacities; 25
    // sentences of adverb, 地 and verb stay within them.
    static void SetUpTestSuite() {
        s_dir = new qztest::TempDir;
        std::string corpus;
        for (int i = 0; i < 60; ++i) corpus += Word(i) + "/a 的/uj 书/n 。/w\n";
        for (int i = 0; i < 25; ++i) corpus += Word(i) + "/d 地/uv 走/v 。/w\n";
        const std::string text = qztest::WriteAt(*s_dir, "corpus.txt", qztest::Gbk(corpus));
        const std::string list = qztest::WriteAt(*s_dir, "corpus.lst", text + "\n");
        std::string config = qztest::ServiceConfig();
        const std::string capacity = std::to_string(kCapacity);
        config.insert(config.size() - 2, ",\"MaxAtomSearchRetSize\":" + capacity + ",\"RetInfoMaxSize\":" + capacity +
                                             ",\"RetBuffSize\":" + capacity);
        const std::string configPath = qztest::WriteAt(*s_dir, "config.json", config);
        s_index = s_dir->file("index");
        testing::internal::CaptureStdout();
        s_built = IdxMainAllInOne(configPath.c_str(), list.c_str(), s_index.c_str()) == 1;
        testing::internal::GetCapturedStdout();
        qztest::CloseOpenBuildLog();
    }
    static void TearDownTestSuite() {
        QAV_Exit();
        delete s_dir;
    }
    void SetUp() override { ASSERT_TRUE(s_built); }

    // The answer of a UTF-8 query, parsed, and what the engine logged.
    static Json Answer(const std::string& query, std::string& log) {
        static const std::string parser = qztest::DataDir() + "/../../utils/Parser.lua";
        std::vector<char> buffer(QAV_MAX_ANSWER_BYTES);
        testing::internal::CaptureStdout();
        QAV_RunQAV(parser.c_str(), s_index.c_str(), query.c_str(), buffer.data());
        log = testing::internal::GetCapturedStdout();
        Json json(cJSON_Parse(buffer.data()), cJSON_Delete);
        EXPECT_TRUE(json) << query << " gave " << buffer.data();
        return json;
    }

    static qztest::TempDir* s_dir;
    static std::string s_index;
    static bool s_built;
};

qztest::TempDir* CapacityCut::s_dir = nullptr;
std::string CapacityCut::s_index;
bool CapacityCut::s_built = false;

struct CutCase {
    const char* query;
    bool approximate;
    const char* logged;  // part of the log line of the cut; empty when none
};

TEST_F(CapacityCut, ResultsPastACapacityAreApproximateAndLogged) {
    const CutCase cases[] = {
        // <uj> searches the units of 的 after each adjective: 50 of 60.
        {"<uj>", true, "MaxAtomSearchRetSize 50 cut the atom search of uj| at 50 hits in 50 of its 60 units"},
        {"<uv>", false, ""},
        // A join of 60 pairs keeps 50.
        {"<a> 的", true, "RetInfoMaxSize 50 cut the join at 50 hits, 10 more left out"},
        {"<d> 地", false, ""},
        // AND gives a hit of each side per sentence: 120 past the capacity,
        // exactly 50 at it.
        {"的 & 书", true, "RetInfoMaxSize 50 cut the AND at 50 hits, 70 more left out"},
        {"地 & 走", false, ""},
        // A page of 100 context lines over 60 sentences keeps 50 rows.
        {"的 => ctx 10 0 100", true, "RetBuffSize 50 cut the context lines at 50 rows, 10 more left out"},
        {"地 => ctx 10 0 100", false, ""},
        // Counts and frequency lists of a cut join are cut as well.
        {"<a> 的 => count", true, "RetInfoMaxSize 50 cut the join"},
        {"<a> 的 => freq", true, "RetInfoMaxSize 50 cut the join"},
        {"<d> 地 => count", false, ""},
        // A join of a cut atom search is cut as well.
        {"<uj> <n>", true, "MaxAtomSearchRetSize 50 cut the atom search of uj|"},
    };
    for (const CutCase& c : cases) {
        std::string log;
        const Json answer = Answer(c.query, log);
        ASSERT_TRUE(answer) << c.query;
        const cJSON* flag = cJSON_GetObjectItem(answer.get(), "Approximate");
        if (c.approximate) {
            EXPECT_STREQ("1", cJSON_GetStringValue(flag)) << c.query;
            EXPECT_NE(std::string::npos, log.find(c.logged)) << c.query << " logged: " << log;
        } else {
            EXPECT_EQ(nullptr, flag) << c.query;
            EXPECT_EQ(std::string::npos, log.find("Approximate")) << c.query << " logged: " << log;
        }
    }
}

}  // namespace
