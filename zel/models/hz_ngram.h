// The process's character n-gram models: up to five loaded model files, each
// in a slot of its own, and the scorers the bracketing parser uses.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "zel/models/hz_info.h"
#include "zel/models/ngram_groups.h"
#include "zel/models/ngram_quantise.h"

namespace zel {

// One loaded model: the whole data file and the tables of its index file.
struct NgramModel {
    NgramKind kind = NgramKind::Plain;
    std::vector<unsigned char> data;
    CHZInfo chars;
    CBiHZInfo pairs;

    GroupReader Groups() const { return GroupReader(data.data(), data.size(), kind); }
};

// Loads an index and data file pair; false, with the reason in error, when a
// file cannot be read or does not hold a model of the given kind.
bool LoadNgramModel(const std::string& indexPath, const std::string& dataPath, NgramKind kind, NgramModel& model,
                    std::string& error);

// Plain score: the mean of the nine conditional values of the text's
// prefixes, -12 for every level the model lacks; the default alone when the
// first character is unknown.
bool GetNgramProbEncodeEx(const NgramModel& model, const char* text, float defaultScore, float& score);

// Back-off lookup: the conditional value of the longest n-gram (up to five
// characters) that the model holds, and its order.
bool GetNgramProbEncode_LM(const NgramModel& model, const char* text, float& value, int& order);

class CHZNGram {
public:
    enum Slot { kLeft, kRight, kBackoff, kPrefixLeft, kPrefixRight, kSlotCount };

    // Load types: 0 left, 1 right, 2 back-off, 4 and 5 the optional prefix
    // models (a missing data file leaves them unloaded); 3 and types above 5
    // load nothing.
    bool HZNGramInit(const char* indexPath, const char* dataPath, int loadType);
    void HZNGramExit();

    bool IsLoaded(Slot slot) const { return slots_[slot] != nullptr; }

    bool GetNgramProb_L(const char* text, float& score) const { return Plain(kLeft, text, score); }
    bool GetNgramProb_R(const char* text, float& score) const { return Plain(kRight, text, score); }
    bool GetNgramProb_PL(const char* text, float& score) const { return Plain(kPrefixLeft, text, score); }
    bool GetNgramProb_PR(const char* text, float& score) const { return Plain(kPrefixRight, text, score); }
    // The back-off value plus -0.4 for every order below five.
    bool GetNgramProb_LM(const char* text, float& score) const;

private:
    bool Plain(Slot slot, const char* text, float& score) const;

    std::unique_ptr<NgramModel> slots_[kSlotCount];
};

// Created by the exported HZNGramInit, freed by HZNGramExit.
extern CHZNGram* g_pHZNGram;

}  // namespace zel
