#include "zel/rules/match/unit_expressions.h"

#include "zel/lattice/lattice.h"
#include "zel/rules/match/relation_units.h"

namespace zel {
namespace {

void AppendReached(CLattice& lattice, CUnit& unit, const std::string& expression, std::vector<std::string>& ids) {
    const size_t colon = expression.find(':');
    std::vector<std::string> reached;
    GetSatisfyUnits(unit, ConditionContext{}, expression.substr(0, colon).c_str(), reached);
    if (colon == std::string::npos) {
        ids.insert(ids.end(), reached.begin(), reached.end());
        return;
    }
    const std::string rest = expression.substr(colon + 1);
    for (const std::string& id : reached)
        if (CUnit* next = lattice.GetLatticeUnit(id.c_str())) AppendReached(lattice, *next, rest, ids);
}

}  // namespace

void UExpress2Units(CLattice& lattice, CUnit& unit, const std::string& expression, std::vector<std::string>& ids) {
    ids.clear();
    AppendReached(lattice, unit, expression, ids);
}

void UExpress2UnitsCondition(CLattice& lattice, CUnit& unit, const std::string& expression,
                             const std::string& condition, std::vector<std::string>& ids) {
    std::vector<std::string> reached;
    AppendReached(lattice, unit, expression, reached);
    for (const std::string& id : reached) {
        CUnit* found = lattice.GetLatticeUnit(id.c_str());
        if (found && (condition.empty() || found->CheckAtt(condition.c_str()))) ids.push_back(id);
    }
}

void RootExpress2Units(CLattice& lattice, const std::string& expression, std::vector<std::string>& ids) {
    if (!lattice.keyValues) return;
    const size_t colon = expression.find(':');
    std::vector<std::string> roots;
    int count = 0;
    lattice.keyValues->GetKVs(expression.substr(0, colon).c_str(), roots, count);
    roots.resize(static_cast<size_t>(count));
    if (colon == std::string::npos) {
        ids.insert(ids.end(), roots.begin(), roots.end());
        return;
    }
    for (const std::string& root : roots)
        if (CUnit* unit = lattice.GetLatticeUnit(root.c_str())) AppendReached(lattice, *unit, expression.substr(colon + 1), ids);
}

}  // namespace zel
