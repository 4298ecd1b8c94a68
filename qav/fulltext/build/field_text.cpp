#include "qav/fulltext/build/input_reader.h"

namespace qav {

namespace bm {
namespace {

// Appends piece unless the text would pass the limit; then marks it full.
class BoundedText {
public:
    void Append(std::string_view piece) {
        if (full_ || text_.size() + piece.size() > kMaxFieldTextBytes) {
            full_ = true;
            return;
        }
        text_.append(piece);
    }
    bool full() const { return full_; }
    std::string Take() { return std::move(text_); }

private:
    std::string text_;
    bool full_ = false;
};

void AppendLine(const std::string& line, BoundedText& out) {
    for (size_t i = 0; i < line.size() && !out.full(); ++i) {
        const char c = line[i];
        if (c == ' ') {
            if (i + 1 < line.size() && line[i + 1] == ' ') out.Append(" ");
        } else if (c == '\t') {
            out.Append("    ");
        } else if (static_cast<unsigned char>(c) >= 0x80 && i + 1 < line.size()) {
            out.Append(std::string_view(line).substr(i, 2));
            ++i;
        } else {
            out.Append(std::string_view(&line[i], 1));
        }
    }
}

}  // namespace

std::string FieldText(const std::vector<std::vector<std::string>>& lineLists) {
    BoundedText out;
    for (const std::vector<std::string>& lines : lineLists) {
        for (size_t i = 0; i < lines.size(); ++i) {
            if (i > 0) out.Append("<br/>");
            AppendLine(lines[i], out);
        }
    }
    return out.Take();
}

}  // namespace bm

}  // namespace qav
