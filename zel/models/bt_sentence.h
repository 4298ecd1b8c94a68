// What the bracketing parser reads of a sentence. The lattice provides it:
// one column per normalised two-byte character.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace zel {

class BTSentence {
public:
    virtual ~BTSentence() = default;

    virtual int ColumnCount() const = 0;
    // The two bytes of the column's normalised character.
    virtual const char* NormalChar(int column) const = 0;
    // The column's text as it is written in trees.
    virtual std::string ColumnText(int column) const = 0;
    // Appends " " and the part of speech of the word units over exactly
    // first..last: the first one found, or every one.
    virtual void AppendWordTags(int first, int last, bool every, std::string& out) const = 0;
    // Spans (first, last column) that no split may cut: every unit other
    // than the column placeholders, or per column only the last unit tagged
    // as terminal. A plain text has none.
    virtual void UnitSpans(bool /*terminalOnly*/, std::vector<std::pair<int, int>>& spans) const { spans.clear(); }

    // Normalised characters of the columns first..last.
    std::string Span(int first, int last) const {
        std::string text;
        for (int c = first; c <= last; ++c) text.append(NormalChar(c), 2);
        return text;
    }
};

}  // namespace zel
