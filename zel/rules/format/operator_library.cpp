#include "zel/rules/format/operator_library.h"

#include <strings.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "common/platform/byte_codec.h"

namespace zel {

namespace {

// A line without its line break, carriage return and trailing blanks/tabs.
std::string TrimmedLine(std::string line) {
    if (!line.empty() && line.back() == '\n') line.pop_back();
    if (!line.empty() && line.back() == '\r') line.pop_back();
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.pop_back();
    return line;
}

bool Skipped(const std::string& line) { return line.empty() || std::strchr("()/{}", line[0]) != nullptr; }

void AppendBody(std::string& body, const std::string& line, OperatorMode mode) {
    if (mode == OperatorMode::kSub) {
        body += line;
        body += '\n';
        return;
    }
    if (mode != OperatorMode::kTable) return;
    size_t start = 0;
    while (start < line.size()) {
        size_t end = line.find(' ', start);
        if (end == std::string::npos) end = line.size();
        if (end > start) body += '^' + line.substr(start, end - start) + ' ';
        start = end + 1;
    }
}

// Bounded reading of the binary form.
class Cursor {
public:
    explicit Cursor(const std::string& bytes) : bytes_(bytes) {}
    bool Int(int32_t& value) {
        if (left() < 4) return false;
        value = qz::bytes::Load<int32_t>(reinterpret_cast<const unsigned char*>(bytes_.data() + pos_));
        pos_ += 4;
        return true;
    }
    bool Text(std::string& text) {
        int32_t length = 0;
        if (!Int(length) || length < 0 || left() < static_cast<size_t>(length)) return false;
        text.assign(bytes_, pos_, static_cast<size_t>(length));
        pos_ += static_cast<size_t>(length);
        return true;
    }
    size_t left() const { return bytes_.size() - pos_; }

private:
    const std::string& bytes_;
    size_t pos_ = 0;
};

void AppendText(std::string& out, const std::string& text) {
    qz::bytes::Append<int32_t>(out, static_cast<int32_t>(text.size()));
    out += text;
}

}  // namespace

OperatorMode OperatorModeOf(const char* mode) {
    if (mode && strcasecmp(mode, "sub") == 0) return OperatorMode::kSub;
    if (mode && strcasecmp(mode, "table") == 0) return OperatorMode::kTable;
    return OperatorMode::kOther;
}

std::vector<OperatorSnippet> ParseOperatorSource(const std::string& text, OperatorMode mode) {
    std::vector<OperatorSnippet> snippets;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end + 1;
        const std::string line = TrimmedLine(text.substr(start, end - start));
        start = end;
        if (!line.empty() && line[0] == '.')
            snippets.push_back({line.substr(1), ""});
        else if (!Skipped(line) && !snippets.empty())
            AppendBody(snippets.back().body, line, mode);
    }
    return snippets;
}

void SortOperatorsByName(std::vector<OperatorSnippet>& snippets) {
    std::stable_sort(snippets.begin(), snippets.end(), [](const OperatorSnippet& a, const OperatorSnippet& b) {
        return std::strcmp(a.name.c_str(), b.name.c_str()) < 0;
    });
}

std::string EncodeOperatorLibrary(const std::vector<OperatorSnippet>& snippets) {
    std::string out;
    qz::bytes::Append<int32_t>(out, static_cast<int32_t>(snippets.size()));
    for (const OperatorSnippet& snippet : snippets) {
        AppendText(out, snippet.name);
        AppendText(out, snippet.body);
    }
    return out;
}

bool DecodeOperatorLibrary(const std::string& bytes, std::vector<OperatorSnippet>& snippets) {
    snippets.clear();
    Cursor cursor(bytes);
    int32_t count = 0;
    // Each snippet takes at least its two lengths.
    if (!cursor.Int(count) || count < 0 || static_cast<size_t>(count) > cursor.left() / 8) return false;
    std::vector<OperatorSnippet> read(static_cast<size_t>(count));
    for (OperatorSnippet& snippet : read)
        if (!cursor.Text(snippet.name) || !cursor.Text(snippet.body)) return false;
    if (cursor.left() != 0) return false;
    snippets = std::move(read);
    return true;
}

std::string OperatorListing(const std::vector<OperatorSnippet>& snippets) {
    std::string out;
    for (const OperatorSnippet& snippet : snippets) out += ".R([" + snippet.body + "]{" + snippet.name + "})\n";
    return out;
}

}  // namespace zel
