#include "qav/index/format/record_compare.h"

#include <algorithm>
#include <cstring>

#include "common/text/gbk_char.h"
#include "common/text/text_utils.h"
#include "qav/index/format/word_list.h"
#include "qav/index/format/offset_record_fields.h"

namespace qav {

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

// Marks the byte offsets of text at which a piece may be cut: character
// starts in GBK text, word starts and ends in English.
void CutPoints(std::string_view text, int language, std::vector<char>& cut) {
    cut.assign(text.size() + 1, 0);
    cut[0] = cut[text.size()] = 1;
    for (size_t i = 0; i < text.size();) {
        if (language == kLanguageEnglish) {
            if (qz::IsBlank(text[i])) cut[i] = cut[i + 1] = 1;
            ++i;
        } else {
            cut[i] = 1;
            i += qz::GbkCharLen(text.data() + i, text.size() - i);
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
            while (end > begin && qz::IsBlank(queryText[end - 1])) --end;
        else
            while (begin < end && qz::IsBlank(queryText[begin])) ++begin;
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

// The words of a context in reading order: from the data file, or from
// identifiers a caller has copied out of it.
struct ContextWords {
    const uint32_t* first = nullptr;
    int64_t step = 1;
    int64_t available = 0;  // words that can be read; no word after them
    bool leftward = false;

    static ContextWords Of(const RecordContextStart& start) {
        const int64_t available = start.leftward ? start.start + 1 : int64_t{start.file->count} - start.start;
        return {start.file->words + start.start, start.leftward ? -1 : 1, available, start.leftward};
    }
    uint32_t At(int64_t j) const { return j < available ? first[j * step] : kNoWordId; }
};

// Reads a record's context text a piece at a time without building it: the
// text of each word (reversed in a left context, as AppendContextWord does)
// and, in English, the blank after it.
class ContextPieces {
public:
    ContextPieces(const RecordCompareContext& ctx, const ContextWords& words, int64_t skippedWords)
        : ctx_(ctx), words_(words), read_(skippedWords), leftward_(words.leftward) {}

    // Makes a piece with unread bytes current; false at the end of the context.
    bool Fill() {
        while (at_ == size_) {
            if (blank_) {
                blank_ = false;
                Start(" ", 1, kForward);
                return true;
            }
            if (read_ >= ctx_.sortCompWordLen) return false;
            const std::string* text = ctx_.WordText(words_.At(read_));
            ++read_;
            if (!text) continue;
            blank_ = ctx_.language == kLanguageEnglish;
            if (!leftward_ || (ctx_.language != kLanguageEnglish && ctx_.language != kLanguageChinese))
                Start(text->data(), text->size(), kForward);
            else if (ctx_.language == kLanguageEnglish)
                Start(text->data(), text->size(), kBytesReversed);
            else
                Start(text->data(), text->size() / 2 * 2, kPairsReversed);  // an odd last byte is dropped
        }
        return true;
    }
    size_t Left() const { return size_ - at_; }
    bool Forward() const { return order_ == kForward; }
    const char* Data() const { return piece_ + at_; }
    // The i-th unread byte.
    unsigned char Byte(size_t i) const {
        const size_t j = at_ + i;
        switch (order_) {
        case kForward: return static_cast<unsigned char>(piece_[j]);
        case kBytesReversed: return static_cast<unsigned char>(piece_[size_ - 1 - j]);
        default: return static_cast<unsigned char>(piece_[size_ - 2 - (j & ~size_t{1}) + (j & 1)]);
        }
    }
    void Skip(size_t n) { at_ += n; }

private:
    enum Order { kForward, kBytesReversed, kPairsReversed };
    void Start(const char* piece, size_t size, Order order) {
        piece_ = piece;
        size_ = size;
        at_ = 0;
        order_ = order;
    }

    const RecordCompareContext& ctx_;
    const ContextWords words_;
    int64_t read_;  // words read, the skipped ones included
    const bool leftward_;
    bool blank_ = false;
    const char* piece_ = nullptr;
    size_t size_ = 0;
    size_t at_ = 0;
    Order order_ = kForward;
};

// Compares the sortCompWordLen-word contexts of two records as byte strings,
// reading both only up to the first byte where they part. Leading words with
// the same identifier add the same text to both and are skipped.
int CompareContexts(const RecordCompareContext& ctx, const ContextWords& a, const ContextWords& b) {
    int64_t same = 0;
    if (a.leftward == b.leftward)
        while (same < ctx.sortCompWordLen && a.At(same) == b.At(same)) ++same;
    ContextPieces pa(ctx, a, same);
    ContextPieces pb(ctx, b, same);
    for (;;) {
        const bool moreA = pa.Fill();
        const bool moreB = pb.Fill();
        if (!moreA || !moreB) return static_cast<int>(moreA) - static_cast<int>(moreB);
        const size_t n = std::min(pa.Left(), pb.Left());
        if (pa.Forward() && pb.Forward()) {
            const int c = std::memcmp(pa.Data(), pb.Data(), n);
            if (c != 0) return Sign(c);
        } else {
            for (size_t i = 0; i < n; ++i)
                if (pa.Byte(i) != pb.Byte(i)) return pa.Byte(i) < pb.Byte(i) ? -1 : 1;
        }
        pa.Skip(n);
        pb.Skip(n);
    }
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
    return CompareContexts(ctx, ContextWords::Of(startA), ContextWords::Of(startB));
}

// The key's bytes as a big-endian number, so that numbers order as the bytes do.
uint64_t BigEndian(const unsigned char* bytes) {
    uint64_t value = 0;
    for (int i = 0; i < 8; ++i) value = value << 8 | bytes[i];
    return value;
}

// Cmp_LEx and Cmp_REx.
int CompareWithQuery(const RecordCompareContext& ctx, const CorpusFile& file, int64_t start, bool leftward,
                     std::string_view queryText, const uint32_t* ids, int n) {
    thread_local std::string queryKey;
    BuildQueryKey(ctx, queryText, ids, n, leftward, queryKey);
    return CompareWithQueryKey(ctx, file, start, leftward, queryKey);
}

}  // namespace

// c[j] is the word `start + step * j`. The query key depends on the query
// alone and each record is compared by the context text it is sorted by, so
// over a sorted unit the results run negative, zero, positive and the
// bisections find every match. Only the sortCompWordLen words the records are
// sorted by are read: text beyond them has no order among the records (and
// the window check guarantees no more words in the file).
int CompareWithQueryKey(const RecordCompareContext& ctx, const CorpusFile& file, int64_t start, bool leftward,
                        std::string_view queryKey) {
    const int64_t step = leftward ? -1 : 1;
    const int64_t window = ctx.sortCompWordLen;
    thread_local std::string corpusKey;

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

std::string QueryContextKey(const RecordCompareContext& ctx, std::string_view queryText, const uint32_t* ids, int n,
                            bool leftward) {
    std::string key;
    BuildQueryKey(ctx, queryText, ids, n, leftward, key);
    return key;
}

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

RecordSortKeys::RecordSortKeys(const RecordCompareContext& ctx) : ctx_(ctx) {
    const uint32_t words = ctx.WordCount();
    forward_.resize(words);
    leftward_.resize(words);
    std::string text;
    for (uint32_t id = 0; id < words; ++id) {
        for (const bool leftward : {false, true}) {
            text.clear();
            AppendContextWord(ctx, id, leftward, text);
            Piece& piece = (leftward ? leftward_ : forward_)[id];
            piece.size = static_cast<uint8_t>(std::min(text.size(), kPrefixBytes));
            std::memcpy(piece.bytes, text.data(), piece.size);
        }
    }
}

namespace {

// The key of a context text whose words wordAt(0), wordAt(1), ... give, each
// word's part taken from pieces (a RecordSortKeys table), as ContextPieces
// reads the text.
template <typename Pieces, typename WordAtFn>
RecordSortKey KeyOfContext(const Pieces& pieces, int64_t window, WordAtFn wordAt) {
    constexpr size_t kPrefixBytes = RecordSortKeys::kPrefixBytes;
    // Each piece is copied whole, a fixed-size copy: the bytes of a piece
    // past its size are 0, and text past the prefix is overwritten by the
    // length, so the key is that of the text cut to kPrefixBytes.
    unsigned char bytes[2 * kPrefixBytes + 2] = {};
    size_t length = 0;
    for (int64_t j = 0; j < window && length < kPrefixBytes; ++j) {
        const uint32_t id = wordAt(j);
        if (id >= pieces.size()) continue;  // no word: nothing in the text
        const auto& piece = pieces[id];
        std::memcpy(bytes + length, piece.bytes, kPrefixBytes);
        length += piece.size;
    }
    bytes[kPrefixBytes] = static_cast<unsigned char>(std::min(length, kPrefixBytes));
    return {BigEndian(bytes), BigEndian(bytes + 8)};
}

// The last key byte of a context text is a length of at most 15, so these
// lie above every context key and keep CompareForSort's order of the three
// kinds of records.
constexpr RecordSortKey kNoFileKey = {~uint64_t{0}, ~uint64_t{0}};
constexpr RecordSortKey kNoContextKey = {~uint64_t{0}, ~uint64_t{0} - 1};

}  // namespace

RecordSortKey RecordSortKeys::Make(const unsigned char* record, UnitType kind) const {
    if (GetFileNo(record) >= ctx_.files.size()) return kNoFileKey;
    RecordContextStart start;
    if (!GetRecordContextStart(ctx_, record, kind, start)) return kNoContextKey;
    const ContextWords context = ContextWords::Of(start);
    return KeyOfContext(start.leftward ? leftward_ : forward_, ctx_.sortCompWordLen,
                        [&context](int64_t j) { return context.At(j); });
}

RecordSortKey RecordSortKeys::Make(const unsigned char* record, UnitType kind, uint32_t* words) const {
    const int64_t window = ctx_.sortCompWordLen;
    RecordContextStart start;
    const bool hasFile = GetFileNo(record) < ctx_.files.size();
    const bool hasContext = hasFile && GetRecordContextStart(ctx_, record, kind, start);
    const ContextWords context = hasContext ? ContextWords::Of(start) : ContextWords{};
    for (int64_t j = 0; j < window; ++j) words[j] = context.At(j);
    if (!hasFile) return kNoFileKey;
    if (!hasContext) return kNoContextKey;
    return KeyOfContext(start.leftward ? leftward_ : forward_, window, [words](int64_t j) { return words[j]; });
}

void RecordSortKeys::Prefetch(const unsigned char* record, UnitType kind) const {
    RecordContextStart start;
    if (!GetRecordContextStart(ctx_, record, kind, start)) return;
    // The context runs from start one word after another; the words a key
    // needs lie within a few positions of it.
    const uint32_t* word = start.file->words + start.start;
    __builtin_prefetch(word);
    __builtin_prefetch(start.leftward ? word - 7 : word + 7);
    // Keyed records take the whole window, which may reach one line further.
    const int64_t last = std::min<int64_t>(ctx_.sortCompWordLen, 16) - 1;
    if (last > 7) __builtin_prefetch(start.leftward ? word - last : word + last);
}

int CompareContextWords(const RecordCompareContext& ctx, const uint32_t* a, const uint32_t* b, bool leftward) {
    const int64_t count = ctx.sortCompWordLen;
    return CompareContexts(ctx, {a, 1, count, leftward}, {b, 1, count, leftward});
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

}  // namespace qav
