// The lattice's collocation step reaches the word tables through this
// implementation of its table interface, over the process's table cluster;
// it is installed when the rule library is loaded.
#include "zel/lattice/collocation_tables.h"
#include "zel/lattice/lattice.h"
#include "zel/rules/match/table_front.h"
#include "zel/rules/match/unit_conditions.h"
#include "zel/rules/tables/table_functions.h"

namespace zel {

namespace {

void Append(const std::vector<CTableItemEx>& found, const std::vector<int>& positions, std::vector<CollMatch>& out) {
    for (size_t k = 0; k < found.size(); ++k) {
        CollMatch match;
        match.word = found[k].word;
        match.value = found[k].value;
        match.unitId = found[k].unitId;
        match.column = k < positions.size() ? positions[k] : -1;
        out.push_back(std::move(match));
    }
}

class ClusterTables : public CollocationTables {
public:
    bool IsStrMidEx(CLattice& lattice, const char* table, int c0, std::vector<CollMatch>& out,
                    CUnit* unit) override {
        out.clear();
        std::vector<CTableItemEx> found;
        std::vector<int> positions;
        const bool any = TableClusterIsStrMidEx(lattice, table, c0, found, positions, unit);
        Append(found, positions, out);
        return any;
    }

    bool IsStrMid_R2LEx(CLattice& lattice, const char* table, int c0, std::vector<CollMatch>& out,
                        CUnit* unit) override {
        if (c0 < 0 || !LookupTable(table)) return false;
        std::vector<CTableItemEx> found;
        std::vector<int> positions;
        TableClusterIsStrMid_R2LEx(lattice, table, c0, found, positions, unit);
        Append(found, positions, out);
        return !out.empty();
    }

    bool IsStrMidUnit(CLattice& lattice, const char* table, std::vector<CollMatch>& out) override {
        std::vector<CTableItemEx> found;
        std::vector<int> positions;
        const bool exists = TableClusterIsStrMidUnit(lattice, table, found, positions);
        Append(found, positions, out);
        return exists;
    }

    bool IsUnitEqual(CUnit& unit, const char* table, std::string& value) override {
        int n = 0;
        return TableClusterIsStrEqualEx(&unit, table, value, n);
    }

    bool IsStrEqual(const char* table, const char* word, std::string& value) override {
        CTable* found = nullptr;
        CTableItem* item = nullptr;
        if (!word || !TableClusterGetTable(table, found) || !found->Lookup(word, item)) return false;
        value = item->value;
        return true;
    }

    bool GetTable(CLattice& lattice, const char* prefix, CUnit& unit, std::string& out) override {
        return zel::GetTable(lattice, prefix, &unit, out);
    }

    bool IsLimit(CLattice&, CUnit& unit, CUnit* other, const CKVTable& config, const char* text) override {
        return zel::IsLimit(unit, other, &config, text);
    }
};

ClusterTables g_clusterTables;
[[maybe_unused]] const bool g_installed = (SetCollocationTables(&g_clusterTables), true);

}  // namespace

}  // namespace zel
