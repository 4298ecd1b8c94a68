#include "zel/rules/match/table_front.h"

#include <algorithm>
#include <string>

#include "zel/lattice/lattice.h"
#include "zel/rules/match/table_lattice_match.h"
#include "zel/rules/match/unit_conditions.h"
#include "zel/rules/tables/table_functions.h"

namespace zel {

namespace {

CTable* FindTable(const char* name) {
    CTable* table = nullptr;
    if (!g_pTableCluster || !name || !g_pTableCluster->GetTable(name, table)) return nullptr;
    return table;
}

// Units of a column after the placeholders the lattice reserves.
template <class Visit>
bool ForUnitsOfColumn(CLattice& lattice, int c, Visit visit) {
    if (c < 0 || c >= lattice.columnCount) return false;
    CCandidate& column = lattice.columns[static_cast<size_t>(c)];
    for (int i = std::max(lattice.reservedUnits, 1); i < column.unitCount; ++i)
        if (visit(column.units[static_cast<size_t>(i)])) return true;
    return false;
}

void AppendUnit(CUnit& unit, const CTableItemKV& entry, std::vector<CTableItemEx>& out) {
    CTableItemEx result;
    result.word = unit.GetHeadWord();
    result.value = entry.value;
    out.push_back(std::move(result));
}

// A unit satisfies an entry's condition as tested by itself.
bool SatisfiesOnItsOwn(CUnit& unit, const CTableItemKV& entry) {
    ConditionContext context;
    context.entry = unit.Unit.c_str();
    return CheckAtt(unit, entry.key.c_str(), context);
}

// The first unit of columns first..last that satisfies an item-KV entry.
bool FirstUnitOfEntries(CLattice& lattice, CTable* table, int first, int last, std::vector<CTableItemEx>& out) {
    if (!table->HasItemKV()) return false;
    for (const CTableItemKV& entry : table->itemKVs())
        for (int c = first; c <= last; ++c)
            if (ForUnitsOfColumn(lattice, c, [&](CUnit& unit) {
                    if (!SatisfiesOnItsOwn(unit, entry)) return false;
                    AppendUnit(unit, entry, out);
                    return true;
                }))
                return true;
    return false;
}

bool Full(const std::vector<CTableItemEx>& out) { return static_cast<int>(out.size()) >= kLatticeMatchLimit; }

// Units between first and last that satisfy the entries of an item-KV
// table, found through the lattice's unit index where it answers; columns
// are scanned from scanFrom to scanTo (either way round) where it does not.
void UnitsOfEntries(CLattice& lattice, CTable* table, int first, int last, int scanFrom, int scanTo,
                    std::vector<CTableItemEx>& out, std::vector<int>& positions, CUnit* unit) {
    if (!table->HasItemKV()) return;
    ConditionContext context;
    context.entry = unit ? unit->Unit.c_str() : nullptr;
    const int step = scanFrom <= scanTo ? 1 : -1;
    for (const CTableItemKV& entry : table->itemKVs()) {
        std::vector<std::string> ids;
        int count = 0;
        const int answer = lattice.CheckUnitByKV(first, last, entry.key.c_str(), ids, count);
        if (answer == 1 || answer == 2) {
            for (int k = 0; k < count && !Full(out); ++k) {
                CUnit* found = lattice.GetLatticeUnit(ids[static_cast<size_t>(k)].c_str());
                if (!found || (answer == 2 && !CheckAtt(*found, entry.key.c_str(), context))) continue;
                AppendUnit(*found, entry, out);
                positions.push_back(found->To);
            }
        } else {
            for (int c = scanFrom; c != scanTo + step && !Full(out); c += step)
                ForUnitsOfColumn(lattice, c, [&](CUnit& candidate) {
                    if (CheckAtt(candidate, entry.key.c_str(), context)) {
                        AppendUnit(candidate, entry, out);
                        positions.push_back(c);
                    }
                    return Full(out);
                });
        }
        if (Full(out)) return;
    }
}

}  // namespace

bool TableClusterIsStrBegin(const char* text, const char* name, int n, std::vector<CTableItemEx>& out) {
    CTable* table = FindTable(name);
    return table && g_pTableCluster->IsStrBegin(text, table, n, out);
}

bool TableClusterIsStrEnd(const char* text, const char* name, int n, std::vector<CTableItemEx>& out) {
    CTable* table = FindTable(name);
    return table && g_pTableCluster->IsStrEnd(text, table, n, out);
}

bool TableClusterIsStrMid(const char* text, const char* name, int n, std::vector<CTableItemEx>& out,
                          std::vector<int>& positions) {
    CTable* table = FindTable(name);
    return table && g_pTableCluster->IsStrMid(text, table, n, out, positions);
}

bool TableClusterIsStrMid_R2L(const char* text, const char* name, int n, std::vector<CTableItemEx>& out,
                              std::vector<int>& positions) {
    CTable* table = FindTable(name);
    return table && g_pTableCluster->IsStrMid_R2L(text, table, n, out, positions);
}

bool TableClusterIsStrBeginEx(CLattice& lattice, const char* name, int n, int c0, std::vector<CTableItemEx>& out) {
    CTable* table = FindTable(name);
    if (!table || c0 < 0 || c0 >= lattice.columnCount) return false;
    const size_t before = out.size();
    const std::string text = lattice.GetStr(c0, lattice.columnCount - 1);
    if (g_pTableCluster->IsStrBegin(text.c_str(), table, n, out) && out.size() > before) return true;
    return FirstUnitOfEntries(lattice, table, c0, std::min(c0 + 9, lattice.columnCount - 1), out);
}

bool TableClusterIsStrEndEx(CLattice& lattice, const char* name, int n, int c0, std::vector<CTableItemEx>& out) {
    CTable* table = FindTable(name);
    if (!table || c0 < 0 || c0 >= lattice.columnCount) return false;
    const size_t before = out.size();
    const std::string text = lattice.GetStr(0, c0);
    if (g_pTableCluster->IsStrEnd(text.c_str(), table, n, out) && out.size() > before) return true;
    return FirstUnitOfEntries(lattice, table, c0, c0, out);
}

bool TableClusterIsStrMidEx(CLattice& lattice, const char* name, int c0, std::vector<CTableItemEx>& out,
                            std::vector<int>& positions, CUnit* unit) {
    out.clear();
    positions.clear();
    CTable* table = FindTable(name);
    if (!table) return false;
    const int last = lattice.columnCount - 1;
    if (IsStrMid(lattice, table, c0, out, positions) && Full(out)) return true;
    UnitsOfEntries(lattice, table, c0, last, c0, last, out, positions, unit);
    return !out.empty();
}

bool TableClusterIsStrMid_R2LEx(CLattice& lattice, const char* name, int c0, std::vector<CTableItemEx>& out,
                                std::vector<int>& positions, CUnit* unit) {
    CTable* table = FindTable(name);
    if (!table || c0 < 0) return false;
    IsStrMid_R2L(lattice, table, c0, out, positions);
    if (!Full(out)) UnitsOfEntries(lattice, table, 0, c0, c0, 0, out, positions, unit);
    return !out.empty();
}

bool TableClusterIsStrMidUnit(CLattice& lattice, const char* name, std::vector<CTableItemEx>& out,
                              std::vector<int>& positions) {
    CTable* table = FindTable(name);
    if (!table) return false;
    for (int c = 0; c < lattice.columnCount; ++c)
        ForUnitsOfColumn(lattice, c, [&](CUnit& unit) {
            CTableItem* item = nullptr;
            if (unit.HeadWord.empty() || unit.HeadWord == unit.Word || !table->Lookup(unit.HeadWord.c_str(), item))
                return false;
            CTableItemEx result;
            result.word = unit.Word;
            result.value = "Syn=" + unit.HeadWord + (item->value.empty() ? "" : " " + item->value);
            result.item = item;
            out.push_back(std::move(result));
            positions.push_back(c);
            return false;
        });
    return true;
}

}  // namespace zel
