// Lookups of the plain and back-off scorers. Texts are two-byte characters;
// lengths below are in bytes, as the level conditions are.
#include <cstring>

#include "zel/models/hz_ngram.h"
#include "zel/models/le_bytes.h"
#include "zel/models/ngram_keys.h"
#include "zel/models/ngram_quantise.h"

namespace zel {
namespace {

constexpr int kPlainLevels = 9;

float ValueAt(const unsigned char* p) { return DequantiseLogProb(qz::bytes::Load<uint16_t>(p)); }

// Key of the n-gram of the given order (4 to 9) of text: raw codes for a
// lone character, pair keys for every two. False when a paired character is
// not in the model (then no such record can exist).
bool BuildKey(const CHZInfo& chars, const char* text, int order, unsigned char* key, int& keyBytes) {
    keyBytes = 0;
    const char* c = text + 6;  // fourth character
    for (int left = order - 3; left > 0;) {
        if (left == 1) {
            std::memcpy(key + keyBytes, c, 2);
            keyBytes += 2;
            break;
        }
        if (!Encode2HZ(chars, c, key + keyBytes)) return false;
        keyBytes += kPairKeyBytes;
        c += 4;
        left -= 2;
    }
    return true;
}

}  // namespace

bool GetNgramProbEncodeEx(const NgramModel& model, const char* text, float defaultScore, float& score) {
    const size_t n = std::strlen(text);
    const int a = n >= 2 ? model.chars.HZ2No(text) : -1;
    if (a < 0) {
        score = defaultScore;
        return true;
    }
    float sum = model.chars.Unigram(a);
    int found = 1;
    const int b = n >= 4 ? model.chars.HZ2No(text + 2) : -1;
    if (b >= 0) {
        sum = model.chars.Unigram(a) + model.pairs.Pair(a, b);
        found = 2;
        // A pair without a group has no longer n-grams: it is scored like
        // any other text whose third level is missing.
        const uint64_t group = model.pairs.Offset(a, b);
        const GroupReader groups = model.Groups();
        const unsigned char* trigram = (n >= 6 && group != 0) ? groups.FindTrigram(group, text + 4) : nullptr;
        if (trigram) {
            sum += ValueAt(trigram + 2);
            found = 3;
            // Nine- down to four-grams, each looked up on its own.
            for (int order = kPlainLevels; order >= 4 && n >= 7; --order) {
                if (n < static_cast<size_t>(2 * order - 1)) continue;
                unsigned char key[9];
                int keyBytes = 0;
                if (!BuildKey(model.chars, text, order, key, keyBytes)) continue;
                const unsigned char* record = groups.FindInList(group, trigram, order - 4, key);
                if (!record) continue;
                sum += ValueAt(record + keyBytes);
                ++found;
            }
        }
    }
    score = (sum + static_cast<float>((kPlainLevels - found) * -12)) / static_cast<float>(kPlainLevels);
    return true;
}

bool GetNgramProbEncode_LM(const NgramModel& model, const char* text, float& value, int& order) {
    const size_t n = std::strlen(text);
    value = kNgramFloor;
    order = 1;
    const int a = n >= 2 ? model.chars.HZ2No(text) : -1;
    if (a < 0) return true;
    value = model.chars.Unigram(a);
    const int b = n >= 4 ? model.chars.HZ2No(text + 2) : -1;
    if (b < 0) return true;
    value = model.pairs.Pair(a, b);
    order = 2;
    if (n < 6) return true;
    // A pair without a group stays a found bigram.
    const uint64_t group = model.pairs.Offset(a, b);
    if (group == 0) return true;
    const GroupReader groups = model.Groups();
    const unsigned char* trigram = groups.FindTrigram(group, text + 4);
    if (!trigram) return true;
    value = ValueAt(trigram + 2);
    order = 3;
    if (n < 7) return true;
    unsigned char key[kPairKeyBytes];
    if (n >= 9 && Encode2HZ(model.chars, text + 6, key)) {
        if (const unsigned char* five = groups.FindInList(group, trigram, 1, key)) {
            value = ValueAt(five + kPairKeyBytes);
            order = 5;
            return true;
        }
    }
    if (const unsigned char* four =
            groups.FindInList(group, trigram, 0, reinterpret_cast<const unsigned char*>(text + 6))) {
        value = ValueAt(four + 2);
        order = 4;
    }
    return true;
}

}  // namespace zel
