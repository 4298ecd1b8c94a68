// The last word and tag of the sentence just processed, carried into the next
// sentence of a file group so that units can join the two sentences.
#pragma once

#include <string>
#include <string_view>

namespace qav {

class CPNInfo {
public:
    // Texts this long or longer are not kept.
    static constexpr size_t kTextBytes = 2048;

    // A file group starts with a single blank as both words and empty tags.
    CPNInfo();

    void SetP(std::string_view word, std::string_view tag);
    void SetN(std::string_view word, std::string_view tag);
    // Previous pair := next pair, before a line is processed.
    void Advance() { SetP(next_word, next_tag); }
    bool HasPrevious() const { return !previous_word.empty() || !previous_tag.empty(); }

    std::string previous_word;
    std::string previous_tag;
    std::string next_word;
    std::string next_tag;
};

}  // namespace qav
