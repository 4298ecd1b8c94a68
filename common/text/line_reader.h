// Reads the text lines of corpus, data and index text files. Every stage of an
// index build reads its lines through this class, so a line refused by one
// stage is refused by all of them in the same way.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include "common/platform/file_handle.h"

namespace qz {

// Longest corpus line (line end excluded) a build accepts.
constexpr size_t kMaxLineBytes = 102400;
// Longest line of a data text file: a line number, a tab and a corpus line.
constexpr size_t kMaxDataLineBytes = kMaxLineBytes + 24;

// What becomes of a line longer than the reader's limit.
enum class LongLines {
    // Reported as kTooLong with its first maxBytes bytes; zero bytes are
    // reported as kHasNul.
    kRefuse,
    // The fixed-size text files of an index: a line arrives in pieces of at
    // most maxBytes - 1 bytes (line end included), each cut at a zero byte
    // and then of its final "\n" and "\r", every piece a kLine.
    kSplit,
};

class LineReader {
public:
    enum Result {
        kLine,     // a line, its "\n" and then its "\r" removed
        kTooLong,  // longer than the limit; line holds its first limit bytes
        kHasNul,   // holds a zero byte, which no later stage could carry
        kEnd,
    };

    // Reads from file (not owned); maxBytes bounds the line content.
    explicit LineReader(FILE* file, size_t maxBytes = kMaxLineBytes, LongLines longLines = LongLines::kRefuse);
    // Opens path "rb" and owns it; ok() tells whether it opened.
    LineReader(const std::string& path, size_t maxBytes, LongLines longLines);

    bool ok() const { return file_ != nullptr; }
    Result Next(std::string& line);

private:
    Result NextWhole(std::string& line);
    Result NextPiece(std::string& line);
    bool Fill();

    FileHandle owned_;
    FILE* file_;
    size_t max_bytes_;
    LongLines long_lines_;
    std::vector<char> buffer_;
    size_t begin_ = 0;
    size_t end_ = 0;
};

}  // namespace qz
