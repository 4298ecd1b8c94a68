// The character and character-pair tables of a loaded n-gram model, parsed
// from its index file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zel {

constexpr int kCodeMapEntries = 65535;
constexpr uint16_t kNoCharacter = 0xFFFF;
constexpr int kMaxModelCharacters = 65534;

// Code of a GBK character: its two bytes read little-endian.
inline uint16_t CharCode(const char* c) {
    return static_cast<uint16_t>(static_cast<unsigned char>(c[0]) | (static_cast<unsigned char>(c[1]) << 8));
}

class CHZInfo {
public:
    // Index of the character at c, or -1 when it is not in the model.
    int HZ2No(const char* c) const {
        const uint16_t code = CharCode(c);
        if (code >= kCodeMapEntries || codeMap[code] == kNoCharacter) return -1;
        return codeMap[code];
    }
    int Count() const { return static_cast<int>(codes.size()); }
    float Unigram(int index) const { return unigram[index]; }

    std::vector<uint16_t> codeMap = std::vector<uint16_t>(kCodeMapEntries, kNoCharacter);
    std::vector<uint16_t> codes;
    std::vector<float> unigram;
};

class CBiHZInfo {
public:
    float Pair(int a, int b) const { return values[static_cast<size_t>(a) * n + b]; }
    uint64_t Offset(int a, int b) const { return offsets[static_cast<size_t>(a) * n + b]; }

    size_t n = 0;
    std::vector<float> values;
    std::vector<uint64_t> offsets;
};

// Size of the index file of a model of n characters.
inline uint64_t IndexFileSize(uint64_t n) { return 131078 + 4 * n + 7 * n * n; }

// Parses an index file. False, with the reason in error, when its size does
// not match its counts or an entry points outside the tables.
bool ParseIndexFile(const std::string& bytes, CHZInfo& chars, CBiHZInfo& pairs, std::string& error);

}  // namespace zel
