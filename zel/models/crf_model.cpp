#include "zel/models/crf_model.h"

#include <algorithm>
#include <cmath>
#include <fstream>

#include "zel/models/byte_cursor.h"
#include "zel/models/crf_template.h"
#include "zel/models/idx_crf.h"

namespace zel {
namespace {

// A character's code in the tag-bit table: its two bytes as a little-endian
// 16-bit number (one byte for a one-byte character).
int CharCode(std::string_view text) {
    if (text.empty()) return -1;
    int code = static_cast<unsigned char>(text[0]);
    if (text.size() > 1) code |= static_cast<unsigned char>(text[1]) << 8;
    return code;
}

}  // namespace

bool CCRFModel::ModelInitEx(const std::string& path) {
    ModelExit();
    std::string bytes;
    if (!ReadWholeFile(path, &bytes)) return false;
    if (Parse(bytes)) return true;
    ModelExit();
    return false;
}

bool CCRFModel::Parse(std::string_view bytes) {
    ByteCursor in(bytes);
    int32_t templates;
    if (!in.Count(&templates, 4) || templates > kMaxCrfTemplates) return false;
    features_.resize(templates);
    for (auto& table : features_) {
        int32_t n;
        if (!in.Count(&n, 5)) return false;
        table.reserve(n);
        for (int32_t k = 0; k < n; ++k) {
            std::string value;
            int32_t id;
            if (!in.ShortText(&value) || !in.I32(&id) || id < 0) return false;
            table[value] = id;
        }
    }
    int32_t weights;
    if (!in.Count(&weights, 4)) return false;
    weights_.resize(weights);
    for (float& w : weights_) in.F32(&w);
    for (int32_t t = 0; t < templates; ++t) {
        std::string body;
        if (!in.ShortText(&body)) return false;
        offsets_.push_back(TemplateOffsets(body));
        for (int o : offsets_.back()) {
            max_offset_ = std::max(max_offset_, o);
            min_offset_ = std::min(min_offset_, o);
        }
    }
    int32_t tags;
    if (!in.Count(&tags, 1)) return false;
    for (int32_t k = 0; k < tags; ++k) {
        std::string tag;
        if (!in.ShortText(&tag) || tag.empty()) return false;
        tag_map_.emplace(tag, k);
        SetPosPOSInfo(tag);
    }
    tag_count_ = tags;
    for (const std::string& letter : letters_) {
        if (suffixes_.empty()) sentence_items_.push_back(MakeItem(letter));
        for (const std::string& suffix : suffixes_) sentence_items_.push_back(MakeItem(letter + suffix));
    }
    return tags > 0;
}

void CCRFModel::ModelExit() {
    features_.clear();
    offsets_.clear();
    weights_.clear();
    tag_map_.clear();
    tag_count_ = 0;
    letters_.clear();
    suffixes_.clear();
    sentence_items_.clear();
    max_offset_ = -10;
    min_offset_ = 10;
    tag_bits_.clear();
}

void CCRFModel::SetPosPOSInfo(const std::string& tag) {
    letters_.insert(tag.substr(0, 1));
    if (tag.size() > 1) suffixes_.insert(tag.substr(1));
}

bool CCRFModel::SetTagBit(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    tag_bits_.assign(kTagBitChars, 0);
    int code = -1;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > kMaxCrfLineBytes) continue;
        if (!line.empty() && line[0] == '#') {
            code = CharCode(std::string_view(line).substr(1));
            continue;
        }
        auto it = tag_map_.find(line.substr(0, line.find('\t')));
        if (it != tag_map_.end()) SetBit(code, it->second);
    }
    return true;
}

void CCRFModel::SetBit(int code, int tagIndex) {
    // A mask has 32 bits; tags beyond them cannot be restricted.
    if (code < 0 || code >= kTagBitChars || tagIndex < 0 || tagIndex >= 32 || tag_bits_.empty()) return;
    tag_bits_[code] |= uint32_t{1} << tagIndex;
}

bool CCRFModel::CheckBit(const CColumn& column, const std::string& tag) const {
    if (tag_bits_.empty()) return true;
    auto it = tag_map_.find(tag);
    int code = CharCode(column.text());
    if (it == tag_map_.end() || code < 0 || code >= kTagBitChars || it->second >= 32) return true;
    return (tag_bits_[code] >> it->second) & 1;
}

bool CCRFModel::GetFeature(std::string& value, int templateIndex, const std::vector<CColumn>& columns,
                           int pos) const {
    value.clear();
    const std::vector<int>& offs = offsets_[templateIndex];
    for (size_t k = 0; k < offs.size(); ++k) {
        int64_t at = int64_t{pos} + offs[k];
        if (at < 0 || at >= static_cast<int64_t>(columns.size())) return false;
        if (k > 0) value += '/';
        value += columns[at].text();
    }
    return true;
}

void CCRFModel::FeatureIds(const std::vector<CColumn>& columns, int pos, std::vector<int>& ids) const {
    ids.assign(features_.size(), -1);
    std::string value;
    for (size_t t = 0; t < features_.size(); ++t) {
        if (!GetFeature(value, static_cast<int>(t), columns, pos)) continue;
        auto it = features_[t].find(value);
        if (it != features_[t].end()) ids[t] = it->second;
    }
}

float CCRFModel::Weight(int64_t index) const {
    return index >= 0 && index < static_cast<int64_t>(weights_.size()) ? weights_[index] : 0.0f;
}

int CCRFModel::TagIndex(const std::string& tag) const {
    auto it = tag_map_.find(tag);
    return it == tag_map_.end() ? -1 : it->second;
}

float CCRFModel::StateScore(int c, const std::vector<int>& featureIds) const {
    if (c < 0) return 0.0f;
    float score = 0.0f;
    for (int id : featureIds)
        if (id >= 0) score += Weight(int64_t{id} + c);
    return score;
}

float CCRFModel::TransitionScore(int p, int c) const {
    if (p < 0 || c < 0) return 0.0f;
    return Weight(int64_t{p} * tag_count_ + c);
}

float CCRFModel::GetProb(const std::string& previous, const std::string& candidate,
                         const std::vector<CColumn>& columns, int pos) const {
    int p = TagIndex(previous);
    int c = TagIndex(candidate);
    if (p < 0 || c < 0) return 0.0f;
    std::vector<int> ids;
    FeatureIds(columns, pos, ids);
    return TransitionScore(p, c) + StateScore(c, ids);
}

}  // namespace zel
