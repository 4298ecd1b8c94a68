// The lattice as the bracketing parser reads it: its columns, the parts of
// speech of its word units and the spans of its units.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "zel/models/bt_sentence.h"

namespace zel {

class CLattice;

class LatticeBTSentence : public BTSentence {
public:
    explicit LatticeBTSentence(CLattice& lattice) : lattice_(lattice) {}

    int ColumnCount() const override;
    const char* NormalChar(int column) const override;
    std::string ColumnText(int column) const override;
    // Word units of the last column that start at the first one, searched
    // from the end of the column's units down to its second unit.
    void AppendWordTags(int first, int last, bool every, std::string& out) const override;
    void UnitSpans(bool terminalOnly, std::vector<std::pair<int, int>>& spans) const override;

private:
    bool Inside(int column) const;

    CLattice& lattice_;
};

}  // namespace zel
