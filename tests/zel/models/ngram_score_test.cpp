#include <gtest/gtest.h>

#include "model_files.h"
#include "zel/models/ngram_quantise.h"

using zel::NgramBuildMode;
using zeltest::ModelFiles;
using zeltest::Stored;

namespace {

const std::vector<std::string> kChars = {"甲", "乙", "丙", "丁", "戊"};
const float kFloor = zel::DequantiseLogProb(65535);

class PlainScorer : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(
            files_.Build(kChars,
                         {"甲\t-1\t9", "乙\t-2\t9", "甲乙\t-0.5\t9\t-0.25", "甲丙\t-3\t9", "甲乙丙\t-0.75\t9",
                          "甲乙丙丁\t-0.125\t9", "甲乙丙丁戊\t-0.0625\t9\t-0.5", "甲乙丙丁戊甲\t-0.375\t9\t-0.5"},
                         NgramBuildMode::Plain));
        model_ = files_.Load(NgramBuildMode::Plain);
    }
    bool Score(const std::string& utf8, float& score) const {
        return zel::GetNgramProbEncodeEx(model_, qztest::Gbk(utf8).c_str(), -12.0f, score);
    }
    ModelFiles files_;
    zel::NgramModel model_;
};

}  // namespace

TEST_F(PlainScorer, MeanOverNineLevelsWithTheFloorForMissingOnes) {
    const float uniPair = Stored(-1) + Stored(-0.75f);
    const float tri = uniPair + Stored(-0.75f);
    const struct {
        const char* text;
        float expected;
    } cases[] = {
        {"甲", (Stored(-1) + -96.0f) / 9},
        {"己甲", -12.0f},  // first character unknown: the default, not divided
        {"甲丙", (Stored(-1) + Stored(-3) + -84.0f) / 9},
        // A pair without a group is normalised like any other missing level.
        {"甲丙乙", (Stored(-1) + Stored(-3) + -84.0f) / 9},
        {"甲己", (Stored(-1) + -96.0f) / 9},
        {"甲乙丙", (tri + -72.0f) / 9},
        {"甲乙丁", (uniPair + -84.0f) / 9},
        // Levels are added longest first; six-grams carry no back-off weight.
        {"甲乙丙丁戊甲", (tri + Stored(-0.375f) + Stored(-0.5625f) + Stored(-0.125f) + -36.0f) / 9},
        {"甲乙丙丁戊甲乙丙丁戊", (tri + Stored(-0.375f) + Stored(-0.5625f) + Stored(-0.125f) + -36.0f) / 9},
        {"甲乙丙戊", (tri + -72.0f) / 9},
        {"乙甲", (Stored(-2) + kFloor + -84.0f) / 9},
    };
    for (const auto& c : cases) {
        float score = 1;
        EXPECT_TRUE(Score(c.text, score)) << c.text;
        EXPECT_EQ(score, c.expected) << c.text;
    }
}

TEST(BackoffScorer, ValueOfTheLongestNgramAndItsOrder) {
    ModelFiles files;
    ASSERT_TRUE(files.Build(kChars,
                            {"甲\t-1\t9\t-0.5", "甲乙\t-0.5\t9\t-0.25", "甲丙\t-3\t9", "甲乙丙\t-0.3\t9\t-0.1",
                             "甲乙丙丁\t-0.2\t9\t-0.7", "甲乙丙丁戊\t-0.05\t9\t-0.9"},
                            NgramBuildMode::Backoff));
    const zel::NgramModel model = files.Load(NgramBuildMode::Backoff);
    const struct {
        const char* text;
        float value;
        int order;
    } cases[] = {
        {"甲乙丙丁戊", Stored(-0.05f), 5}, {"甲乙丙丁乙", Stored(-0.2f), 4},
        {"甲乙丙丁", Stored(-0.2f), 4},    {"甲乙丙乙", Stored(-0.3f), 3},
        {"甲乙丙", Stored(-0.3f), 3},      {"甲乙丁", Stored(-0.75f), 2},
        {"甲丙乙", Stored(-3), 2},  // a pair without a group stays a bigram
        {"甲", Stored(-1.5f), 1},          {"己甲", -12.0f, 1},
    };
    for (const auto& c : cases) {
        float value = 0;
        int order = 0;
        EXPECT_TRUE(zel::GetNgramProbEncode_LM(model, qztest::Gbk(c.text).c_str(), value, order)) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
        EXPECT_EQ(order, c.order) << c.text;
    }
}
