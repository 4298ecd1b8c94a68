#include "qav/search/rows/formatted_json.h"

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "common/text/byte_words.h"

namespace qav {

namespace {

// Whether a byte is written as an escape rather than as itself.
constexpr bool NeedsEscape(unsigned char c) { return c < 32 || c == '"' || c == '\\'; }

// Whether any of the eight bytes at p may need an escape: a byte below 32,
// '"' or '\\'. Bytes from 128 up are written as they are.
bool MayNeedEscape(const char* p) {
    const uint64_t word = qz::words::Load(p);
    return qz::words::HasByteBelow(word, 32) || qz::words::HasByte(word, '"') || qz::words::HasByte(word, '\\');
}

}  // namespace

void AppendJsonString(std::string& out, std::string_view text) {
    out += '"';
    size_t plainFrom = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        // Long texts (lists of documents) are mostly plain: skip them a word
        // at a time.
        while (i + 8 <= text.size() && !MayNeedEscape(text.data() + i)) i += 8;
        if (i == text.size()) break;
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (!NeedsEscape(c)) continue;
        out.append(text, plainFrom, i - plainFrom);
        plainFrom = i + 1;
        out += '\\';
        switch (c) {
            case '"': out += '"'; break;
            case '\\': out += '\\'; break;
            case '\b': out += 'b'; break;
            case '\f': out += 'f'; break;
            case '\n': out += 'n'; break;
            case '\r': out += 'r'; break;
            case '\t': out += 't'; break;
            default: {
                char code[8];
                std::snprintf(code, sizeof code, "u%04x", c);
                out += code;
            }
        }
    }
    out.append(text, plainFrom, text.size() - plainFrom);
    out += '"';
}

void FormattedJson::BeginObject() {
    BeforeValue();
    m_out += "{\n";
    m_levels.push_back({true});
}

void FormattedJson::EndObject() {
    if (!m_levels.back().empty) m_out += '\n';
    Indent(m_levels.size() - 1);
    m_out += '}';
    m_levels.pop_back();
}

void FormattedJson::BeginArray() {
    BeforeValue();
    m_out += '[';
    m_levels.push_back({true});
}

void FormattedJson::EndArray() {
    m_out += ']';
    m_levels.pop_back();
}

void FormattedJson::Key(std::string_view name) {
    Level& level = m_levels.back();
    if (!level.empty) m_out += ",\n";
    level.empty = false;
    Indent(m_levels.size());
    AppendQuoted(name);
    m_out += ":\t";
    m_afterKey = true;
}

void FormattedJson::String(std::string_view text) {
    BeforeValue();
    AppendQuoted(text);
}

void FormattedJson::Number(int64_t value) {
    BeforeValue();
    char text[32];
    if (value >= INT_MIN && value <= INT_MAX) {
        std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
    } else {
        // Past an int the number is printed as a double, with the fewest
        // digits that read back as it (within rounding).
        const double number = static_cast<double>(value);
        std::snprintf(text, sizeof text, "%1.15g", number);
        const double back = std::strtod(text, nullptr);
        if (std::fabs(back - number) > std::max(std::fabs(back), std::fabs(number)) * DBL_EPSILON)
            std::snprintf(text, sizeof text, "%1.17g", number);
    }
    m_out += text;
}

void FormattedJson::BeforeValue() {
    if (m_afterKey || m_levels.empty()) {
        m_afterKey = false;
        return;
    }
    Level& level = m_levels.back();
    if (!level.empty) m_out += ", ";
    level.empty = false;
}

void FormattedJson::AppendQuoted(std::string_view text) { AppendJsonString(m_out, text.substr(0, text.find('\0'))); }

void FormattedJson::Indent(size_t depth) { m_out.append(depth, '\t'); }

}  // namespace qav
