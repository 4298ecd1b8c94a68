#include <algorithm>
#include <set>
#include <string>

#include "zel/lattice/lattice.h"

namespace zel {

void CLattice::Cover(const char* condition, int from, int to, bool skipPlaceholders) {
    chosenCount = 0;
    for (int c = to; c >= from;) {
        CCandidate& column = columns[static_cast<size_t>(c)];
        CUnit* taken = nullptr;
        for (int i = column.unitCount - 1; i >= 0 && !taken; --i) {
            CUnit& unit = column.units[static_cast<size_t>(i)];
            if (skipPlaceholders && unit.UnitType == kUnitPlaceholder) continue;
            if (unit.CheckAtt(condition)) taken = &unit;
        }
        if (!taken) {
            --c;
            continue;
        }
        if (chosenUnits.size() == static_cast<size_t>(chosenCount)) chosenUnits.emplace_back();
        chosenUnits[static_cast<size_t>(chosenCount++)] = taken->id;
        // A unit always ends in its own column; a span reaching before the
        // sentence ends the walk.
        c = std::min(taken->From, c) - 1;
    }
}

CUnit& CLattice::Chosen(int k) { return *GetUnit(chosenUnits[static_cast<size_t>(k)]); }

std::string CLattice::GetLatticeString(const char* condition) {
    std::string out, text;
    if (columnCount == 0 || !condition) return out;
    Cover(condition, 0, columnCount - 1, true);
    int previousTo = -1;
    for (int k = chosenCount - 1; k >= 0; --k) {
        CUnit& unit = Chosen(k);
        if (unit.From > previousTo + 1) out += GetStr(previousTo + 1, unit.From - 1) + " ";
        unit.GetUnitPOSInfo(text, condition);
        out += text + " ";
        previousTo = unit.To;
    }
    return out + GetStr(previousTo + 1, columnCount - 1);
}

std::string CLattice::GetLatticeString(const char* condition, int from, int to, int format) {
    std::string out, text;
    if (columnCount == 0 || !condition) return out;
    from = std::max(from, 0);
    to = std::min(to, columnCount - 1);
    if (to < from) return GetStr(0, columnCount - 1);
    Cover(condition, from, to, false);
    int previousTo = -1;
    for (int k = chosenCount - 1; k >= 0; --k) {
        CUnit& unit = Chosen(k);
        out += GetStr(previousTo + 1, unit.From - 1);
        text.clear();
        unit.GetUnitPOSInfo(text, format);
        out += "[" + text + "]";
        previousTo = std::max(previousTo, unit.To);
    }
    return out + GetStr(previousTo + 1, columnCount - 1);
}

std::string CLattice::GetLatticeInfo(const char* condition, int from, int to) {
    std::string out, text;
    if (columnCount == 0 || !condition) return out;
    from = std::max(from, 0);
    to = std::min(to, columnCount - 1);
    if (to < from) return out;
    Cover(condition, from, to, false);
    int previousTo = from - 1;
    for (int k = chosenCount - 1; k >= 0; --k) {
        CUnit& unit = Chosen(k);
        out += GetStr(previousTo + 1, unit.From - 1);
        text.clear();
        unit.GetUnitPOSInfo(text, 4);
        out += text + " ";
        previousTo = std::max(previousTo, unit.To);
    }
    return out;
}

std::string CLattice::Chunk2Tree() {
    std::string out = "[Root";
    if (columnCount == 0) return out + "]";
    // The chain holds the chunks collected before a column whose last unit
    // is no chunk; it is copied because the inner texts reuse lattice lists.
    GetDictUnitsEx(0, columnCount - 1, kUnitChunk);
    const std::vector<UnitId> rightToLeft(dictUnits.begin(), dictUnits.begin() + dictUnitCount);
    for (auto id = rightToLeft.rbegin(); id != rightToLeft.rend(); ++id) {
        UnitId chunkId = *id;
        if (CUnit* chunk = GetUnit(chunkId)) out += "[" + chunk->POS + ChunkInnerText(*chunk) + "]";
    }
    return out + "]";
}

// The chunk's own columns with its word units bracketed as "[word POS]".
std::string CLattice::ChunkInnerText(const CUnit& chunk) {
    std::string out, text;
    const int from = std::max(chunk.From, 0);
    Cover("Type=Word", from, chunk.To, true);
    int previousTo = from - 1;
    for (int k = chosenCount - 1; k >= 0; --k) {
        CUnit& unit = Chosen(k);
        if (unit.From < from) continue;
        out += GetStr(previousTo + 1, unit.From - 1);
        unit.GetUnitPOSInfo(text, 1);
        out += "[" + text + "]";
        previousTo = unit.To;
    }
    return out + GetStr(previousTo + 1, chunk.To);
}

void CLattice::GetHeadInfo(const char* reference, std::vector<std::string>& chain, std::string& head) {
    if (!reference) return;
    if (*reference != '(') {
        chain.emplace_back(reference);
        head = reference;
        return;
    }
    CUnit* unit = GetLatticeUnit(reference);
    if (!unit) return;
    chain.push_back(unit->GetWord());
    // Head links come from input and rule actions and may form a loop.
    std::set<CUnit*> visited{unit};
    for (;;) {
        UnitId headId = unit->links.head;
        CUnit* next = headId.first >= 0 ? GetUnit(headId) : nullptr;
        if (!next || !visited.insert(next).second) {
            head = unit->GetWord();
            return;
        }
        unit = next;
        chain.push_back(unit->GetWord());
    }
}

bool CLattice::CollectLog(std::vector<std::string>& lines) {
    lines.clear();
    if (!keyValues) return true;
    int n = 0;
    keyValues->GetKVs("Log", lines, n);
    lines.resize(static_cast<size_t>(n));
    return true;
}

bool CLattice::AddLog(const std::vector<std::string>& lines) {
    if (!keyValues) return true;
    for (const std::string& line : lines) keyValues->Insert2KVEx("Log", line.c_str());
    return true;
}

}  // namespace zel
