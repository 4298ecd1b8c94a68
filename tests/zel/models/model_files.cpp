#include "model_files.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "zel/models/ngram_quantise.h"

namespace zeltest {

bool ModelFiles::Build(const std::vector<std::string>& charsUtf8, const std::vector<std::string>& lines,
                       zel::NgramBuildMode mode, int minCount, const std::string& lineEnd) {
    std::vector<std::string> gbk;
    for (const std::string& c : charsUtf8) gbk.push_back(qztest::Gbk(c));
    std::sort(gbk.begin(), gbk.end());
    std::string list;
    for (const std::string& c : gbk) list += c + lineEnd;
    qztest::WriteFile(chars, list);
    std::string body;
    for (const std::string& line : lines) body += (mode == zel::NgramBuildMode::Plain ? "03\t" : "") + line + lineEnd;
    qztest::WriteFile(text, body);
    return zel::CreateIdx(chars, text, index, data, mode, minCount);
}

zel::NgramModel ModelFiles::Load(zel::NgramBuildMode mode) const {
    zel::NgramModel model;
    std::string error;
    const auto kind = mode == zel::NgramBuildMode::Plain ? zel::NgramKind::Plain : zel::NgramKind::Backoff;
    EXPECT_TRUE(zel::LoadNgramModel(index, data, kind, model, error)) << error;
    return model;
}

float Stored(float logProb) { return zel::DequantiseLogProb(zel::QuantiseLogProb(logProb)); }

}  // namespace zeltest
