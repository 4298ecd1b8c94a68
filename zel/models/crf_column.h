// Search columns shared by the segmenter and the part-of-speech tagger: one
// position (a character or a word) with its candidate tags.
#pragma once

#include <set>
#include <string>
#include <vector>

namespace zel {

class CCRFModel;
class CDictSearch;

// One candidate tag of a column.
struct CItem {
    std::string tag;
    float score = 0.0f;
    int back = -1;  // candidate of the previous column; -1 until the search sets it
    int index = -1;  // the tag's place among the segmentation model's tags; -1: not one of them
};

// Which kind of search column a segmentation candidate list is built for.
enum class ColumnKind { kLeftPad = 0, kSentence = 1, kRightPad = 2 };

class CColumn {
public:
    // Sets the text and empties the allowed set.
    void SetHZ(const std::string& text);
    void Clear();
    void AddTag(const std::string& tag) { allowed_.insert(tag); }
    void SetPOS(const std::string& tag) { tag_ = tag; }
    // Segmentation candidates (score 0, back -1).
    void Candidate(const CCRFModel& model, ColumnKind kind);

    // Tagging: the word and its candidates from the dictionary (null: none).
    void SetColumn(const std::string& word, const CDictSearch* dict);
    void GetPOSInfo(const CDictSearch* dict);
    // Tags guessed for a word that the dictionary does not hold: those of the
    // hint (SetPOS), split at "-", or else "n" and "nr".
    void Guess(std::vector<std::string>& tags) const;

    const std::string& text() const { return text_; }
    const std::string& tag() const { return tag_; }
    const std::set<std::string>& allowed() const { return allowed_; }
    std::vector<CItem>& items() { return items_; }
    const std::vector<CItem>& items() const { return items_; }

private:
    std::string text_;
    std::string tag_;  // decided tag after a search; a hint when tagging
    std::vector<CItem> items_;
    std::set<std::string> allowed_;
};

}  // namespace zel
