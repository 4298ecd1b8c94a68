#include "zel/service/extract_sent.h"

#include <cstring>

#include "common/text/gbk_char.h"
#include "zellib.h"

namespace zel {
namespace {

constexpr char kOpen[] = "<U>";
constexpr char kClose[] = "</U>";

// Sentences end at a tab and at the GBK symbol area's characters
// (punctuation, full-width forms).
bool IsSentenceBoundary(const char* p, size_t length) {
    if (length == 1) return *p == '\t';
    const unsigned char lead = static_cast<unsigned char>(*p);
    return lead >= 0x81 && lead <= 0xAF;
}

bool MarkAt(const std::string& text, size_t at, const char* mark) {
    return text.compare(at, std::strlen(mark), mark) == 0;
}

std::string WithoutMarks(const std::string& text) {
    std::string plain;
    plain.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        if (MarkAt(text, at, kOpen)) {
            at += sizeof kOpen - 1;
        } else if (MarkAt(text, at, kClose)) {
            at += sizeof kClose - 1;
        } else {
            const size_t length = qz::GbkCharLen(text.data() + at, text.size() - at);
            plain.append(text, at, length);
            at += length;
        }
    }
    return plain;
}

}  // namespace

std::string ExtractSentence(const std::string& line) {
    const size_t tab = line.find('\t');  // a tab is never a GBK trail byte
    const size_t textBegin = tab == std::string::npos ? 0 : tab + 1;
    size_t start = textBegin;
    size_t mark = std::string::npos;
    for (size_t at = textBegin; at < line.size();) {
        if (MarkAt(line, at, kOpen)) {
            mark = at;
            break;
        }
        const size_t length = qz::GbkCharLen(line.data() + at, line.size() - at);
        if (IsSentenceBoundary(line.data() + at, length)) start = at + length;
        at += length;
    }
    if (mark == std::string::npos) return line;
    if (mark == textBegin) return std::string();
    size_t end = line.size();
    for (size_t at = mark + sizeof kOpen - 1; at < line.size();) {
        const size_t length = qz::GbkCharLen(line.data() + at, line.size() - at);
        if (IsSentenceBoundary(line.data() + at, length)) {
            end = at;
            break;
        }
        at += length;
    }
    return WithoutMarks(line.substr(start, end - start));
}

}  // namespace zel

bool ExtractSent(char* line, char* out) {
    if (!out) return true;
    const std::string sentence = line ? zel::ExtractSentence(line) : std::string();
    std::memcpy(out, sentence.c_str(), sentence.size() + 1);
    return true;
}
