// Small string functions over GBK or ASCII text. A GBK two-byte character is
// kept whole: its second byte is never taken for a delimiter or an ASCII letter.
#pragma once

#include <set>
#include <string>
#include <vector>

namespace qz {

// Longest token that splitting keeps; longer ones are dropped.
constexpr size_t kMaxSplitToken = 102399;

// Clears tokens, then appends every non-empty token of text between runs of
// delimiter characters, in text order.
void SplitString(const char* text, const char* delimiters, std::vector<std::string>& tokens);
// As SplitString into a set (duplicates collapse).
void SplitStringEx(const char* text, const char* delimiters, std::set<std::string>& tokens);
// As SplitString over at most the first kMaxSplitStrText bytes of text (cut
// at a whole character), keeping only tokens of at most kMaxSplitStrToken
// bytes.
constexpr size_t kMaxSplitStrText = 102399;
constexpr size_t kMaxSplitStrToken = 1023;
void SplitStr(const char* text, const char* delimiters, std::vector<std::string>& tokens);

// Removes a final line feed, then a final carriage return, in place; returns text.
char* Chomp(char* text);
// True when every byte is a digit 0-9 (also for the empty text).
bool isDigital(const char* text);
// Removes leading and trailing blanks and tabs in place.
void TrimLine(char* text);
// text without its leading and trailing blanks and tabs.
std::string TrimBlanks(const std::string& text);
inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }
void TrimBegEnd(char* text);

// Full-width GBK form of text: an ASCII byte b becomes A3 (b + 0x80), other
// characters are copied. Writing stops once size / 2 bytes are written, so dest
// needs size / 2 + 2 bytes.
void half2Full(const char* text, char* dest, int size);

// Splits "key number rest": key gets the full-width form of the text before the
// first blank (the whole line when there is none, leaving number and rest alone),
// number the integer after the blanks, rest what follows the next run of blanks
// (left alone when there is none).
void GetInfo(const char* line, std::string& key, std::string& rest, int& number);

}  // namespace qz
