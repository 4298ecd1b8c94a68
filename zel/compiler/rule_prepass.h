// The pre-pass over a rule text: rules with operator blocks become ".R ( ... )"
// groups whose action is one escaped line in braces, context marks ("^w",
// "^( ... )", "^[ ... ]") become plain alternatives, sub-rules pass through.
#pragma once

#include <string>
#include <vector>

namespace zel {

// File to file; false when either file cannot be opened.
bool ProcessRule(const std::string& source, const std::string& output);

// The pre-pass over a text already in memory.
std::string PrepassRuleText(const std::string& text);

// A pattern line with every context mark expanded.
std::string TransferConetxt(const std::string& line);
// The action text with the escapes the action decoder turns back.
std::string TransferOperation(const std::string& text);
// The operator line "{...}\n" of a rule's action lines.
std::string WriteOperator(const std::vector<std::string>& actionLines);

}  // namespace zel
