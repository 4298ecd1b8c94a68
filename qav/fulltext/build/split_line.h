// Word splitting of the full-text input: "word/tag" tokens separated by
// blanks, tabs or line feeds, and the "key=value;..." items of a document's
// information line.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "qav/index/base/config.h"

namespace qav::bm {

// Words of a text line. A token's word is the text before its last "/" (the
// whole token when it has none), cut to 2,047 bytes. A token is skipped when
// its word is empty, is a number (only "0123456789." bytes) while dropNumbers
// is on, or when its tag or word is in a stop set.
std::vector<std::string> SplitLine(std::string_view text, const StrSet& stopWords, const StrSet& stopTags,
                                   bool dropNumbers);

// Replaces info by the "key=value" items of text, separated by ";" (split at
// the first "="; items without "=" are ignored, a repeated key keeps its last
// value). False when text holds no item at all.
bool GetLineInfo(std::string_view text, std::map<std::string, std::string>& info);

}  // namespace qav::bm
