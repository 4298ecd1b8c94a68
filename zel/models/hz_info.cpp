#include "zel/models/hz_info.h"

#include "zel/models/le_bytes.h"
#include "zel/models/ngram_quantise.h"

namespace zel {

bool CHZInfo::No2HZ(int index, char out[3]) const {
    if (index < 0 || index >= Count()) return false;
    out[0] = static_cast<char>(codes_[index] & 0xFF);
    out[1] = static_cast<char>(codes_[index] >> 8);
    out[2] = '\0';
    return true;
}

bool CBiHZInfo::GetProb(const char* text, const CHZInfo& table, float& value) const {
    const int a = table.HZ2No(text);
    const int b = table.HZ2No(text + 2);
    if (a < 0 || b < 0) return false;
    value = Pair(a, b);
    return true;
}

bool CBiHZInfo::GetPOS(const char* text, const CHZInfo& table, int64_t& offset) const {
    const int a = table.HZ2No(text);
    const int b = table.HZ2No(text + 2);
    if (a < 0 || b < 0) {
        offset = -1;
        return false;
    }
    offset = static_cast<int64_t>(Offset(a, b));
    return offset != 0;
}

bool ParseIndexFile(const std::string& bytes, CHZInfo& chars, CBiHZInfo& pairs, std::string& error) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t codeMapBytes = 2 * static_cast<size_t>(kCodeMapEntries);
    if (bytes.size() < codeMapBytes + 4) {
        error = "index file too short";
        return false;
    }
    const int32_t n = ReadI32(p + codeMapBytes);
    if (n < 0 || n > kMaxModelCharacters || bytes.size() != IndexFileSize(static_cast<uint64_t>(n))) {
        error = "index file size does not match its character count";
        return false;
    }
    const unsigned char* codes = p + codeMapBytes + 4;
    const unsigned char* unigrams = codes + 2 * n;
    const unsigned char* pairCount = unigrams + 2 * n;
    const unsigned char* pairEntries = pairCount + 4;
    if (static_cast<int64_t>(ReadI32(pairCount)) != static_cast<int64_t>(n) * n) {
        error = "pair count is not the square of the character count";
        return false;
    }
    chars.codeMap_.resize(kCodeMapEntries);
    for (int c = 0; c < kCodeMapEntries; ++c) {
        const uint16_t index = ReadU16(p + 2 * c);
        if (index != kNoCharacter && index >= n) {
            error = "code map entry beyond the character count";
            return false;
        }
        chars.codeMap_[c] = index;
    }
    chars.codes_.resize(n);
    chars.unigram_.resize(n);
    for (int i = 0; i < n; ++i) {
        chars.codes_[i] = ReadU16(codes + 2 * i);
        chars.unigram_[i] = DequantiseLogProb(ReadU16(unigrams + 2 * i));
    }
    const size_t m = static_cast<size_t>(n) * n;
    pairs.n_ = static_cast<size_t>(n);
    pairs.values_.resize(m);
    pairs.offsets_.resize(m);
    for (size_t i = 0; i < m; ++i) {
        pairs.values_[i] = DequantiseLogProb(ReadU16(pairEntries + 7 * i));
        pairs.offsets_[i] = ReadU40(pairEntries + 7 * i + 2);
    }
    return true;
}

}  // namespace zel
