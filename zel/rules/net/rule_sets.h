// Which loaded networks a unit may enter, and the parts of an entry text.
#pragma once

#include <string>
#include <vector>

namespace zel {

class CRuleNet;
class CUnit;

// Appends the names of the rule base's networks whose entry index holds
// the word (or "Entry=" + word) and whose every entry condition the unit
// satisfies; nothing without a rule base.
void GetRuleSets(CUnit* unit, const char* word, std::vector<std::string>& names);
// name=value or name=[value]: false (outputs untouched) without '=';
// otherwise whether the name is a key of the network's entry index.
bool SplitEntryInfo(const CRuleNet* net, const char* text, std::string& name, std::string& value);

}  // namespace zel
