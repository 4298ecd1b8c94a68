// Small text functions of the rule compiler's dictionary entries and files.
#pragma once

#include <string>
#include <string_view>

namespace zel {

// Splits text, up to its end or a ')', at each blank, '(' and ';' (which are
// dropped): field 0 goes to first, field 1 to second, every later field is
// appended to rest. The outputs are cleared first.
void SplitDictInfo(std::string_view text, std::string& first, std::string& second, std::string& rest);

// "NAME(arguments)": the name before the first '(' with a-z folded to A-Z,
// the arguments without one trailing ')', and the kind "Word". False, with
// the outputs untouched, when the text holds no '('.
bool ParseDictRuleInfo(std::string_view text, std::string& kind, std::string& name, std::string& arguments);

// Copies a UTF-8 text file as GBK, line by line. False when either file
// cannot be opened (the output is then not made when the input is missing)
// or the output cannot be written.
bool Convert2GB(const std::string& input, const std::string& output);

}  // namespace zel
