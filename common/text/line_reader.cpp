#include "common/text/line_reader.h"

#include <algorithm>
#include <cstring>

namespace qz {

namespace {
constexpr size_t kBlockBytes = 1 << 16;
}

LineReader::LineReader(FILE* file, size_t maxBytes, LongLines longLines)
    : file_(file), max_bytes_(maxBytes), long_lines_(longLines), buffer_(kBlockBytes) {}

LineReader::LineReader(const std::string& path, size_t maxBytes, LongLines longLines)
    : owned_(OpenFile(path, "rb")), file_(owned_.get()), max_bytes_(maxBytes), long_lines_(longLines),
      buffer_(kBlockBytes) {}

bool LineReader::Fill() {
    begin_ = 0;
    end_ = file_ ? fread(buffer_.data(), 1, buffer_.size(), file_) : 0;
    return end_ > 0;
}

LineReader::Result LineReader::Next(std::string& line) {
    return long_lines_ == LongLines::kSplit ? NextPiece(line) : NextWhole(line);
}

LineReader::Result LineReader::NextWhole(std::string& line) {
    line.clear();
    size_t length = 0;  // bytes of the line seen, kept or not
    bool seen_any = false;
    bool has_nul = false;
    for (;;) {
        if (begin_ == end_ && !Fill()) {
            if (!seen_any) return kEnd;
            break;
        }
        seen_any = true;
        const char* start = buffer_.data() + begin_;
        size_t available = end_ - begin_;
        const char* newline = static_cast<const char*>(memchr(start, '\n', available));
        size_t piece = newline ? static_cast<size_t>(newline - start) : available;
        // Keep one byte past the limit so that a final "\r" can still be cut.
        if (line.size() <= max_bytes_) line.append(start, std::min(piece, max_bytes_ + 1 - line.size()));
        if (memchr(start, '\0', piece)) has_nul = true;
        length += piece;
        begin_ += piece;
        if (newline) {
            ++begin_;
            break;
        }
    }
    if (length > 0 && length <= max_bytes_ + 1 && line.back() == '\r') {
        line.pop_back();
        --length;
    }
    if (length > max_bytes_) {
        line.resize(max_bytes_);
        return kTooLong;
    }
    return has_nul ? kHasNul : kLine;
}

LineReader::Result LineReader::NextPiece(std::string& line) {
    line.clear();
    // A piece is what a buffer of max_bytes_ holds beside its closing zero.
    const size_t limit = max_bytes_ > 1 ? max_bytes_ - 1 : 1;
    bool ended = false;
    while (!ended && line.size() < limit) {
        if (begin_ == end_ && !Fill()) break;
        const char* start = buffer_.data() + begin_;
        size_t take = std::min(end_ - begin_, limit - line.size());
        if (const void* newline = memchr(start, '\n', take)) {
            take = static_cast<size_t>(static_cast<const char*>(newline) - start) + 1;
            ended = true;
        }
        line.append(start, take);
        begin_ += take;
    }
    if (line.empty()) return kEnd;
    // The files are text: a zero byte ends the piece's content.
    line.resize(strnlen(line.data(), line.size()));
    if (!line.empty() && line.back() == '\n') line.pop_back();
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return kLine;
}

}  // namespace qz
