#include "qav/search/atom/make_ret_info.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "qav/index/format/offset_record_fields.h"

namespace qav {

namespace {

// The word identifiers of one data file around a sentence, read with bounds.
class SentenceWords {
public:
    SentenceWords(const RecordCompareContext& corpus, uint8_t fileNo, uint32_t position)
        : m_corpus(corpus), m_position(position) {
        if (fileNo < corpus.files.size()) m_file = &corpus.files[fileNo];
    }

    // Byte length of word i (relative to the sentence position); false when
    // that place is outside the file or holds no word.
    bool WordBytes(int64_t i, int64_t& bytes) const {
        if (!m_file) return false;
        const int64_t at = int64_t{m_position} + i;
        if (at < 0 || at >= int64_t{m_file->count}) return false;
        const std::string* text = m_corpus.WordText(m_file->words[at]);
        if (!text) return false;
        bytes = static_cast<int64_t>(text->size());
        return true;
    }

    // Walks from word `from` one word at a time in direction step (+1 or -1)
    // until the byte lengths (plus 1 per word in English) reach patternBytes.
    // False when a word taken is no word; otherwise words and bytes taken.
    bool Cover(int64_t from, int step, int64_t patternBytes, int64_t& words, int64_t& bytes) const {
        words = 0;
        bytes = 0;
        while (bytes < patternBytes) {
            int64_t wordBytes = 0;
            if (!WordBytes(from + step * words, wordBytes)) return false;
            bytes += wordBytes + (m_corpus.language == kLanguageEnglish ? 1 : 0);
            ++words;
        }
        return true;
    }

    // Whether the bytes covered overshoot the pattern under the language's rule.
    bool Overshoots(int64_t bytes, int64_t patternBytes) const {
        if (m_corpus.language == kLanguageChinese) return bytes > patternBytes;
        if (m_corpus.language == kLanguageEnglish) return bytes > patternBytes + 1;
        return false;
    }

private:
    const RecordCompareContext& m_corpus;
    const CorpusFile* m_file = nullptr;
    uint32_t m_position;
};

uint32_t WaveCount(const CAtomSearchQuery& query, size_t i) {
    return i < query.waves.size() ? query.waves[i].value : 0;
}

}  // namespace

bool MakeRetInfo(const RecordCompareContext& corpus, const CAtomSearchQuery& query, const OffsetRecordInfo& record,
                 CRetInfo& hit) {
    hit.Clear();
    // Only whether the sentence position holds a word matters here, which its
    // identifier tells without reading the word's text.
    if (!IsWordAt(corpus, record.fileNo, record.position)) return false;
    const SentenceWords words(corpus, record.fileNo, record.position);
    int64_t bytes = 0;
    hit.file_no = record.fileNo;
    hit.position = record.position;
    hit.clause = record.clause;

    const int64_t p = record.wordIndex;
    const int64_t d = record.span;
    const int64_t n = query.idCount();
    const int64_t pattern = query.queryLength;
    const int64_t w1 = WaveCount(query, 0), w2 = WaveCount(query, 1), w3 = WaveCount(query, 2),
                  w4 = WaveCount(query, 3);
    int64_t m = 0;
    int64_t start = 0;
    int64_t length = 0;
    switch (query.type) {
    case UNIT_POS_L:
        if (!words.Cover(p - 1, -1, pattern, m, bytes) || words.Overshoots(bytes, pattern)) return false;
        start = p - m;
        length = m + 1;
        break;
    case UNIT_POS_R:
        if (!words.Cover(p + 1, +1, pattern, m, bytes) || words.Overshoots(bytes, pattern)) return false;
        start = p;
        length = m + 1;
        break;
    case UNIT_ML:
        // A span of 255 says the constituent's end was not found.
        if (d == kUnknownSpan || d + 1 < n + w3 + w4) return false;
        if (!words.Cover(p + d, -1, pattern, m, bytes)) return false;
        if (corpus.language == kLanguageChinese ? n > 0 && bytes > pattern : words.Overshoots(bytes, pattern))
            return false;
        start = p;
        length = d + 1;
        break;
    case UNIT_MR:
        if (d == kUnknownSpan) return false;
        if (!words.Cover(p + d, -1, pattern, m, bytes) || words.Overshoots(bytes, pattern)) return false;
        start = p + d - m + 1;
        length = m;
        break;
    case UNIT_HZ_L:
        if (n > 0 && (!words.Cover(p - 1, -1, pattern, m, bytes) || words.Overshoots(bytes, pattern))) return false;
        start = n == 0 ? p - 1 : p - m;
        length = n == 0 ? 1 : m;
        break;
    case UNIT_HZ_R:
        if (n > 0 && (!words.Cover(p + 1, +1, pattern, m, bytes) || words.Overshoots(bytes, pattern))) return false;
        start = p + 1;
        length = n == 0 ? 1 : m;
        break;
    default:
        break;
    }
    start -= w1;
    length += w1 + w2;
    if (start < std::numeric_limits<int16_t>::min() || start > std::numeric_limits<int16_t>::max()) return false;
    hit.start = static_cast<int16_t>(start);
    hit.length = static_cast<uint8_t>(std::clamp<int64_t>(length, 0, 255));
    if (query.type == UNIT_ML)
        SetBracketInfo(query, hit.length, static_cast<int>(w1), static_cast<int>(hit.length - (n + w4 + w2)), hit);
    else
        SetBracketInfo(query, hit.length, 0, hit.length, hit);
    return true;
}

bool RecordHitShape(const CAtomSearchQuery& query, const OffsetRecordInfo& record, int16_t& start, uint8_t& length) {
    // With nothing to cover, both tag kinds make the anchor word the hit.
    if ((query.type != UNIT_POS_L && query.type != UNIT_POS_R) || query.queryLength != 0) return false;
    const int64_t w1 = WaveCount(query, 0), w2 = WaveCount(query, 1);
    const int64_t first = int64_t{record.wordIndex} - w1;
    if (first < std::numeric_limits<int16_t>::min() || first > std::numeric_limits<int16_t>::max()) return false;
    start = static_cast<int16_t>(first);
    length = static_cast<uint8_t>(std::clamp<int64_t>(1 + w1 + w2, 0, 255));
    return true;
}

void SetBracketInfo(const CAtomSearchQuery& query, uint8_t length, int a, int b, CRetInfo& hit) {
    if (query.brackets.empty() || query.brackets.size() > static_cast<size_t>(kBracketCount)) return;
    for (size_t i = 0; i < query.brackets.size(); ++i) {
        const CBracketInfo& mark = query.brackets[i];
        uint32_t value = mark.value;
        switch (mark.kind) {
        case 0: break;
        case 1: value = length - value; break;
        case 2: value = static_cast<uint32_t>(a) + value; break;
        default: value = static_cast<uint32_t>(b) + value; break;
        }
        hit.bracket[i] = static_cast<uint8_t>(value & 0xFF);
    }
}

}  // namespace qav
