// Writes the JSON text of an answer as it is built, in the layout of the
// cJSON library's formatted print (an object's members one to a line,
// indented by tabs; an array's elements on one line), which clients of the
// answers already read. A large frequency list then costs no tree of nodes
// and no second pass over its texts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qav {

// Appends text as a JSON string: quotation marks around it, and the quotation
// mark, the reverse solidus and control characters escaped as the JSON
// library escapes them. Other bytes (UTF-8 included) are copied unchanged.
void AppendJsonString(std::string& out, std::string_view text);

class FormattedJson {
public:
    // Appends to out, which the caller keeps alive while writing.
    explicit FormattedJson(std::string& out) : m_out(out) {}

    void BeginObject();
    void EndObject();
    void BeginArray();
    void EndArray();
    // The name of the next member of the open object; its value follows.
    void Key(std::string_view name);
    // A text ends at its first NUL, as a C string would.
    void String(std::string_view text);
    void Number(int64_t value);

private:
    // An open object or array.
    struct Level {
        bool empty;  // no member or element written yet
    };

    // The separator an array element takes before it; none in an object,
    // whose Key wrote its own.
    void BeforeValue();
    // The text up to its first NUL as a JSON string.
    void AppendQuoted(std::string_view text);
    void Indent(size_t depth);

    std::string& m_out;
    std::vector<Level> m_levels;
    bool m_afterKey = false;
};

}  // namespace qav
