#include "qav/search/atom/segment.h"

#include <algorithm>

#include "common/text/gbk_char.h"
#include "common/text/text_utils.h"
#include "qav/index/format/word_list.h"

namespace qav {

namespace {

// Byte offsets at which the characters of text start, and its length last.
std::vector<size_t> CharBoundaries(std::string_view text) {
    std::vector<size_t> bounds;
    for (size_t i = 0; i < text.size(); i += qz::GbkCharLen(text.data() + i, text.size() - i)) bounds.push_back(i);
    bounds.push_back(text.size());
    return bounds;
}

bool Lookup(const CWordList& words, std::string_view candidate, std::string& word, uint32_t& id) {
    const int32_t found = words.Word2No(candidate);
    if (found < 0) return false;
    word.assign(candidate);
    id = static_cast<uint32_t>(found);
    return true;
}

}  // namespace

bool SegmentCore_L2R(const CWordList& words, std::string_view text, std::string& word, uint32_t& id) {
    id = kNotAWord;
    const std::vector<size_t> bounds = CharBoundaries(text);
    for (size_t b = bounds.size(); b-- > 1;) {
        if (bounds[b] < 2) break;
        if (Lookup(words, text.substr(0, bounds[b]), word, id)) return true;
    }
    return false;
}

bool SegmentCore_R2L(const CWordList& words, std::string_view text, std::string& word, uint32_t& id) {
    id = kNotAWord;
    const std::vector<size_t> bounds = CharBoundaries(text);
    for (size_t b = 0; b + 1 < bounds.size(); ++b)
        if (Lookup(words, text.substr(bounds[b]), word, id)) return true;
    return false;
}

void Segment_L2R(const CWordList& words, std::string_view text, std::vector<uint32_t>& ids, size_t maxIds) {
    std::string word;
    while (ids.size() < maxIds) {
        while (!text.empty() && qz::IsBlank(text.front())) text.remove_prefix(1);
        if (text.empty()) return;
        uint32_t id = kNotAWord;
        if (!SegmentCore_L2R(words, text, word, id)) {
            ids.push_back(kNotAWord);
            return;
        }
        ids.push_back(id);
        text.remove_prefix(word.size());
    }
}

void Segment_R2L(const CWordList& words, std::string_view text, std::vector<uint32_t>& ids, size_t maxIds) {
    std::vector<uint32_t> fromRight;
    std::string word;
    for (;;) {
        while (!text.empty() && qz::IsBlank(text.back())) text.remove_suffix(1);
        if (text.empty()) break;
        uint32_t id = kNotAWord;
        if (!SegmentCore_R2L(words, text, word, id)) {
            fromRight.push_back(kNotAWord);
            break;
        }
        fromRight.push_back(id);
        text.remove_suffix(word.size());
    }
    const size_t room = maxIds > ids.size() ? maxIds - ids.size() : 0;
    const size_t take = std::min(room, fromRight.size());
    ids.insert(ids.end(), fromRight.rend() - static_cast<std::ptrdiff_t>(take), fromRight.rend());
}

void Sent2ID(const CWordList& words, std::string_view text, std::vector<uint32_t>& ids, size_t maxIds) {
    size_t i = 0;
    while (i < text.size() && ids.size() < maxIds) {
        while (i < text.size() && qz::IsBlank(text[i])) ++i;
        size_t end = i;
        while (end < text.size() && !qz::IsBlank(text[end])) ++end;
        if (end > i) {
            const int32_t id = words.Word2No(text.substr(i, end - i));
            if (id >= 0) ids.push_back(static_cast<uint32_t>(id));
        }
        i = end;
    }
}

}  // namespace qav
