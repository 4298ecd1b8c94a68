// The n-gram entries a host program calls.
#include "zellib.h"

#include "zel/models/hz_ngram.h"

using zel::CHZNGram;
using zel::g_pHZNGram;

int HZNGramInit(const char* leftIndex, const char* leftData, const char* lmIndex, const char* lmData,
                const char* rightIndex, const char* rightData) {
    for (const char* path : {leftIndex, leftData, lmIndex, lmData, rightIndex, rightData})
        if (!path || !*path) return 0;
    if (g_pHZNGram) return 1;
    auto* models = new CHZNGram;
    // All three models are needed; a failed load leaves nothing behind, so
    // that a later call can try again.
    if (!models->HZNGramInit(leftIndex, leftData, 0) || !models->HZNGramInit(rightIndex, rightData, 1) ||
        !models->HZNGramInit(lmIndex, lmData, 2)) {
        delete models;
        return 0;
    }
    g_pHZNGram = models;
    return 1;
}

bool GetNgramProb(const char* text, int type, float* score) {
    if (!score) return false;
    *score = 0;
    if (!g_pHZNGram || !text) return false;
    switch (type) {
        case 0: return g_pHZNGram->GetNgramProb_L(text, *score);
        case 1: return g_pHZNGram->GetNgramProb_R(text, *score);
        case 3: return g_pHZNGram->GetNgramProb_LM(text, *score);
        case 4: return g_pHZNGram->GetNgramProb_PL(text, *score);
        case 5: return g_pHZNGram->GetNgramProb_PR(text, *score);
        default: return false;
    }
}

void HZNGramExit() {
    if (!g_pHZNGram) return;
    g_pHZNGram->HZNGramExit();
    delete g_pHZNGram;
    g_pHZNGram = nullptr;
}
