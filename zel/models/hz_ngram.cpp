#include "zel/models/hz_ngram.h"

#include <cstdio>
#include <fstream>
#include <iterator>

namespace zel {

CHZNGram* g_pHZNGram = nullptr;

namespace {

bool ReadWholeFile(const std::string& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

}  // namespace

bool LoadNgramModel(const std::string& indexPath, const std::string& dataPath, NgramKind kind, NgramModel& model,
                    std::string& error) {
    std::string data;
    if (!ReadWholeFile(dataPath, data)) {
        error = "cannot read " + dataPath;
        return false;
    }
    std::string index;
    if (!ReadWholeFile(indexPath, index)) {
        error = "cannot read " + indexPath;
        return false;
    }
    model.kind = kind;
    model.data.assign(data.begin(), data.end());
    if (!ParseIndexFile(index, model.chars, model.pairs, error)) {
        error = indexPath + ": " + error;
        return false;
    }
    const GroupReader groups = model.Groups();
    for (uint64_t offset : model.pairs.offsets) {
        if (!groups.CheckGroup(offset)) {
            error = dataPath + ": a group lies outside the data file";
            return false;
        }
    }
    return true;
}

bool CHZNGram::HZNGramInit(const char* indexPath, const char* dataPath, int loadType) {
    static const Slot kSlotOfType[] = {kLeft, kRight, kBackoff, kSlotCount, kPrefixLeft, kPrefixRight};
    if (loadType < 0) return false;
    if (loadType > 5 || loadType == 3) return true;
    const Slot slot = kSlotOfType[loadType];
    const bool optional = slot == kPrefixLeft || slot == kPrefixRight;
    if (optional && !std::ifstream(dataPath)) return true;

    auto model = std::make_unique<NgramModel>();
    std::string error;
    const NgramKind kind = slot == kBackoff ? NgramKind::Backoff : NgramKind::Plain;
    if (!LoadNgramModel(indexPath, dataPath, kind, *model, error)) {
        std::fprintf(stderr, "n-gram model not loaded: %s\n", error.c_str());
        return false;
    }
    slots_[slot] = std::move(model);
    return true;
}

void CHZNGram::HZNGramExit() {
    for (auto& slot : slots_) slot.reset();
}

bool CHZNGram::Plain(Slot slot, const char* text, float& score) const {
    if (!slots_[slot]) return false;
    return GetNgramProbEncodeEx(*slots_[slot], text, kNgramFloor, score);
}

bool CHZNGram::GetNgramProb_LM(const char* text, float& score) const {
    if (!slots_[kBackoff]) return false;
    float value = 0;
    int order = 0;
    GetNgramProbEncode_LM(*slots_[kBackoff], text, value, order);
    score = static_cast<float>(value + (5 - order) * -0.4);
    return true;
}

}  // namespace zel
