#include <gtest/gtest.h>

#include <cstring>

#include "model_files.h"
#include "zel/models/le_bytes.h"
#include "zellib.h"

using zel::NgramBuildMode;
using zeltest::ModelFiles;

namespace {

const std::vector<std::string> kChars = {"甲", "乙", "丙", "丁", "戊"};
const std::vector<std::string> kLines = {"甲\t-1\t9", "甲乙\t-0.5\t9", "甲乙丙\t-0.75\t9", "甲乙丙丁\t-0.125\t9",
                                         "甲乙丙丁戊\t-0.0625\t9"};
constexpr size_t kN = 5;
constexpr size_t kCountAt = 131070;
constexpr size_t kPairsAt = 131078 + 4 * kN;

void PutI32(std::string& bytes, size_t at, int32_t v) {
    std::string le;
    qz::bytes::Append<int32_t>(le, v);
    bytes.replace(at, 4, le);
}

}  // namespace

TEST(NgramLoader, RefusesFilesWhoseCountsOrOffsetsDoNotFit) {
    ModelFiles files;
    ASSERT_TRUE(files.Build(kChars, kLines, NgramBuildMode::Plain));
    const std::string index = qztest::ReadFile(files.index);
    const std::string data = qztest::ReadFile(files.data);
    // The first group (甲乙) starts at byte 1: trigram count, then the record
    // of 丙 with its six list offsets from byte 4 of the record.
    const size_t firstPair = kPairsAt + 7 * (2 * kN + 4);  // 甲 is index 2, 乙 index 4 in byte order
    const struct {
        const char* what;
        bool inIndex;
        std::function<void(std::string&)> patch;
    } cases[] = {
        {"index cut short", true, [](std::string& b) { b.pop_back(); }},
        {"negative character count", true, [](std::string& b) { PutI32(b, kCountAt, -1); }},
        {"character count too large", true, [](std::string& b) { PutI32(b, kCountAt, 6); }},
        {"pair count not N*N", true, [](std::string& b) { PutI32(b, kPairsAt - 4, 24); }},
        {"code map beyond the characters", true, [](std::string& b) { b[2 * 0x4141] = 9, b[2 * 0x4141 + 1] = 0; }},
        {"group beyond the data file", true, [&](std::string& b) { b[firstPair + 2] = 120; }},
        {"trigram count beyond the group", false, [](std::string& b) { b[2] = 1; }},
        {"list offset beyond the group", false, [](std::string& b) { PutI32(b, 3 + 4, 5000); }},
        {"list count beyond the group", false, [](std::string& b) { b[1 + 2 + 28] = static_cast<char>(0xFF); }},
    };
    for (const auto& c : cases) {
        std::string patchedIndex = index, patchedData = data;
        c.patch(c.inIndex ? patchedIndex : patchedData);
        qztest::WriteFile(files.dir.file("bad.idx"), patchedIndex);
        qztest::WriteFile(files.dir.file("bad.dat"), patchedData);
        zel::NgramModel model;
        std::string error;
        EXPECT_FALSE(zel::LoadNgramModel(files.dir.file("bad.idx"), files.dir.file("bad.dat"), zel::NgramKind::Plain,
                                         model, error))
            << c.what;
    }
    zel::NgramModel model;
    std::string error;
    EXPECT_TRUE(zel::LoadNgramModel(files.index, files.data, zel::NgramKind::Plain, model, error)) << error;
}

TEST(NgramExports, InitFailsWithoutLeftoversAndCanBeRetried) {
    ModelFiles plain, backoff;
    ASSERT_TRUE(plain.Build(kChars, kLines, NgramBuildMode::Plain));
    ASSERT_TRUE(backoff.Build(kChars, kLines, NgramBuildMode::Backoff));
    const std::string missing = plain.dir.file("missing.dat");
    const char* p[] = {plain.index.c_str(), plain.data.c_str(), backoff.index.c_str(), backoff.data.c_str()};
    const std::string text = qztest::Gbk("甲乙丙");
    float score = 7;

    EXPECT_EQ(HZNGramInit(p[0], p[1], p[2], p[3], p[0], ""), 0);
    EXPECT_FALSE(GetNgramProb(text.c_str(), 0, &score));
    EXPECT_EQ(score, 0);
    EXPECT_EQ(HZNGramInit(p[0], p[1], p[2], missing.c_str(), p[0], p[1]), 0);
    EXPECT_FALSE(GetNgramProb(text.c_str(), 0, &score));

    ASSERT_EQ(HZNGramInit(p[0], p[1], p[2], p[3], p[0], p[1]), 1);
    float left = 0, right = 0, lm = 0;
    EXPECT_TRUE(GetNgramProb(text.c_str(), 0, &left));
    EXPECT_TRUE(GetNgramProb(text.c_str(), 1, &right));
    EXPECT_TRUE(GetNgramProb(text.c_str(), 3, &lm));
    EXPECT_EQ(left, right);
    EXPECT_EQ(lm, static_cast<float>(zeltest::Stored(-0.75f) + 2 * -0.4));
    // Loaded models stay; the unused slots and the other types answer false.
    EXPECT_EQ(HZNGramInit(p[0], missing.c_str(), p[2], p[3], p[0], p[1]), 1);
    EXPECT_TRUE(GetNgramProb(text.c_str(), 0, &score));
    EXPECT_EQ(score, left);
    for (int type : {2, 4, 5, 6, -1}) {
        score = 7;
        EXPECT_FALSE(GetNgramProb(text.c_str(), type, &score)) << type;
        EXPECT_EQ(score, 0) << type;
    }
    HZNGramExit();
    EXPECT_FALSE(GetNgramProb(text.c_str(), 0, &score));
    HZNGramExit();
}
