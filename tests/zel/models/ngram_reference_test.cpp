// Scores of a model built from n-gram lists counted on the sample text,
// against the figures that tools/zel/ngram_check.py computes on its own from
// the same lists. QZ_NGRAM_CHECK_DIR runs the check on another folder made by
// that script (a larger corpus, by hand).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "support/test_support.h"
#include "zel/models/hz_ngram.h"
#include "zel/models/ngram_builder.h"
#include "zel/models/ngram_quantise.h"

namespace {

std::string CheckDir() {
    const char* dir = std::getenv("QZ_NGRAM_CHECK_DIR");
    return dir ? dir : qztest::DataDir() + "/ngram";
}

}  // namespace

TEST(NgramReference, LibraryScoresEqualTheIndependentFigures) {
    const std::string in = CheckDir();
    qztest::TempDir out;
    const int minCount = std::atoi(qztest::ReadFile(in + "/min_count.txt").c_str());
    ASSERT_TRUE(zel::CreateIdx(in + "/chars.txt", in + "/plain.txt", out.file("p.idx"), out.file("p.dat"),
                               zel::NgramBuildMode::Plain, minCount));
    ASSERT_TRUE(zel::CreateIdx(in + "/chars.txt", in + "/lm.txt", out.file("b.idx"), out.file("b.dat"),
                               zel::NgramBuildMode::Backoff, minCount));
    // Building again gives the same bytes.
    ASSERT_TRUE(zel::CreateIdx(in + "/chars.txt", in + "/plain.txt", out.file("p2.idx"), out.file("p2.dat"),
                               zel::NgramBuildMode::Plain, minCount));
    EXPECT_EQ(qztest::ReadFile(out.file("p.dat")), qztest::ReadFile(out.file("p2.dat")));

    zel::CHZNGram models;
    ASSERT_TRUE(models.HZNGramInit(out.file("p.idx").c_str(), out.file("p.dat").c_str(), 0));
    ASSERT_TRUE(models.HZNGramInit(out.file("b.idx").c_str(), out.file("b.dat").c_str(), 2));
    const std::string chars = qztest::ReadFile(in + "/chars.txt");
    const size_t n = static_cast<size_t>(std::count(chars.begin(), chars.end(), '\n'));
    EXPECT_EQ(qztest::ReadFile(out.file("p.idx")).size(), 131078u + 4 * n + 7 * n * n);

    std::istringstream expected(qztest::ReadFile(in + "/expected.txt"));
    std::string line;
    int checked = 0, plainOff = 0, backoffOff = 0;
    while (std::getline(expected, line)) {
        std::istringstream fields(line);
        std::string text;
        float plain = 0, backoff = 0;
        std::getline(fields, text, '\t');
        fields >> plain >> backoff;
        const std::string gbk = qztest::Gbk(text);
        float score = 0;
        ASSERT_TRUE(models.GetNgramProb_L(gbk.c_str(), score));
        if (std::abs(score - plain) > -zel::kQuantStep && ++plainOff <= 10)
            ADD_FAILURE() << text << ": plain " << score << ", expected " << plain;
        ASSERT_TRUE(models.GetNgramProb_LM(gbk.c_str(), score));
        if (std::abs(score - backoff) > -zel::kQuantStep && ++backoffOff <= 10)
            ADD_FAILURE() << text << ": back-off " << score << ", expected " << backoff;
        ++checked;
    }
    EXPECT_GT(checked, 1000);
    EXPECT_EQ(plainOff, 0);
    EXPECT_EQ(backoffOff, 0);
    std::printf("%d n-grams of held-out sentences checked\n", checked);
}
