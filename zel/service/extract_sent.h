// Cutting the example sentence out of a result line of the corpus-query
// service: "<source>\t<text with the keyword as <U>keyword</U>>".
#pragma once

#include <string>

namespace zel {

// The sentence around the first "<U>" of the line's text (the part after
// its first tab): from after the last tab or GBK symbol character (lead
// byte 0x81 to 0xAF) before the mark to before the first one after it,
// with every "<U>" and "</U>" removed. The whole line when the text holds
// no mark; empty when the text begins with it. Two-byte characters are
// stepped over whole, so none is ever split.
std::string ExtractSentence(const std::string& line);

}  // namespace zel
