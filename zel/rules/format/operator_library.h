// Operator libraries: named Lua snippets that rule actions share. Three
// forms: the text source (".Name" header lines, each followed by body
// lines), the binary library (".sub": i32 count, then per snippet an i32
// name length, the name, an i32 body length, the body; names in ascending
// byte order; little-endian, GBK, no terminators), and the text listing
// (one ".R([body]{name})" line per snippet).
#pragma once

#include <string>
#include <vector>

namespace zel {

struct OperatorSnippet {
    std::string name;
    std::string body;
};

// How body lines of a source are kept: "sub" appends the line and a line
// break; "table" appends "^word " per blank-separated word; any other mode
// drops them. Mode names are compared without regard to case.
enum class OperatorMode { kSub, kTable, kOther };
OperatorMode OperatorModeOf(const char* mode);

// Snippets of a text source, in source order. Lines lose a trailing "\n",
// then "\r", then trailing blanks and tabs; empty lines and lines starting
// with '(', ')', '/', '{' or '}' are skipped; body lines before the first
// header belong to no snippet.
std::vector<OperatorSnippet> ParseOperatorSource(const std::string& text, OperatorMode mode);

// Stable sort by name (byte order), the order of the binary form.
void SortOperatorsByName(std::vector<OperatorSnippet>& snippets);

// The binary form of the snippets in the order given.
std::string EncodeOperatorLibrary(const std::vector<OperatorSnippet>& snippets);
// false (and no snippets) when a count or length runs past the data or
// bytes are left over.
bool DecodeOperatorLibrary(const std::string& bytes, std::vector<OperatorSnippet>& snippets);

// The text listing, in the order given.
std::string OperatorListing(const std::vector<OperatorSnippet>& snippets);

}  // namespace zel
