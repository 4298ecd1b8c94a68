#include "qav/search/filter/range_match.h"

#include <cstdint>
#include <limits>

namespace qav {

namespace {

constexpr size_t kMaxTimeBound = 99;

// Decimal digits from the start of text up to the first non-digit; 0 when
// there are none; saturates instead of overflowing.
int64_t LeadingNumber(std::string_view text) {
    int64_t number = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        const int digit = c - '0';
        if (number > (std::numeric_limits<int64_t>::max() - digit) / 10)
            return std::numeric_limits<int64_t>::max();
        number = number * 10 + digit;
    }
    return number;
}

// A whole number with an optional sign after leading blanks, clamped to 32 bits.
int32_t WholeNumber(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    int64_t number = LeadingNumber(text.substr(i));
    if (negative) number = -number;
    if (number > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (number < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(number);
}

// The value cut to the bound's length, as a number.
int64_t AtPrecisionOf(std::string_view value, std::string_view bound) {
    return LeadingNumber(value.substr(0, bound.size()));
}

}  // namespace

bool isBeginWith(std::string_view text, std::string_view prefix) {
    return !text.empty() && !prefix.empty() && text.substr(0, prefix.size()) == prefix;
}

bool IsTimeIn(std::string_view value, std::string_view range) {
    const size_t dash = range.find('-');
    if (dash == std::string_view::npos) return isBeginWith(value, range);
    const std::string_view low = range.substr(0, dash);
    const std::string_view high = range.substr(dash + 1);
    if (low.size() > kMaxTimeBound || high.size() > kMaxTimeBound) return false;
    if (low.empty()) return AtPrecisionOf(value, high) <= LeadingNumber(high);
    if (high.empty()) return AtPrecisionOf(value, low) >= LeadingNumber(low);
    const int64_t number = AtPrecisionOf(value, high);
    return number >= LeadingNumber(low) && number <= LeadingNumber(high);
}

bool IsValIn(std::string_view value, std::string_view range) {
    const size_t dash = range.find('-');
    if (dash == std::string_view::npos) return isBeginWith(value, range);
    const std::string_view low = range.substr(0, dash);
    const std::string_view high = range.substr(dash + 1);
    const int32_t number = WholeNumber(value);
    if (low.empty()) return number <= WholeNumber(high);
    if (high.empty()) return number >= WholeNumber(low);
    return number >= WholeNumber(low) && number <= WholeNumber(high);
}

}  // namespace qav
