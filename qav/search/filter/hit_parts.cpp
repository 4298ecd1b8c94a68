#include "qav/search/filter/hit_parts.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "qav/index/base/config.h"
#include "qav/index/format/word_list.h"
#include "qav/search/atom/ret_info.h"
#include "qav/search/filter/splited_ret.h"

namespace qav {

namespace {

constexpr uint32_t kNoUnit = 0xFFFFFFFFu;

class HitWindow {
public:
    HitWindow(const HitPartsSource& source, const uint32_t* data, size_t count)
        : source_(source), data_(data), count_(static_cast<int64_t>(count)) {}

    int64_t count() const { return count_; }

    // Text of the unit at index i; null for a unit without text and for an
    // index outside the array.
    const std::string* Text(int64_t i) const {
        if (i < 0 || i >= count_ || !source_.words) return nullptr;
        const CWord* word = source_.words->No2Word(data_[i]);
        return word ? &word->text : nullptr;
    }

    bool IsSeparator(const std::string& text) const {
        return source_.config && source_.config->IsSeperator_Sentence(text);
    }

    // Units [from, to): units without text are skipped; a unit that would
    // pass the cap ends the part, and so does a separator when asked.
    void TakeLeft(int64_t from, int64_t to, bool stopAtSeparator, std::string& part,
                  std::vector<std::string>* words) const {
        from = std::max<int64_t>(from, 0);
        to = std::min(to, count_);
        for (int64_t i = from; i < to; ++i) {
            const std::string* text = Text(i);
            if (!text) continue;
            if (stopAtSeparator && IsSeparator(*text)) break;
            if (!Append(*text, part, words)) break;
        }
    }

    // Units from index from on: a unit without text or over the cap ends the
    // part; with width > 0 it takes at most width units, with width -1 it
    // ends after a separator or after kSentenceRightUnits units.
    void TakeRight(int64_t from, int width, std::string& part, std::vector<std::string>* words) const {
        int taken = 0;
        for (int64_t i = std::max<int64_t>(from, 0); i < count_; ++i) {
            const std::string* text = Text(i);
            if (!text || !Append(*text, part, words)) break;
            ++taken;
            if (width > 0 && taken >= width) break;
            if (width == -1 && (IsSeparator(*text) || taken >= kSentenceRightUnits)) break;
        }
    }

    // Units [from, to) joined (by one blank in English); a unit without text
    // or over the cap ends the part.
    void TakeSpan(int64_t from, int64_t to, std::string& part, std::vector<std::string>* words) const {
        bool first = true;
        for (int64_t i = from; i < to; ++i) {
            const std::string* text = Text(i);
            if (!text) break;
            const size_t blank = (source_.english && !first) ? 1 : 0;
            if (part.size() + blank + text->size() > kHitPartMaxBytes) break;
            if (blank) part.push_back(' ');
            part += *text;
            if (words) words->push_back(*text);
            first = false;
        }
    }

private:
    // Context text, followed by a blank in English; false when it does not fit.
    bool Append(const std::string& text, std::string& part, std::vector<std::string>* words) const {
        const size_t blank = source_.english ? 1 : 0;
        if (part.size() + text.size() + blank > kHitPartMaxBytes) return false;
        part += text;
        if (words) words->push_back(text);
        if (blank) part.push_back(' ');
        return true;
    }

    const HitPartsSource& source_;
    const uint32_t* data_;
    int64_t count_;
};

}  // namespace

void SplitHit(const HitPartsSource& source, const uint32_t* data, size_t count, const CRetInfo& hit, int width,
              CSplitedRet& parts) {
    parts.Clear();
    const HitWindow window(source, data, count);

    // Group bounds are signed offsets from the hit's start; kNoBracket is unset.
    bool set[kBracketCount];
    int64_t bound[kBracketCount];
    for (int k = 0; k < kBracketCount; ++k) {
        set[k] = hit.bracket[k] != kNoBracket;
        bound[k] = static_cast<int8_t>(hit.bracket[k]);
    }
    const int64_t sentence = hit.position;
    const int64_t start = sentence + hit.start;
    const int64_t end = start + hit.length;
    const bool wholeSentence = width == -1;
    const int64_t span = std::max(width, 0);

    const int64_t beforeEnd = set[0] ? start + bound[0] : start;
    window.TakeLeft(wholeSentence ? sentence : beforeEnd - span, beforeEnd, wholeSentence, parts.m_Before,
                    &parts.m_Words);
    window.TakeLeft(wholeSentence ? sentence : start - span, start, wholeSentence, parts.m_Left, nullptr);

    if (wholeSentence || width > 0) {
        int64_t endFrom = end;
        if (set[5]) {
            endFrom = start + bound[5];
        } else if (set[3]) {
            endFrom = start + bound[3];
        } else if (set[1]) {
            endFrom = start + bound[1];
        }
        window.TakeRight(endFrom, width, parts.m_End, &parts.m_Words);
        window.TakeRight(end, width, parts.m_Right, nullptr);
    }

    window.TakeSpan(start, end, parts.m_Match, &parts.m_Words);

    auto takeBetween = [&](int from, int to, std::string& part) {
        if (set[from] && set[to] && bound[to] > bound[from])
            window.TakeSpan(start + bound[from], start + bound[to], part, nullptr);
    };
    takeBetween(0, 1, parts.m_Group1);
    takeBetween(2, 3, parts.m_Group2);
    takeBetween(1, 2, parts.m_Gap12);
    takeBetween(4, 5, parts.m_Group3);
    takeBetween(3, 4, parts.m_Gap23);
}

namespace {

// The units [from, to) of the data around a hit that its match, groups and
// gaps can take.
void SpanWindow(const CRetInfo& hit, int64_t& from, int64_t& to) {
    const int64_t start = int64_t{hit.position} + hit.start;
    from = start;
    to = start + hit.length;
    for (int k = 0; k < kBracketCount; ++k) {
        if (hit.bracket[k] == kNoBracket) continue;
        from = std::min(from, start + static_cast<int8_t>(hit.bracket[k]));
        to = std::max(to, start + static_cast<int8_t>(hit.bracket[k]));
    }
}

}  // namespace

void HitSpanSignature(const uint32_t* data, size_t count, const CRetInfo& hit, std::string& signature) {
    int64_t from = 0;
    int64_t to = 0;
    SpanWindow(hit, from, to);
    // The length and brackets fix where the window lies around the start.
    // Written in place: a frequency list makes one for each of its hits.
    signature.resize(1 + kBracketCount + static_cast<size_t>(to - from) * sizeof(uint32_t));
    char* out = signature.data();
    *out++ = static_cast<char>(hit.length);
    std::memcpy(out, hit.bracket, kBracketCount);
    out += kBracketCount;
    for (int64_t i = from; i < to; ++i, out += sizeof(uint32_t)) {
        const uint32_t unit = i >= 0 && i < static_cast<int64_t>(count) ? data[i] : kNoUnit;
        std::memcpy(out, &unit, sizeof unit);
    }
}

size_t PackedSpanSignatureHash::operator()(const PackedSpanSignature& signature) const {
    uint64_t hash = signature.words[0] * 0x9E3779B97F4A7C15u;
    hash = (hash ^ (hash >> 32) ^ signature.words[1]) * 0xC2B2AE3D27D4EB4Fu;
    hash = (hash ^ (hash >> 29) ^ signature.words[2]) * 0x165667B19E3779F9u;
    return static_cast<size_t>(hash ^ (hash >> 32));
}

bool PackHitSpanSignature(const uint32_t* data, size_t count, const CRetInfo& hit, PackedSpanSignature& signature) {
    int64_t from = 0;
    int64_t to = 0;
    SpanWindow(hit, from, to);
    if (to - from > kPackedSpanUnits) return false;
    uint32_t units[kPackedSpanUnits] = {};
    for (int64_t i = from; i < to; ++i)
        units[i - from] = i >= 0 && i < static_cast<int64_t>(count) ? data[i] : kNoUnit;
    // Put together in registers: words read back from bytes just stored one
    // by one would wait for every store. The length and brackets fix how
    // many units there are, so no two signatures pack alike.
    uint64_t head = hit.length;
    for (int k = 0; k < kBracketCount; ++k) head |= uint64_t{hit.bracket[k]} << (8 * (k + 1));
    static_assert(kPackedSpanUnits == 4 && kBracketCount <= 7);
    signature.words[0] = head;
    signature.words[1] = uint64_t{units[0]} | uint64_t{units[1]} << 32;
    signature.words[2] = uint64_t{units[2]} | uint64_t{units[3]} << 32;
    return true;
}

}  // namespace qav
