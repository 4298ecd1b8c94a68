// Small n-gram models built by the library's own builder for the tests.
#pragma once

#include <string>
#include <vector>

#include "support/test_support.h"
#include "zel/models/hz_ngram.h"
#include "zel/models/ngram_builder.h"

namespace zeltest {

struct ModelFiles {
    qztest::TempDir dir;
    std::string chars = dir.file("chars.txt");
    std::string text = dir.file("ngrams.txt");
    std::string index = dir.file("model.idx");
    std::string data = dir.file("model.dat");

    // Writes the character list (sorted by GBK bytes) and the n-gram lines
    // (UTF-8; plain-mode lines get the three bytes the builder skips), then
    // builds the model.
    bool Build(const std::vector<std::string>& charsUtf8, const std::vector<std::string>& lines,
               zel::NgramBuildMode mode, int minCount = 0, const std::string& lineEnd = "\r\n");
    // Loads what Build wrote.
    zel::NgramModel Load(zel::NgramBuildMode mode) const;
};

// The value a log probability is stored as.
float Stored(float logProb);

}  // namespace zeltest
