#include "zel/models/hz_info.h"

#include "zel/models/le_bytes.h"
#include "zel/models/ngram_quantise.h"

namespace zel {

bool ParseIndexFile(const std::string& bytes, CHZInfo& chars, CBiHZInfo& pairs, std::string& error) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t codeMapBytes = 2 * static_cast<size_t>(kCodeMapEntries);
    if (bytes.size() < codeMapBytes + 4) {
        error = "index file too short";
        return false;
    }
    const int32_t n = qz::bytes::Load<int32_t>(p + codeMapBytes);
    if (n < 0 || n > kMaxModelCharacters || bytes.size() != IndexFileSize(static_cast<uint64_t>(n))) {
        error = "index file size does not match its character count";
        return false;
    }
    const unsigned char* codes = p + codeMapBytes + 4;
    const unsigned char* unigrams = codes + 2 * n;
    const unsigned char* pairCount = unigrams + 2 * n;
    const unsigned char* pairEntries = pairCount + 4;
    if (static_cast<int64_t>(qz::bytes::Load<int32_t>(pairCount)) != static_cast<int64_t>(n) * n) {
        error = "pair count is not the square of the character count";
        return false;
    }
    chars.codeMap.resize(kCodeMapEntries);
    for (int c = 0; c < kCodeMapEntries; ++c) {
        const uint16_t index = qz::bytes::Load<uint16_t>(p + 2 * c);
        if (index != kNoCharacter && index >= n) {
            error = "code map entry beyond the character count";
            return false;
        }
        chars.codeMap[c] = index;
    }
    chars.codes.resize(n);
    chars.unigram.resize(n);
    for (int i = 0; i < n; ++i) {
        chars.codes[i] = qz::bytes::Load<uint16_t>(codes + 2 * i);
        chars.unigram[i] = DequantiseLogProb(qz::bytes::Load<uint16_t>(unigrams + 2 * i));
    }
    const size_t m = static_cast<size_t>(n) * n;
    pairs.n = static_cast<size_t>(n);
    pairs.values.resize(m);
    pairs.offsets.resize(m);
    for (size_t i = 0; i < m; ++i) {
        pairs.values[i] = DequantiseLogProb(qz::bytes::Load<uint16_t>(pairEntries + 7 * i));
        pairs.offsets[i] = ReadU40(pairEntries + 7 * i + 2);
    }
    return true;
}

}  // namespace zel
