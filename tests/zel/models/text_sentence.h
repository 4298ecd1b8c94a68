// A sentence for the bracketing parser made from a GBK text: one column per
// character, one-byte characters normalised to their full-width forms, and
// parts of speech given per column span.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "zel/models/bt_sentence.h"

namespace zeltest {

class TextSentence : public zel::BTSentence {
public:
    explicit TextSentence(const std::string& gbk);

    int ColumnCount() const override { return static_cast<int>(texts_.size()); }
    const char* NormalChar(int column) const override { return normal_.data() + 2 * column; }
    std::string ColumnText(int column) const override { return texts_[column]; }
    void AppendWordTags(int first, int last, bool every, std::string& out) const override;

    std::map<std::pair<int, int>, std::vector<std::string>> tags;

private:
    std::vector<std::string> texts_;
    std::string normal_;
};

}  // namespace zeltest
