// Pieces of the JSON-like texts of the full-text outputs.
#pragma once

#include <string>

namespace qav {

// text as the inside of a JSON string: quotes, backslashes and control
// characters escaped; other bytes (GBK characters among them) kept.
std::string JsonEscaped(const std::string& text);

// A text that takes pieces up to a byte limit: the piece that would pass it
// is cut there, and later pieces add nothing.
class BoundedText {
public:
    explicit BoundedText(size_t limit) : m_nLimit(limit) {}
    void Append(const std::string& piece);
    std::string Take() { return std::move(m_Text); }
    size_t size() const { return m_Text.size(); }

private:
    std::string m_Text;
    size_t m_nLimit;
};

}  // namespace qav
