#include "qav/index/build/sentence_stream.h"

#include <algorithm>
#include <cstring>

namespace qav {

namespace {

static_assert(sizeof(StreamedUnit) == 8, "units are written as they lie in memory");

// A line starts with one byte of these flags; a line number (i64) follows
// when it has one, then, when collected, the word and unit counts (u32 each),
// the word places (u32 each) and the units (8 bytes each).
constexpr uint8_t kHasLineNumber = 1;
constexpr uint8_t kCollected = 2;
constexpr uint8_t kClosingBar = 4;

constexpr size_t kBufferBytes = size_t{1} << 20;
// More words or units than a line could hold mark a damaged file.
constexpr uint32_t kMostPerLine = uint32_t{1} << 24;

}  // namespace

bool SentenceStreamWriter::Open(const std::string& path) {
    file_ = qz::OpenFile(path, "wb");
    buffer_.clear();
    buffer_.reserve(kBufferBytes);
    failed_ = false;
    return is_open();
}

void SentenceStreamWriter::Put(const void* bytes, size_t size) {
    const auto* from = static_cast<const unsigned char*>(bytes);
    buffer_.insert(buffer_.end(), from, from + size);
}

void SentenceStreamWriter::Flush() {
    if (!buffer_.empty() && !failed_ && fwrite(buffer_.data(), 1, buffer_.size(), file_.get()) != buffer_.size())
        failed_ = true;
    buffer_.clear();
}

void SentenceStreamWriter::Add(bool hasLineNo, int64_t lineNo, const SentenceUnits* sentence,
                               const std::vector<uint32_t>& wordPlaces, const std::vector<uint32_t>& unitPlaces) {
    if (!file_) return;
    uint8_t flags = 0;
    if (hasLineNo) flags |= kHasLineNumber;
    if (sentence) flags |= kCollected;
    if (sentence && sentence->closing_bar) flags |= kClosingBar;
    Put(&flags, 1);
    if (flags & kHasLineNumber) Put(&lineNo, sizeof lineNo);
    if (sentence) {
        const auto words = static_cast<uint32_t>(wordPlaces.size());
        const auto units = static_cast<uint32_t>(sentence->units.size());
        Put(&words, sizeof words);
        Put(&units, sizeof units);
        Put(wordPlaces.data(), sizeof(uint32_t) * words);
        for (uint32_t i = 0; i < units; ++i) {
            const CSortIdxUnit& fields = sentence->units[i].second;
            const StreamedUnit unit{unitPlaces[i], fields.index, fields.clause, fields.span};
            Put(&unit, sizeof unit);
        }
    }
    if (buffer_.size() >= kBufferBytes) Flush();
}

bool SentenceStreamWriter::Close() {
    if (!file_) return false;
    Flush();
    return qz::CloseFile(file_) && !failed_;
}

bool SentenceStreamReader::Open(const std::string& path) {
    file_ = qz::OpenFile(path, "rb");
    buffer_.resize(kBufferBytes);
    at_ = end_ = 0;
    failed_ = !file_;
    return !failed_;
}

bool SentenceStreamReader::Take(void* out, size_t size) {
    auto* to = static_cast<unsigned char*>(out);
    while (size > 0) {
        if (at_ == end_) {
            end_ = fread(buffer_.data(), 1, buffer_.size(), file_.get());
            at_ = 0;
            if (end_ == 0) return false;
        }
        const size_t n = std::min(size, end_ - at_);
        std::memcpy(to, buffer_.data() + at_, n);
        at_ += n;
        to += n;
        size -= n;
    }
    return true;
}

bool SentenceStreamReader::Next(StreamedLine& line) {
    if (!file_ || failed_) return false;
    uint8_t flags = 0;
    if (!Take(&flags, 1)) {
        // A clean end falls between lines.
        failed_ = ferror(file_.get()) != 0;
        return false;
    }
    line.has_line_no = (flags & kHasLineNumber) != 0;
    line.line_no = 0;
    line.collected = (flags & kCollected) != 0;
    line.closing_bar = (flags & kClosingBar) != 0;
    line.words.clear();
    line.units.clear();
    bool whole = !line.has_line_no || Take(&line.line_no, sizeof line.line_no);
    if (whole && line.collected) {
        uint32_t words = 0;
        uint32_t units = 0;
        whole = Take(&words, sizeof words) && Take(&units, sizeof units) && words <= kMostPerLine &&
                units <= kMostPerLine;
        if (whole) {
            line.words.resize(words);
            line.units.resize(units);
            whole = Take(line.words.data(), sizeof(uint32_t) * words) &&
                    Take(line.units.data(), sizeof(StreamedUnit) * units);
        }
    }
    if (!whole) failed_ = true;
    return whole;
}

}  // namespace qav
