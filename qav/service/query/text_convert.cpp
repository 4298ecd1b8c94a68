#include "qav/service/query/text_convert.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <vector>

#include "common/text/encoding.h"

namespace qav {

namespace {

// The converters count in int; longer texts are converted up to that size.
int ClampedLength(size_t length) { return static_cast<int>(std::min<size_t>(length, INT_MAX - 1)); }

}  // namespace

size_t QavGbkPrefixLength(std::string_view gbk, size_t maxBytes) {
    size_t end = 0;
    while (end < gbk.size()) {
        const size_t width = cv_is_gbk_leadbyte(static_cast<unsigned char>(gbk[end])) ? 2 : 1;
        if (end + width > maxBytes || end + width > gbk.size()) break;
        end += width;
    }
    return end;
}

size_t QavUtf8PrefixLength(std::string_view utf8, size_t maxBytes) {
    if (utf8.size() <= maxBytes) return utf8.size();
    size_t end = maxBytes;
    while (end > 0 && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80) --end;
    return end;
}

std::string QavUtf8ToGbk(std::string_view utf8, size_t maxBytes) {
    const int length = ClampedLength(utf8.size());
    std::vector<uint16_t> ucs(static_cast<size_t>(cv_utf8_to_ucs16_ex(utf8.data(), length, nullptr, 0)) + 1);
    const int units = cv_utf8_to_ucs16_ex(utf8.data(), length, ucs.data(), static_cast<int>(ucs.size()));
    std::string gbk(static_cast<size_t>(cv_ucs16_to_gbk_ex(ucs.data(), units, nullptr, 0)) + 1, '\0');
    const int bytes = cv_ucs16_to_gbk_ex(ucs.data(), units, gbk.data(), static_cast<int>(gbk.size()));
    gbk.resize(static_cast<size_t>(bytes));
    gbk.resize(QavGbkPrefixLength(gbk, maxBytes));
    return gbk;
}

std::string QavGbkToUtf8(std::string_view gbk, size_t maxChars) {
    const int length = ClampedLength(gbk.size());
    std::vector<uint16_t> ucs(static_cast<size_t>(cv_gbk_to_ucs16_ex(gbk.data(), length, nullptr, 0)) + 1);
    int units = cv_gbk_to_ucs16_ex(gbk.data(), length, ucs.data(), static_cast<int>(ucs.size()));
    units = static_cast<int>(std::min<size_t>(static_cast<size_t>(units), maxChars));
    std::string utf8(static_cast<size_t>(cv_ucs16_to_utf8_ex(ucs.data(), units, nullptr, 0)) + 1, '\0');
    const int bytes = cv_ucs16_to_utf8_ex(ucs.data(), units, utf8.data(), static_cast<int>(utf8.size()));
    utf8.resize(static_cast<size_t>(bytes));
    return utf8;
}

}  // namespace qav
