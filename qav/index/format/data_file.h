// Corpus data files: the word identifiers of one file group between a
// 2,048-byte header block and a 2,048-byte tail block. Positions count 32-bit
// words from the start of the file, so the first corpus word is at 512.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

constexpr size_t kDataBlockBytes = 2048;
constexpr size_t kDataMarkerBytes = 58;
constexpr uint32_t kFirstWordPosition = kDataBlockBytes / 4;
// A sentence is written only while its first word's byte offset stays below
// this, i.e. its position fits in 32 bits.
constexpr uint64_t kMaxSentenceByteOffset = uint64_t{1} << 34;

// Header: the marker starting "HEAD", then 0xFF up to 2,048 bytes.
std::string DataHeaderBlock();
// Tail: 0xFF, then the marker starting "Tail" in the last 58 bytes.
std::string DataTailBlock();

// Both write the whole block; false on a short write.
bool WriteHeader(std::FILE* file);
bool WriteTail(std::FILE* file);

// Sentence key: data file number in the high 32 bits, position in the low.
inline int64_t CombineSentNo(uint32_t position, uint8_t fileNo) {
    return static_cast<int64_t>((uint64_t{fileNo} << 32) | position);
}
