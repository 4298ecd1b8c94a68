#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "zel/lattice/lattice.h"

namespace zel {

namespace {

// "(c,i)": false without the comma; column and index as far as they read.
bool ParseIdText(const char* text, int& column, int& index) {
    column = std::atoi(text + 1);
    const char* comma = std::strchr(text + 1, ',');
    if (!comma) return false;
    index = std::atoi(comma + 1);
    return true;
}

// The match path is stored from the last matched node back to the first.
const CMatchNodeEx& NodeAt(const std::vector<CMatchNodeEx>& path, int pathLength, int position) {
    return path[static_cast<size_t>(pathLength - 1 - position)];
}

}  // namespace

bool CLattice::GetNode(const char* reference, int& column, int& index) {
    if (!reference || !*reference) return false;
    if (*reference == '(') {
        if (!ParseIdText(reference, column, index)) return false;
        if (column < 0 || column >= columnCount) return false;
        return index < columns[static_cast<size_t>(column)].unitCount;
    }
    const int length = std::min(pathLength, static_cast<int>(matchPath.size()));
    int p = std::atoi(reference);
    if (p == -1) p = length - 1;
    if (p < 0 || p >= length) return false;
    const CMatchNodeEx& node = NodeAt(matchPath, length, p);
    column = node.column;
    index = node.index;
    if (column < 0 || column >= columnCount) return false;
    if (index < 0) {
        CUnit& placeholder = columns[static_cast<size_t>(column)].units[0];
        // A span reaching before column 0 is clamped to the sentence.
        placeholder.From = std::max(0, column + index + 1);
        placeholder.To = column;
    }
    return true;
}

CUnit* CLattice::GetUnit(UnitId& id) {
    if (id.first < 0 || id.first >= columnCount) return nullptr;
    CCandidate& column = columns[static_cast<size_t>(id.first)];
    if (id.second >= column.unitCount) return nullptr;
    if (id.second >= 0) return &column.units[static_cast<size_t>(id.second)];
    CUnit& placeholder = column.units[0];
    placeholder.id.second = id.second;
    return &placeholder;
}

CUnit* CLattice::GetUnit(const char* reference, int& index) {
    int column = -1;
    if (!GetNode(reference, column, index)) return nullptr;
    if (column < 0 || column >= columnCount) return nullptr;
    CCandidate& candidate = columns[static_cast<size_t>(column)];
    if (index >= 0) return &candidate.units[static_cast<size_t>(index)];
    CUnit& placeholder = candidate.units[0];
    placeholder.From = std::max(0, column + index + 1);
    placeholder.To = column;
    return &placeholder;
}

CUnit* CLattice::GetUnit(int c) {
    if (c < 0 || c >= columnCount) return nullptr;
    for (int k = c; k < columnCount; ++k) {
        CCandidate& column = columns[static_cast<size_t>(k)];
        for (int i = column.unitCount - 1; i >= reservedUnits; --i) {
            CUnit& unit = column.units[static_cast<size_t>(i)];
            if (unit.From <= c && c <= unit.To) return &unit;
        }
    }
    return nullptr;
}

CUnit* CLattice::GetLatticeUnit(const char* idText) {
    if (!idText || *idText != '(') return nullptr;
    UnitId id;
    if (!ParseIdText(idText, id.first, id.second)) return nullptr;
    if (id.second < 0) id.second = 0;
    return GetUnit(id);
}

bool CLattice::GetTagNoInfo(const char* tags, int& from, int& to, const std::vector<CMatchNodeEx>& path,
                            int pathLength) {
    if (!tags) return false;
    const int length = std::min(pathLength, static_cast<int>(path.size()));
    std::string list(tags, std::min(std::strlen(tags), kUnitTextSize - 1));
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find('@', start);
        if (end == std::string::npos) end = list.size();
        std::string tag = list.substr(start, end - start);
        start = end + 1;
        if (tag.empty()) continue;
        const int t = std::atoi(tag.c_str());
        from = t;
        int found = -1;
        for (int p = 0; p < length && found < 0; ++p)
            if (NodeAt(path, length, p).node == t) found = p;
        if (found >= 0) from = found;
        if (t > 0 && t % 2 == 1) {
            int closing = -1;
            for (int q = length - 1; q >= 0 && closing < 0; --q)
                if (NodeAt(path, length, q).node == t + 1) closing = q;
            if (closing >= 0) to = closing;
            if (found >= 0) return true;
            if (closing >= 0) from = closing;
        } else {
            to = found >= 0 ? found : t;
            if (found >= 0) return true;
        }
    }
    return false;
}

bool CLattice::GetDictUnitsEx(int from, int to, int kind) {
    dictUnitCount = 0;
    if (to < from) return true;
    if (from < 0 || to >= columnCount) return false;
    for (int c = to; c >= 0;) {
        CCandidate& column = columns[static_cast<size_t>(c)];
        if (column.unitCount <= 0) return false;
        CUnit& unit = column.units[static_cast<size_t>(column.unitCount - 1)];
        if (unit.UnitType != kind || unit.From < from) return false;
        if (dictUnits.size() == static_cast<size_t>(dictUnitCount)) dictUnits.emplace_back();
        dictUnits[static_cast<size_t>(dictUnitCount++)] = unit.id;
        if (unit.From <= from) return true;
        // A unit always ends at its column, so the walk moves left.
        if (unit.From > c) return false;
        c = unit.From - 1;
    }
    return false;
}

std::string CLattice::GetStr(int from, int to) const {
    std::string text;
    from = std::max(from, 0);
    to = std::min(to, columnCount - 1);
    for (int c = from; c <= to; ++c) text += columns[static_cast<size_t>(c)].text;
    return text;
}

}  // namespace zel
