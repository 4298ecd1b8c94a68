// A compiled segmentation model (see idx_crf.h for the file): per template a
// feature table and row offsets, the weights, and the tags. It scores a tag
// after another tag at a position of a column sequence.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "zel/models/crf_column.h"

namespace zel {

// Characters whose codes fall below this have a tag mask in a tag-bit file.
constexpr int kTagBitChars = 63487;

class CCRFModel {
public:
    // False when the file cannot be read or is damaged (a count, length or
    // template number that does not fit the file); the model is then empty.
    bool ModelInitEx(const std::string& path);
    void ModelExit();

    // Restricts tags per character (lines "#<char>" select a character,
    // other lines name a tag before an optional tab). False when the file
    // cannot be opened.
    bool SetTagBit(const std::string& path);
    void SetBit(int code, int tagIndex);
    // True when the tag may stand on the column's character.
    bool CheckBit(const CColumn& column, const std::string& tag) const;

    // Feature value of a template at a position: the texts of the columns at
    // the template's offsets joined by "/"; false when a column lies outside.
    bool GetFeature(std::string& value, int templateIndex, const std::vector<CColumn>& columns, int pos) const;
    // Feature ids of every template at a position (-1: no feature).
    void FeatureIds(const std::vector<CColumn>& columns, int pos, std::vector<int>& ids) const;
    // Weight of a candidate tag (by its index) given its position's feature
    // ids; 0 for a tag that is not one of the model's (index -1).
    float StateScore(int tag, const std::vector<int>& featureIds) const;
    // Weight of the transition from one tag to the next (0 for a foreign tag).
    float TransitionScore(int previous, int current) const;
    // Whole score of a candidate after a previous tag at a position.
    float GetProb(const std::string& previous, const std::string& candidate, const std::vector<CColumn>& columns,
                  int pos) const;

    int TagIndex(const std::string& tag) const;
    CItem MakeItem(const std::string& tag) const { return CItem{tag, 0.0f, -1, TagIndex(tag)}; }
    // Candidates of a sentence column that no tag restricts: one per first
    // letter, or per letter and suffix, in byte order.
    const std::vector<CItem>& SentenceItems() const { return sentence_items_; }
    bool HasTagBits() const { return !tag_bits_.empty(); }
    // Four-letter models (B, E, M, S) or two-letter ones (B and a continuation).
    bool IsTwoLetter() const { return letters_.size() == 2; }
    const std::set<std::string>& suffixes() const { return suffixes_; }
    // Pads on each side of the sentence; at least one each.
    int LeftPads() const { return min_offset_ < 0 ? std::max(-min_offset_, 1) : 1; }
    int RightPads() const { return std::max(max_offset_, 1); }
    int max_offset() const { return max_offset_; }
    int min_offset() const { return min_offset_; }
    size_t weight_count() const { return weights_.size(); }

private:
    bool Parse(std::string_view bytes);
    void SetPosPOSInfo(const std::string& tag);
    float Weight(int64_t index) const;

    std::vector<std::unordered_map<std::string, int>> features_;
    std::vector<std::vector<int>> offsets_;
    std::vector<float> weights_;
    std::map<std::string, int> tag_map_;
    int tag_count_ = 0;
    std::set<std::string> letters_;
    std::set<std::string> suffixes_;
    std::vector<CItem> sentence_items_;
    int max_offset_ = -10;
    int min_offset_ = 10;
    std::vector<uint32_t> tag_bits_;  // empty until a tag-bit file is loaded
};

}  // namespace zel
