// Whole-text conversion between GBK and UTF-8, at any length.
#pragma once

#include <string>

namespace zel {

std::string GbkToUtf8(const std::string& gbk);
std::string Utf8ToGbk(const std::string& utf8);

}  // namespace zel
