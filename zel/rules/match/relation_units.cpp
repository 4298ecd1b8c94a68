#include "zel/rules/match/relation_units.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "zel/lattice/attribute_names.h"
#include "zel/lattice/candidate.h"
#include "zel/lattice/lattice.h"

namespace zel {

namespace {

CLattice* LatticeOf(const CUnit& unit) { return unit.column ? unit.column->lattice : nullptr; }

// Units of columns first..last (inclusive, ascending), index 1 and above,
// that the filter accepts.
template <class Filter>
void CollectUnits(CLattice& lattice, int first, int last, Filter accept, std::vector<std::string>& out) {
    first = std::max(first, 0);
    last = std::min(last, lattice.columnCount - 1);
    for (int c = first; c <= last; ++c) {
        CCandidate& column = lattice.columns[static_cast<size_t>(c)];
        for (int i = 1; i < column.unitCount; ++i) {
            CUnit& other = column.units[static_cast<size_t>(i)];
            if (accept(other)) out.push_back(other.Unit);
        }
    }
}

// Units of a column from the last down to index 1 with the chunk number.
void ChunkUnitsOfColumn(CLattice& lattice, int c, int chunk, std::vector<std::string>& out) {
    if (c < 0 || c >= lattice.columnCount) return;
    CCandidate& column = lattice.columns[static_cast<size_t>(c)];
    for (int i = column.unitCount - 1; i >= 1; --i) {
        CUnit& other = column.units[static_cast<size_t>(i)];
        if (other.ChunkID == chunk) out.push_back(other.Unit);
    }
}

void PushIfSet(const std::string& text, std::vector<std::string>& out) {
    if (!text.empty()) out.push_back(text);
}

// "ULeftNode3" / "URightNode3": the number after the prefix, 0 when none.
int NodeSteps(const char* key, const char* prefix) {
    const size_t n = std::strlen(prefix);
    if (std::strncmp(key, prefix, n) != 0 || !std::isdigit(static_cast<unsigned char>(key[n]))) return 0;
    return std::atoi(key + n);
}

void BuiltInUnits(CUnit& unit, CLattice* lattice, const ConditionContext& context, Switch_Type code,
                  std::vector<std::string>& out) {
    switch (code) {
        case SW_Unit:
            out.push_back(unit.Unit);
            return;
        case SW_UChunk:
            PushIfSet(unit.UChunk, out);
            return;
        case SW_ULeftChar:
            PushIfSet(unit.ULeftChar, out);
            return;
        case SW_URightChar:
            PushIfSet(unit.URightChar, out);
            return;
        case SW_USegFrom:
            PushIfSet(unit.USegFrom, out);
            return;
        case SW_UEntry:
            if (context.entry && *context.entry) out.push_back(context.entry);
            return;
        case SW_UColl:
            if (context.extra && *context.extra) out.push_back(context.extra);
            return;
        case SW_UParent:
            for (int k = 0; k < unit.links.treeParentCount; ++k) {
                const UnitId& id = unit.links.treeParents[static_cast<size_t>(k)];
                out.push_back(LinkIdText(id.first, id.second));
            }
            return;
        case SW_UChild:
            for (int k = 0; k < unit.links.treeChildCount; ++k) {
                const UnitId& id = unit.links.treeChildren[static_cast<size_t>(k)];
                out.push_back(LinkIdText(id.first, id.second));
            }
            return;
        case SW_UHeadPhr:
            if (unit.links.head.first >= 0) out.push_back(LinkIdText(unit.links.head.first, unit.links.head.second));
            return;
        default:
            break;
    }
    if (!lattice) return;
    const int from = unit.From;
    const int to = unit.To;
    switch (code) {
        case SW_UChunkWord:
        case SW_UChunkHead: {
            CUnit* chunk = lattice->GetLatticeUnit(unit.UChunk.c_str());
            if (!chunk) return;
            const int first = code == SW_UChunkHead ? chunk->To : chunk->From;
            for (int c = chunk->To; c >= first; --c) ChunkUnitsOfColumn(*lattice, c, unit.ChunkID, out);
            return;
        }
        case SW_ULeft:
            CollectUnits(*lattice, from - 1, from - 1, [](CUnit&) { return true; }, out);
            return;
        case SW_ULefts:
            CollectUnits(*lattice, 0, from - 1, [](CUnit&) { return true; }, out);
            return;
        case SW_ULeftChunk:
            CollectUnits(*lattice, 0, from - 1,
                         [&](CUnit& other) { return other.To < from && other.ChunkID == unit.ChunkID; }, out);
            return;
        case SW_ULeftClause:
            CollectUnits(*lattice, 0, from - 1,
                         [&](CUnit& other) { return other.To < from && other.ClauseID == unit.ClauseID; }, out);
            return;
        case SW_URight:
            for (int k = unit.column->nextCount - 1; k >= 0; --k) {
                UnitId next = unit.column->next[static_cast<size_t>(k)];
                if (CUnit* other = lattice->GetUnit(next)) out.push_back(other->Unit);
            }
            return;
        case SW_URights:
            CollectUnits(*lattice, to + 1, lattice->columnCount - 1, [&](CUnit& other) { return other.From > to; },
                         out);
            return;
        case SW_URightChunk:
            CollectUnits(*lattice, to + 1, lattice->columnCount - 1,
                         [&](CUnit& other) { return other.From > to && other.ChunkID == unit.ChunkID; }, out);
            return;
        case SW_URightClause:
            CollectUnits(*lattice, to + 1, lattice->columnCount - 1,
                         [&](CUnit& other) { return other.From > to && other.ClauseID == unit.ClauseID; }, out);
            return;
        default:
            return;
    }
}

void TableValues(const CKVTable* table, const char* key, std::vector<std::string>& out) {
    if (!table) return;
    std::vector<std::string> values;
    int n = 0;
    table->GetKVs(key, values, n);
    out.assign(values.begin(), values.begin() + n);
}

}  // namespace

std::string LinkIdText(int column, int index) {
    char text[32];
    std::snprintf(text, sizeof text, "(%d %d)", column, index);
    return text;
}

void GetSatisfyUnits(CUnit& unit, const ConditionContext& context, const char* key, std::vector<std::string>& out) {
    out.clear();
    if (!key || !*key) return;
    CLattice* lattice = LatticeOf(unit);
    Switch_Type code;
    if (LookupKeyList(key, code)) {
        BuiltInUnits(unit, lattice, context, code, out);
        return;
    }
    const int left = NodeSteps(key, "ULeftNode");
    const int right = NodeSteps(key, "URightNode");
    if (left > 0 || right > 0) {
        if (!context.state) return;
        CUnit* reached = context.state->UnitAfterSteps(left > 0, (left > 0 ? left : right) - 1);
        if (reached) out.push_back(reached->Unit);
        return;
    }
    if (key[0] == '(') {
        out.push_back(key);
        return;
    }
    if (std::strncmp(key, "URoot", 5) == 0) {
        if (lattice) TableValues(lattice->keyValues.get(), key, out);
        return;
    }
    if (key[0] == 'U') TableValues(unit.attributes, key, out);
}

std::string ReplaceUThis(const CUnit& unit, const std::string& text) {
    std::string out;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find_first_of("=|_&:", start);
        if (end == std::string::npos) end = text.size();
        const std::string part = text.substr(start, end - start);
        out += (part == "UThis" || part == "UnitNo") ? unit.Unit : part;
        if (end < text.size()) out += text[end];
        start = end + 1;
    }
    return out;
}

}  // namespace zel
