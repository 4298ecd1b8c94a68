#include "zel/rules/match/condition_tables.h"

namespace zel {

// Until the table cluster is part of the rule library no table is loaded,
// so no value names one.
bool NamesTable(const std::string&) { return false; }
bool WordInTable(const std::string&, const std::string&) { return false; }
bool UnitInTable(CUnit&, const std::string&) { return false; }
bool TableWordBegins(const std::string&, const std::string&) { return false; }
bool TableWordEnds(const std::string&, const std::string&) { return false; }

}  // namespace zel
