// Frequency forms: a text in which "$1", "$2", "$3" and "$Q" name parts of a
// hit (groups 1 to 3 and the match); the key of a hit is the form with each
// such name replaced by the part's text. Everything else, "%" and "$"
// followed by any other character included, is literal text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qav {

class CSplitedRet;

struct CFreqForm {
    // literals[i] precedes the part letters[i]; the last literal ends the
    // form, so literals has one entry more than letters.
    std::vector<std::string> literals;
    std::vector<char> letters;  // '1', '2', '3' or 'Q'
};

// Longest form taken, in bytes of its format (part names counted as the two
// bytes they stand for); a longer form is cut there, at a character edge.
constexpr size_t kFreqFormatBytes = 1023;
// Longest key, in bytes; a longer key is cut, at a character edge.
constexpr size_t kFreqKeyBytes = 21503;

// Splits a form into literals and part letters. An empty form names the match.
void ParseObj(const std::string& form, CFreqForm& parsed);

// The key of the hit whose parts are given: the match text when the form
// names no part, the filled form when it names one to three parts, the empty
// text when it names four or more.
std::string BuildFreqKey(const CFreqForm& form, const CSplitedRet& parts);

}  // namespace qav
