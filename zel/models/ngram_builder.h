// Builds the index and data files of a character n-gram model from a
// character list and a text file of n-grams with their log probabilities.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zel {

enum class NgramBuildMode { Plain = 0, Backoff = 1 };

// Character list: one GBK character a line, in ascending byte order.
// N-gram text: UTF-8 lines "ngram<TAB>log10 probability<TAB>count<TAB>back-off
// weight", the lines of one two-character prefix together; in plain mode
// every line starts with three bytes that are skipped. Lines may end in LF or
// CRLF. Lines below minCount, with one-byte or unknown characters, are
// dropped. False when a file cannot be opened or written, or when a list
// outgrows its count field. With showProgress, every finished group of more
// than 1,000 lines (but the last) prints "Processing ... <n> <line>\r": n
// counts the changes of the first character so far, line is the line that
// starts the next group as the group writer reads it.
bool CreateIdx(const std::string& charListPath, const std::string& ngramPath, const std::string& indexPath,
               const std::string& dataPath, NgramBuildMode mode, int minCount, bool showProgress = false);

// One line of the n-gram text, parsed.
struct NgramLine {
    std::string ngram;  // GBK, two-byte characters only
    float probability = 0;
    float backoff = 0;
    int count = 0;
};

// Parses a line of the n-gram text (without its line end). False when it has
// no tab or its n-gram is empty, of odd length or holds a one-byte character.
bool GetLineInfo(const std::string& line, NgramBuildMode mode, NgramLine& out);

}  // namespace zel
