// Line formats of the text files of a structured index directory. Writers
// end every line with "\n"; readers strip a trailing "\n", then a trailing "\r".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qav {

// "List.txt": data text file path and its kind (0 sequence, 1 square-bracket
// tree, 2 round-bracket tree).
std::string ListLine(const std::string& dataTextPath, int kind);
// "Data_%d.txt": line number and sentence.
std::string DataTextLine(int64_t lineNo, std::string_view sentence);
// "Org.txt": the three lines of one document, [first, end) its line range.
std::string OrgLines(int64_t first, int64_t end, std::string_view name);
// "SentInfo.txt": line number, document index and tag of an item sentence.
std::string SentInfoTextLine(int64_t lineNo, int64_t docIndex, std::string_view tag);
// "DocInfo.txt": the line that opens document index; its items follow as lines.
std::string DocInfoHeaderLine(int64_t docIndex);
// Identifier files and "Info/Corpus.ID": sentence key and line number.
std::string IdLine(int64_t key, int64_t lineNo);
// Text views of the word list and the unit index: text and count.
std::string CountLine(std::string_view text, int64_t count);

// Removes a trailing "\n", then a trailing "\r".
void StripLineEnd(std::string* line);

// A "List.txt" line: false for lines to skip (empty, or beginning with a
// blank, "#", "-" or "\"). The path runs to the first tab; the kind is the
// number after it, -1 without a tab.
bool ParseListLine(std::string_view line, std::string* path, int* kind);
// An identifier line: the key before the tab and the line number after it;
// false without a tab.
bool ParseIdLine(std::string_view line, int64_t* key, int64_t* lineNo);

}  // namespace qav
