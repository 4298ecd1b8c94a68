#include "zel/rules/match/condition_tables.h"

#include <vector>

#include "zel/lattice/unit.h"
#include "zel/rules/match/table_front.h"
#include "zel/rules/tables/table_functions.h"

namespace zel {

bool NamesTable(const std::string& value) {
    return g_pTableCluster && (value.find('_') != std::string::npos || LookupTable(value.c_str()));
}

bool WordInTable(const std::string& word, const std::string& table) {
    std::string value;
    int unused = 0;
    return TableClusterIsStrEqual(word.c_str(), table.c_str(), value, unused);
}

bool UnitInTable(CUnit& unit, const std::string& table) {
    std::string value;
    int unused = 0;
    return TableClusterIsStrEqualEx(&unit, table.c_str(), value, unused);
}

// One table word is enough to decide.
bool TableWordBegins(const std::string& text, const std::string& table) {
    std::vector<CTableItemEx> found;
    return TableClusterIsStrBegin(text.c_str(), table.c_str(), 1, found);
}

bool TableWordEnds(const std::string& text, const std::string& table) {
    std::vector<CTableItemEx> found;
    return TableClusterIsStrEnd(text.c_str(), table.c_str(), 1, found);
}

}  // namespace zel
