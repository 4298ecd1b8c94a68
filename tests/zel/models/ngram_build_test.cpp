#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "model_files.h"
#include "zel/models/ngram_keys.h"
#include "zel/models/ngram_quantise.h"

using zel::NgramBuildMode;
using zeltest::ModelFiles;
using zeltest::Stored;

namespace {

const std::vector<std::string> kChars = {"甲", "乙", "丙", "丁", "戊"};
// What a character, pair or trigram without a line of its own is stored as.
const float kFloor = zel::DequantiseLogProb(65535);

float Plain(const zel::NgramModel& model, const std::string& utf8) {
    float score = 0;
    EXPECT_TRUE(zel::GetNgramProbEncodeEx(model, qztest::Gbk(utf8).c_str(), -12.0f, score));
    return score;
}

}  // namespace

TEST(NgramBuilder, EmptyInputGivesAFullIndexAndAOneByteDataFile) {
    ModelFiles files;
    ASSERT_TRUE(files.Build(kChars, {}, NgramBuildMode::Plain));
    EXPECT_EQ(qztest::ReadFile(files.index).size(), 131078u + 4 * 5 + 7 * 25);
    EXPECT_EQ(qztest::ReadFile(files.data), std::string(1, '\0'));
    const zel::NgramModel model = files.Load(NgramBuildMode::Plain);
    ASSERT_EQ(model.chars.Count(), 5);
    for (int i = 0; i < 5; ++i) EXPECT_FLOAT_EQ(model.chars.Unigram(i), -12.0f);
    for (float v : model.pairs.values) EXPECT_FLOAT_EQ(v, -12.0f);
}

TEST(NgramBuilder, LineFeedAndCrlfInputsGiveTheSameFiles) {
    const std::vector<std::string> lines = {"甲\t-1.5\t9\t-0.25", "甲乙\t-0.5\t9\t-0.125", "甲乙丙\t-0.75\t9\t-0.0625",
                                            "甲乙丙丁\t-0.3\t9\t0"};
    for (NgramBuildMode mode : {NgramBuildMode::Plain, NgramBuildMode::Backoff}) {
        ModelFiles crlf, lf;
        ASSERT_TRUE(crlf.Build(kChars, lines, mode, 0, "\r\n"));
        ASSERT_TRUE(lf.Build(kChars, lines, mode, 0, "\n"));
        EXPECT_EQ(qztest::ReadFile(lf.index), qztest::ReadFile(crlf.index));
        EXPECT_EQ(qztest::ReadFile(lf.data), qztest::ReadFile(crlf.data));
        EXPECT_FLOAT_EQ(lf.Load(mode).chars.Unigram(lf.Load(mode).chars.HZ2No(qztest::Gbk("甲").c_str())),
                        Stored(-1.75f));
    }
}

TEST(NgramBuilder, RejectedAndAcceptedLines) {
    const struct {
        NgramBuildMode mode;
        const char* line;
        int minCount;
        bool accepted;
    } cases[] = {
        {NgramBuildMode::Plain, "甲\t-1.0\t5\t0", 5, true},
        {NgramBuildMode::Plain, "甲\t-1.0\t4\t0", 5, false},   // count below the minimum
        {NgramBuildMode::Plain, "甲 -1.0 5 0", 0, false},      // no tab
        {NgramBuildMode::Plain, "a甲\t-1.0\t5\t0", 0, false},  // one-byte character
        {NgramBuildMode::Plain, "己\t-1.0\t5\t0", 0, false},   // not in the character list
        {NgramBuildMode::Plain, "甲\t\t-1.0\t\t5", 5, true},   // runs of tabs separate the fields
        {NgramBuildMode::Backoff, "甲\t-1.0", 100, true},      // no count: 100
        {NgramBuildMode::Backoff, "甲\t-1.0", 101, false},
    };
    for (const auto& c : cases) {
        ModelFiles files;
        ASSERT_TRUE(files.Build(kChars, {c.line}, c.mode, c.minCount));
        const zel::NgramModel model = files.Load(c.mode);
        const float unigram = model.chars.Unigram(model.chars.HZ2No(qztest::Gbk("甲").c_str()));
        EXPECT_FLOAT_EQ(unigram, c.accepted ? Stored(-1.0f) : -12.0f) << c.line << " min " << c.minCount;
    }
}

TEST(NgramBuilder, FirstGroupAndTrigramsKnownOnlyFromLongerLinesAreFound) {
    ModelFiles files;
    ASSERT_TRUE(files.Build(kChars,
                            {"甲\t-1\t9", "甲乙\t-0.5\t9", "甲乙丙丁\t-0.25\t9", "乙丙\t-0.5\t9", "乙丙丁\t-0.75\t9"},
                            NgramBuildMode::Plain));
    const zel::NgramModel model = files.Load(NgramBuildMode::Plain);
    const float uniPair = Stored(-1) + Stored(-0.5f);
    // The trigram 甲乙丙 has no line: found at the floor, its four-gram below it.
    EXPECT_EQ(Plain(model, "甲乙丙"), (uniPair + kFloor + -72.0f) / 9);
    EXPECT_EQ(Plain(model, "甲乙丙丁"), (uniPair + kFloor + Stored(-0.25f) + -60.0f) / 9);
    // A later group.
    EXPECT_EQ(Plain(model, "乙丙丁"), (kFloor + Stored(-0.5f) + Stored(-0.75f) + -72.0f) / 9);
}

TEST(NgramBuilder, FiveGramsWhoseFourthCharactersShareTheLowIndexBitsShareAKey) {
    std::vector<std::string> gbk;
    const std::string han = "一二三四五六七八九十百千万亿甲乙丙丁戊己";
    for (size_t i = 0; i < han.size(); i += 3) gbk.push_back(qztest::Gbk(han.substr(i, 3)));
    std::sort(gbk.begin(), gbk.end());  // the builder's indexes
    std::vector<std::string> chars;
    for (const std::string& c : gbk) chars.push_back(qztest::Utf8(c));
    const std::string abc = chars[0] + chars[1] + chars[2];
    const std::string first = abc + chars[3] + chars[4];    // fourth character: index 3
    const std::string second = abc + chars[19] + chars[4];  // index 19
    ModelFiles files;
    ASSERT_TRUE(files.Build(chars, {first + "\t-0.5\t9", second + "\t-0.25\t9"}, NgramBuildMode::Plain));
    const zel::NgramModel model = files.Load(NgramBuildMode::Plain);
    unsigned char a[3], b[3];
    zel::PackPairKey(3, 4, a);
    zel::PackPairKey(19, 4, b);
    EXPECT_EQ(std::string(a, a + 3), std::string(b, b + 3));
    // Either text finds one of the two records; no four-gram exists.
    const float noFive = ((kFloor + kFloor) + kFloor) + -72.0f;
    for (const std::string& text : {first, second}) {
        const float score = Plain(model, text);
        EXPECT_TRUE(score == (((kFloor + kFloor) + kFloor) + Stored(-0.5f) + -60.0f) / 9 ||
                    score == (((kFloor + kFloor) + kFloor) + Stored(-0.25f) + -60.0f) / 9)
            << score;
        EXPECT_NE(score, noFive / 9);
    }
}

TEST(NgramBuilder, MissingInputFailsBeforeWriting) {
    ModelFiles files;
    EXPECT_FALSE(
        zel::CreateIdx(files.dir.file("none.txt"), files.text, files.index, files.data, NgramBuildMode::Plain, 0));
    qztest::WriteFile(files.chars, qztest::Gbk("甲") + "\r\n");
    EXPECT_FALSE(
        zel::CreateIdx(files.chars, files.dir.file("none.txt"), files.index, files.data, NgramBuildMode::Plain, 0));
    EXPECT_FALSE(zel::CreateIdx(files.chars, files.chars, files.index, files.dir.file("no/such/dir.dat"),
                                NgramBuildMode::Plain, 0));
    EXPECT_FALSE(std::ifstream(files.index).good());
    EXPECT_FALSE(zel::CreateIdx(files.chars, files.chars, files.dir.file("no/such/dir.idx"), files.data,
                                NgramBuildMode::Plain, 0));
    EXPECT_EQ(qztest::ReadFile(files.data), "");
}

TEST(NgramBuilder, ProgressNamesEachLargeGroupAsTheNextBegins) {
    // 40 characters in GBK order; the prefix 啊阿 gets 1,600 four-grams.
    std::vector<std::string> chars;
    for (int i = 0; i < 40; ++i) chars.push_back(qztest::Utf8(std::string{'\xB0', static_cast<char>(0xA1 + i)}));
    std::vector<std::string> lines;
    for (const std::string& c : chars)
        for (const std::string& d : chars) lines.push_back(chars[0] + chars[1] + c + d + "\t-1.5\t9\t-0.25");
    lines.push_back(chars[1] + chars[0] + chars[2] + "\t-0.5\t9\t-0.125");
    lines.push_back(chars[1] + chars[0] + chars[3] + "\t-0.5\t9\t0");  // same group
    ModelFiles files;
    ASSERT_TRUE(files.Build(chars, lines, NgramBuildMode::Backoff));
    const std::string built = qztest::ReadFile(files.data);

    for (bool show : {false, true}) {
        testing::internal::CaptureStdout();
        ASSERT_TRUE(zel::CreateIdx(files.chars, files.text, files.index, files.data, NgramBuildMode::Backoff, 0, show));
        const std::string out = testing::internal::GetCapturedStdout();
        // The first character changed twice (the first group counts); the
        // last group is finished without a line.
        EXPECT_EQ(out, show ? "Processing ... 2 " + qztest::Gbk(chars[1] + chars[0] + chars[2]) +
                                  "\t-0.500000\t9\t-0.125000\r"
                            : "");
        EXPECT_EQ(qztest::ReadFile(files.data), built);
    }
}
