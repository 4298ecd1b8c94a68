// A check of the n-gram scorer by hand: loads a test model from fixed
// names in the working folder and scores one text with it.
#include <cstdio>

#include "zel/models/hz_ngram.h"
#include "zellib.h"

namespace {

constexpr char kTestIndex[] = "d:\\tmp\\testlm\\test.idx";
constexpr char kTestData[] = "d:\\tmp\\testlm\\test.dat";
// Loaded as the left prefix model, which GetNgramProb_PL scores with.
constexpr int kPrefixLeftModel = 4;
// "中华人民共和国" in GBK.
constexpr char kTestText[] = "\xD6\xD0\xBB\xAA\xC8\xCB\xC3\xF1\xB9\xB2\xBA\xCD\xB9\xFA";

}  // namespace

void TestNGram() {
    zel::CHZNGram model;
    if (!model.HZNGramInit(kTestIndex, kTestData, kPrefixLeftModel) ||
        !model.IsLoaded(zel::CHZNGram::kPrefixLeft))
        return;
    std::printf("L Init Done!\n");
    float score = 0;
    model.GetNgramProb_PL(kTestText, score);
    model.HZNGramExit();
}
