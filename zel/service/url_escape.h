// Percent-escaping of texts that go into the query part of a URL.
#pragma once

#include <string>

namespace zel {

// Every byte other than a letter, a digit, "-", "_", "." or "~" becomes
// "%XX", so that a query text of any bytes (GBK included) keeps its meaning
// and cannot add parameters of its own.
std::string UrlEscape(const std::string& text);

}  // namespace zel
