#include "zel/models/pos_tagger.h"

#include <limits>
#include <vector>

#include "zel/models/crf_seg.h"
#include "zel/models/crf_template.h"
#include "zel/models/pos_dict.h"

namespace zel {
namespace {

// Weight of a tag pair the dictionary does not hold.
constexpr float kMissingBigram = -10000000.0f;
// The GBK full stop that wraps a sentence for tagging.
constexpr char kFullStop[] = "\xA1\xA3";

// The text cut to at most limit bytes at a word boundary (a blank).
std::string_view CutAtBlank(std::string_view text, size_t limit) {
    if (text.size() <= limit) return text;
    size_t blank = text.substr(0, limit + 1).rfind(' ');
    return blank == std::string_view::npos ? std::string_view() : text.substr(0, blank);
}

}  // namespace

float CRFPOS::GetBigram(const CDictSearch* dict, const std::string& a, const std::string& b) {
    if (dict == nullptr) return 0.0f;
    CDictItem entry;
    if (!dict->DictSearch(a + "/" + b, entry) || entry.weights.empty()) return kMissingBigram;
    return entry.weights.front();
}

void CRFPOS::InitLattice(const std::vector<std::string>& words, const CDictSearch* dict) {
    columns_.assign(words.size(), CColumn());
    for (size_t k = 0; k < words.size(); ++k) columns_[k].SetColumn(words[k], dict);
}

void CRFPOS::Search(const CDictSearch* dict) {
    for (size_t i = 1; i < columns_.size(); ++i) {
        const std::vector<CItem>& previous = columns_[i - 1].items();
        for (CItem& c : columns_[i].items()) {
            float best = -std::numeric_limits<float>::infinity();
            int back = -1;
            for (size_t j = 0; j < previous.size(); ++j) {
                float s = GetBigram(dict, previous[j].tag, c.tag) + previous[j].score;
                if (back < 0 || s > best) {
                    best = s;
                    back = static_cast<int>(j);
                }
            }
            c.score += best;
            c.back = back;
        }
    }
}

void CRFPOS::GetPOS(std::string& out, size_t limit) const {
    out.clear();
    size_t n = columns_.size();
    if (n < 3 || columns_[n - 1].items().empty()) return;
    std::vector<const CItem*> path(n, nullptr);
    int back = columns_[n - 1].items().front().back;
    for (size_t i = n - 2; i >= 1; --i) {
        const std::vector<CItem>& items = columns_[i].items();
        // A word without candidates (an entry with no pair) ends the path.
        if (back < 0 || back >= static_cast<int>(items.size())) break;
        path[i] = &items[back];
        back = items[back].back;
    }
    for (size_t i = 1; i + 1 < n; ++i) {
        if (path[i] == nullptr) continue;
        std::string tagged = columns_[i].text() + "/" + path[i]->tag + " ";
        if (out.size() + tagged.size() >= limit) break;
        out += tagged;
    }
}

bool POSTagger(CRFPOS& handle, const CDictSearch* dict, std::string_view words, std::string& out) {
    std::string wrapped = std::string(kFullStop) + " ";
    wrapped += CutAtBlank(words, kMaxTaggedWordsBytes);
    wrapped += std::string(" ") + kFullStop;
    std::vector<std::string> parts;
    SplitString(wrapped, " ", parts);
    handle.InitLattice(parts, dict);
    handle.Search(dict);
    handle.GetPOS(out, kMaxTaggedAnswerBytes);
    return true;
}

}  // namespace zel
