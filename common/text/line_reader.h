// Reads the text lines of corpus and data text files. Every stage of an index
// build reads its lines through this class, so a line refused by one stage is
// refused by all of them in the same way.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

// Longest corpus line (line end excluded) a build accepts.
constexpr size_t kMaxLineBytes = 102400;
// Longest line of a data text file: a line number, a tab and a corpus line.
constexpr size_t kMaxDataLineBytes = kMaxLineBytes + 24;

class LineReader {
public:
    enum Result {
        kLine,     // a line, its "\n" and then its "\r" removed
        kTooLong,  // longer than the limit; line holds its first limit bytes
        kHasNul,   // holds a zero byte, which no later stage could carry
        kEnd,
    };

    // Reads from file (not owned); maxBytes bounds the line content.
    explicit LineReader(FILE* file, size_t maxBytes = kMaxLineBytes);

    Result Next(std::string& line);

private:
    bool Fill();

    FILE* file_;
    size_t max_bytes_;
    std::vector<char> buffer_;
    size_t begin_ = 0;
    size_t end_ = 0;
};
