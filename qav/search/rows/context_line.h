// Assembly of one context row: the source prefix, the marked body chosen by
// the print flags, and the cut to the group section of the match.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "qav/search/filter/condition.h"

namespace qav {

class COrgInfo;
class CHashTableInfo;
class CSplitedRet;

// A row line holds at most this many bytes, its source prefix at most
// kContextPrefixMaxBytes of them.
constexpr size_t kContextLineMaxBytes = 102399;
constexpr size_t kContextPrefixMaxBytes = 10239;

// "name#@ID#id#@#", or "name_posinfo#@ID#id#@#" when the sentence has
// position information, for a sentence in a document whose name does not
// begin with "Doc"; empty otherwise (no document, an unnamed one, or "Doc").
std::string SourcePrefix(const COrgInfo& documents, const CHashTableInfo& sentences, uint8_t fileNo,
                         uint32_t position);

// Appends the body of the hit's parts to line, as the first set print flag
// asks ("<Q>" "</Q>" around the marked part), without passing
// kContextLineMaxBytes.
void AppendContextBody(const CSplitedRet& parts, const std::array<bool, kPrintFlagCount>& print,
                       std::string& line);

// The section of text between group separators (GBK 0xF7 0xFE) that holds
// the first "<Q>" ... "</Q>"; empty when either mark is missing or "</Q>"
// comes first.
std::string ExtractQSection(std::string_view text);

// Keeps the line's head up to and including its first "#@#" and cuts the
// rest to ExtractQSection of it.
void CutByGroup(std::string& line);

}  // namespace qav
