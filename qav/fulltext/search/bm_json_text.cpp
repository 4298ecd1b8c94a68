#include "qav/fulltext/search/bm_json_text.h"

#include <cstdio>

namespace qav {

std::string JsonEscaped(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char code[8];
                    std::snprintf(code, sizeof code, "\\u%04x", static_cast<unsigned>(c));
                    out += code;
                } else {
                    out += c;
                }
        }
    }
    return out;
}

void BoundedText::Append(const std::string& piece) {
    if (m_Text.size() >= m_nLimit) return;
    m_Text.append(piece, 0, m_nLimit - m_Text.size());
}

}  // namespace qav
