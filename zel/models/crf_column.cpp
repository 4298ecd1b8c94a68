#include "zel/models/crf_column.h"

#include <utility>

#include "zel/models/crf_model.h"
#include "zel/models/crf_template.h"
#include "zel/models/pos_dict.h"

namespace zel {
namespace {

// Score of a guessed part of speech: well below any dictionary weight.
constexpr float kGuessScore = -20.0f;

}  // namespace

void CColumn::SetHZ(const std::string& text) {
    text_ = text;
    allowed_.clear();
}

void CColumn::Clear() {
    text_.clear();
    tag_.clear();
    items_.clear();
    allowed_.clear();
}

void CColumn::Candidate(const CCRFModel& model, ColumnKind kind) {
    items_.clear();
    if (kind == ColumnKind::kLeftPad) {
        items_.push_back(model.MakeItem("E"));
        return;
    }
    if (kind == ColumnKind::kRightPad) {
        items_.push_back(model.MakeItem("B"));
        return;
    }
    std::vector<CItem> all;
    if (allowed_.empty()) {
        if (!model.HasTagBits()) {
            items_ = model.SentenceItems();
            return;
        }
        all = model.SentenceItems();
    } else {
        for (const std::string& head : allowed_) {
            if (model.suffixes().empty()) all.push_back(model.MakeItem(head));
            for (const std::string& suffix : model.suffixes()) all.push_back(model.MakeItem(head + suffix));
        }
    }
    for (const CItem& item : all)
        if (model.CheckBit(*this, item.tag)) items_.push_back(item);
    // A character that the tag-bit table allows no tag still needs a
    // candidate, or the search would have no path through it.
    if (items_.empty()) items_ = std::move(all);
}

void CColumn::SetColumn(const std::string& word, const CDictSearch* dict) {
    text_ = word;
    GetPOSInfo(dict);
}

void CColumn::GetPOSInfo(const CDictSearch* dict) {
    items_.clear();
    CDictItem entry;
    // An entry without a part of speech is taken as no entry, so that every
    // word has candidates and the search a path through it.
    if (dict != nullptr && dict->DictSearch(text_, entry) && !entry.pos.empty()) {
        for (size_t k = 0; k < entry.pos.size(); ++k) items_.push_back(CItem{entry.pos[k], entry.weights[k]});
        return;
    }
    std::vector<std::string> tags;
    Guess(tags);
    for (const std::string& tag : tags) items_.push_back(CItem{tag, kGuessScore});
}

void CColumn::Guess(std::vector<std::string>& tags) const {
    if (tag_.empty()) {
        tags = {"n", "nr"};
        return;
    }
    SplitString(tag_, "-", tags);
}

}  // namespace zel
