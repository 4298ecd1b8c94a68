// Boundary scores: the n-gram models read the text around a split, joined
// by boundary marks, from the left (reversed) and from the right.
#include "zel/models/bt_chars.h"
#include "zel/models/bt_parser.h"
#include "zel/models/hz_ngram.h"

namespace zel {
namespace {

float LeftScore(const std::string& text) {
    float score = 0;
    if (g_pHZNGram) g_pHZNGram->GetNgramProb_L((ProcessContextString(ReverseSent(text)) + kSepHZ).c_str(), score);
    return score;
}

float RightScore(const std::string& text) {
    float score = 0;
    if (g_pHZNGram) g_pHZNGram->GetNgramProb_R(ProcessContextString(text).c_str(), score);
    return score;
}

// Mean back-off score of every suffix of the reversed text.
float BackoffScore(const std::string& text) {
    if (!g_pHZNGram || !g_pHZNGram->IsLoaded(CHZNGram::kBackoff)) return 0;
    const std::string processed = ProcessContextString(ReverseSent(text));
    const size_t characters = processed.size() / 2;
    if (characters == 0) return 0;
    float sum = 0;
    for (size_t i = 0; i < characters; ++i) {
        float score = 0;
        g_pHZNGram->GetNgramProb_LM(processed.c_str() + 2 * i, score);
        sum += score;
    }
    return sum / static_cast<float>(characters);
}

}  // namespace

float CompBoundaryProb_L(const BTSentence& s, int p, int f, int t, int mode) {
    if (mode == 7) return LeftScore(s.Span(f, p));
    if (mode == 8) return LeftScore(s.Span(f, p) + kSepHZ + s.Span(p + 1, t + 1));
    return 0;
}

float CompBoundaryProb_R(const BTSentence& s, int p, int f, int t, int mode) {
    if (mode == 8) return RightScore(s.Span(p + 1, t + 1) + kSepHZ);
    if (mode == 7) return RightScore(s.Span(f, p) + kSepHZ + s.Span(p + 1, t + 1) + kSepHZ);
    return 0;
}

float CompBoundaryProb_LM(const BTSentence& s, int p, int f, int t, int mode) {
    if (mode == 3) return BackoffScore(s.Span(f, p) + kSepHZ + s.Span(p + 1, t + 1));
    return 0;
}

}  // namespace zel
