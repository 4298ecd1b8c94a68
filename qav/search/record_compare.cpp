#include "qav/search/record_compare.h"

#include <algorithm>
#include <cstring>

#include "qav/index/gbk_char.h"
#include "qav/index/word_list.h"
#include "qav/search/offset_record_fields.h"

const std::string* RecordCompareContext::WordText(uint32_t id) const {
    if (!wordList || id >= wordList->words_by_id.size()) return nullptr;
    return &wordList->words_by_id[id].text;
}

uint32_t RecordCompareContext::WordCount() const {
    return wordList ? static_cast<uint32_t>(wordList->words_by_id.size()) : 0;
}

namespace {

constexpr uint32_t kNoWordId = 0xFFFFFFFFu;

// Appends text reversed by the language rule of ReverseWord.
void AppendReversed(std::string_view text, int language, std::string& out) {
    if (language == kLanguageEnglish) {
        out.append(text.rbegin(), text.rend());
    } else if (language == kLanguageChinese) {
        for (size_t unit = text.size() / 2; unit-- > 0;) out.append(text.substr(unit * 2, 2));
    } else {
        out.append(text);
    }
}

uint32_t WordAt(const CorpusFile& file, int64_t index) {
    return index >= 0 && index < static_cast<int64_t>(file.count) ? file.words[index] : kNoWordId;
}

// What one word adds to a context text: its text (reversed in a left
// context) and, in English, a blank. Record contexts and query keys are both
// built word by word through this function, so a word of odd byte length
// pairs its bytes the same way on both sides.
void AppendContextText(const RecordCompareContext& ctx, std::string_view text, bool leftward, std::string& out) {
    if (leftward)
        AppendReversed(text, ctx.language, out);
    else
        out.append(text);
    if (ctx.language == kLanguageEnglish) out.push_back(' ');
}

// A corpus word's part of a context text; nothing when it is no word.
void AppendContextWord(const RecordCompareContext& ctx, uint32_t id, bool leftward, std::string& out) {
    if (const std::string* text = ctx.WordText(id)) AppendContextText(ctx, *text, leftward, out);
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Marks the byte offsets of text at which a piece may be cut: character
// starts in GBK text, word starts and ends in English.
void CutPoints(std::string_view text, int language, std::vector<char>& cut) {
    cut.assign(text.size() + 1, 0);
    cut[0] = cut[text.size()] = 1;
    for (size_t i = 0; i < text.size();) {
        if (language == kLanguageEnglish) {
            if (IsBlank(text[i])) cut[i] = cut[i + 1] = 1;
            ++i;
        } else {
            cut[i] = 1;
            i += GbkCharLen(text.data() + i, text.size() - i);
        }
    }
}

// The query's pattern as the context text of a record whose context words
// are the pattern's words: the pattern is cut into the words its identifiers
// name, nearest the anchor first (the blanks the segmentation skips between
// them are dropped), and each word is added like a corpus word. Text the
// identifiers do not cover is added as one piece with no blank after it, and
// the blank after the last word is left off, so that the pattern's far end
// may be the end (left) or beginning (right) of a longer corpus word.
void BuildQueryKey(const RecordCompareContext& ctx, std::string_view queryText, const uint32_t* ids, int n,
                   bool leftward, std::string& key) {
    thread_local std::vector<char> cut;
    CutPoints(queryText, ctx.language, cut);
    key.clear();
    size_t begin = 0;  // the part of the pattern not yet added
    size_t end = queryText.size();
    bool blankAfterLast = false;
    for (int j = 0;; ++j) {
        if (leftward)
            while (end > begin && IsBlank(queryText[end - 1])) --end;
        else
            while (begin < end && IsBlank(queryText[begin])) ++begin;
        if (begin == end) break;
        const std::string_view rest = queryText.substr(begin, end - begin);
        const std::string* word = j < n ? ctx.WordText(leftward ? ids[n - 1 - j] : ids[j]) : nullptr;
        const size_t length = word ? word->size() : 0;
        const bool isPiece = length > 0 && length <= rest.size() && cut[leftward ? end - length : begin + length] &&
                             (leftward ? rest.substr(rest.size() - length) : rest.substr(0, length)) == *word;
        if (!isPiece) {
            if (leftward)
                AppendReversed(rest, ctx.language, key);
            else
                key.append(rest);
            blankAfterLast = false;
            break;
        }
        AppendContextText(ctx, *word, leftward, key);
        blankAfterLast = ctx.language == kLanguageEnglish;
        if (leftward)
            end -= length;
        else
            begin += length;
    }
    if (blankAfterLast) key.pop_back();
}

int Sign(int value) { return (value > 0) - (value < 0); }

// Byte order (unsigned bytes, a prefix first), as strcmp orders texts.
int CompareBytes(std::string_view a, std::string_view b) {
    const size_t common = std::min(a.size(), b.size());
    const int c = common ? std::memcmp(a.data(), b.data(), common) : 0;
    if (c != 0) return Sign(c);
    return (a.size() > b.size()) - (a.size() < b.size());
}

// Compares the sortCompWordLen-word contexts of two records, building both a
// word at a time and stopping at the first byte where they part.
int CompareContexts(const RecordCompareContext& ctx, const RecordContextStart& a, const RecordContextStart& b) {
    thread_local std::string textA;
    thread_local std::string textB;
    textA.clear();
    textB.clear();
    size_t checked = 0;
    const int64_t stepA = a.leftward ? -1 : 1;
    const int64_t stepB = b.leftward ? -1 : 1;
    for (int64_t k = 0; k < ctx.sortCompWordLen; ++k) {
        AppendContextWord(ctx, WordAt(*a.file, a.start + stepA * k), a.leftward, textA);
        AppendContextWord(ctx, WordAt(*b.file, b.start + stepB * k), b.leftward, textB);
        const size_t common = std::min(textA.size(), textB.size());
        if (common > checked) {
            const int c = std::memcmp(textA.data() + checked, textB.data() + checked, common - checked);
            if (c != 0) return Sign(c);
            checked = common;
        }
    }
    return CompareBytes(textA, textB);
}

int CompareForSort(const void* a, const void* b, void* context, UnitType kind) {
    const auto& ctx = *static_cast<const RecordCompareContext*>(context);
    const auto* recordA = static_cast<const unsigned char*>(a);
    const auto* recordB = static_cast<const unsigned char*>(b);
    const bool fileA = GetFileNo(recordA) < ctx.files.size();
    const bool fileB = GetFileNo(recordB) < ctx.files.size();
    if (!fileA || !fileB) return fileA == fileB ? 0 : (fileA ? -1 : 1);
    RecordContextStart startA;
    RecordContextStart startB;
    const bool inA = GetRecordContextStart(ctx, recordA, kind, startA);
    const bool inB = GetRecordContextStart(ctx, recordB, kind, startB);
    if (!inA || !inB) return inA == inB ? 0 : (inA ? -1 : 1);
    return CompareContexts(ctx, startA, startB);
}

// Cmp_LEx and Cmp_REx: c[j] is the word `start + step * j`. The query key
// depends on the query alone and each record is compared by the context text
// it is sorted by, so over a sorted unit the results run negative, zero,
// positive and the bisections find every match. Only the sortCompWordLen
// words the records are sorted by are read: text beyond them has no order
// among the records (and the window check guarantees no more words in the file).
int CompareWithQuery(const RecordCompareContext& ctx, const CorpusFile& file, int64_t start, bool leftward,
                     std::string_view queryText, const uint32_t* ids, int n) {
    const int64_t step = leftward ? -1 : 1;
    const int64_t window = ctx.sortCompWordLen;
    thread_local std::string queryKey;
    thread_local std::string corpusKey;
    BuildQueryKey(ctx, queryText, ids, n, leftward, queryKey);

    // Context words from c[0] on, until they cover the query key or part from it.
    corpusKey.clear();
    for (int64_t j = 0; j < window && corpusKey.size() < queryKey.size(); ++j) {
        const size_t before = corpusKey.size();
        AppendContextWord(ctx, WordAt(file, start + step * j), leftward, corpusKey);
        const size_t common = std::min(corpusKey.size(), queryKey.size());
        if (std::memcmp(corpusKey.data() + before, queryKey.data() + before, common - before) != 0) break;
    }
    if (corpusKey.size() >= queryKey.size() &&
        std::memcmp(corpusKey.data(), queryKey.data(), queryKey.size()) == 0)
        return 0;
    return CompareBytes(corpusKey, queryKey);
}

}  // namespace

void ReverseWord(std::string& text, int language) {
    std::string reversed;
    reversed.reserve(text.size());
    AppendReversed(text, language, reversed);
    text.swap(reversed);
}

int Cmp_LEx(const RecordCompareContext& ctx, const CorpusFile& file, int64_t start, std::string_view queryText,
            const uint32_t* ids, int n) {
    return CompareWithQuery(ctx, file, start, true, queryText, ids, n);
}

int Cmp_REx(const RecordCompareContext& ctx, const CorpusFile& file, int64_t start, std::string_view queryText,
            const uint32_t* ids, int n) {
    return CompareWithQuery(ctx, file, start, false, queryText, ids, n);
}

bool GetRecordContextStart(const RecordCompareContext& ctx, const unsigned char* record, UnitType kind,
                           RecordContextStart& out) {
    const uint8_t fileNo = GetFileNo(record);
    if (fileNo >= ctx.files.size()) return false;
    const CorpusFile& file = ctx.files[fileNo];
    const int64_t words = file.count;
    const int64_t width = ctx.sortCompWordLen;
    const int64_t anchor = static_cast<int64_t>(GetOffset(record)) + GetPOS(record);
    int64_t start = 0;
    bool leftward = true;
    switch (kind) {
    case UNIT_POS_L:
        if (anchor < width || anchor >= words) return false;
        start = anchor - 1;
        break;
    case UNIT_POS_R:
        if (anchor + 1 + width < 0 || anchor + 1 + width > words) return false;
        start = anchor + 1;
        leftward = false;
        break;
    case UNIT_ML: {
        // A span of 255 means the constituent's end is unknown.
        if (GetDist(record) == kUnknownSpan) return false;
        const int64_t last = anchor + GetDist(record);
        if (last < width || last >= words) return false;
        start = last;
        break;
    }
    default:
        return false;
    }
    // Corrupt word indexes (or a width below 1) must not point the context
    // outside the file.
    if (start < 0 || start >= words) return false;
    out = {&file, start, leftward};
    return true;
}

bool IsOverFlow(const RecordCompareContext& ctx, uint32_t sentencePosition, uint8_t fileNo, int16_t wordIndex) {
    if (fileNo >= ctx.files.size()) return false;
    const int64_t words = ctx.files[fileNo].count;
    const int64_t anchor = static_cast<int64_t>(sentencePosition) + wordIndex;
    return sentencePosition < words && anchor >= 0 && anchor < words;
}

int Cmp_TagL(const void* a, const void* b, void* context) { return CompareForSort(a, b, context, UNIT_POS_L); }
int Cmp_TagR(const void* a, const void* b, void* context) { return CompareForSort(a, b, context, UNIT_POS_R); }
int Cmp_ML(const void* a, const void* b, void* context) { return CompareForSort(a, b, context, UNIT_ML); }

RecordSortCompare SortComparatorOfKind(UnitType kind) {
    switch (kind) {
    case UNIT_POS_L: return Cmp_TagL;
    case UNIT_POS_R: return Cmp_TagR;
    case UNIT_ML: return Cmp_ML;
    default: return nullptr;
    }
}
