// Corpus data files: the word identifiers of one file group between a
// 2,048-byte header block and a 2,048-byte tail block. Positions count 32-bit
// words from the start of the file, so the first corpus word is at 512.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "qav/index/format/corpus_words.h"

namespace qav {

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

// How many of prefix_0.dat, prefix_1.dat, ... open for reading, up to the
// first that does not; at most 255 (file numbers are one byte).
int CountNumberedFiles(const std::string& prefix);

// Loads the data files prefix + "_%d.dat", 0 to 254 up to the first missing
// one, each whole as 4-byte units (header and tail blocks included) with its
// number of units. False, with words and lengths emptied, when there is none
// or one cannot be read or held.
bool LoadDataFiles(const std::string& prefix, std::vector<std::unique_ptr<uint32_t[]>>& words,
                   std::vector<uint32_t>& lengths);
// The same for an engine that serves queries: large files on huge pages.
bool LoadDataFiles(const std::string& prefix, std::vector<CorpusWords>& words, std::vector<uint32_t>& lengths);

}  // namespace qav
