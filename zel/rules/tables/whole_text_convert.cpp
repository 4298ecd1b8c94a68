#include "zel/rules/tables/whole_text_convert.h"

#include "common/text/encoding.h"

namespace zel {
namespace {

// The converters count the whole text when given no room, then fill a
// destination of that size.
template <class Convert>
std::string ConvertWhole(const std::string& text, Convert convert) {
    int n = convert(text.c_str(), nullptr, 0);
    if (n <= 0) return std::string();
    std::string out(static_cast<size_t>(n) + 1, '\0');
    convert(text.c_str(), out.data(), n + 1);
    out.resize(static_cast<size_t>(n));
    return out;
}

}  // namespace

std::string GbkToUtf8(const std::string& gbk) { return ConvertWhole(gbk, gbk_to_utf8); }
std::string Utf8ToGbk(const std::string& utf8) { return ConvertWhole(utf8, utf8_to_gbk); }

}  // namespace zel
