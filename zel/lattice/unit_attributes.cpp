#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "zel/lattice/attribute_names.h"
#include "zel/lattice/attribute_text.h"
#include "zel/lattice/candidate.h"
#include "zel/lattice/condition_items.h"
#include "zel/lattice/kv_table.h"
#include "zel/lattice/lattice.h"
#include "zel/lattice/scripting_hooks.h"
#include "zel/lattice/unit.h"

namespace zel {

namespace {

// Value-list manner: the slot n is overwritten when it exists.
void Put(std::vector<std::string>& values, int& n, const std::string& value) {
    if (values.size() == static_cast<size_t>(n)) values.emplace_back();
    values[static_cast<size_t>(n++)] = value;
}

std::string OutputIdText(UnitId id) {
    char text[kUnitIdSize];
    std::snprintf(text, sizeof text, "(%d %d)", id.first, id.second);
    return text;
}

const char* ClausePosName(int posCode) {
    switch (posCode) {
        case kPosClauseFirst:
        case kPosSentenceFirst:
            return "Beg";
        case kPosBeforePunc:
        case kPosSentenceLast:
            return "End";
        default:
            return "In";
    }
}

// A tree deeper than this is cut: tree links come from input and may loop.
constexpr int kMaxTreeDepth = 256;

void AppendTree(CUnit& unit, std::string& out, int depth) {
    out += '[';
    if (unit.links.treeChildCount <= 0 || depth >= kMaxTreeDepth) {
        out += unit.Word;
        out += ']';
        return;
    }
    out += unit.POS.empty() ? unit.Word : unit.POS;
    CLattice* lattice = unit.column ? unit.column->lattice : nullptr;
    for (int k = 0; k < unit.links.treeChildCount && lattice; ++k) {
        UnitId child = unit.links.treeChildren[static_cast<size_t>(k)];
        if (child.second > 0) {
            if (CUnit* childUnit = lattice->GetUnit(child)) AppendTree(*childUnit, out, depth + 1);
            continue;
        }
        if (child.first < 0 || child.first >= lattice->columnCount) continue;
        int from = child.second < 0 ? child.first + child.second + 1
                                    : lattice->columns[static_cast<size_t>(child.first)].units[0].From;
        out += '[' + lattice->GetStr(from, child.first) + ']';
    }
    out += ']';
}

}  // namespace

void CUnit::GetKVs(const char* key, std::vector<std::string>& values, int& n) {
    n = 0;
    Switch_Type code = SW_Word;
    CLattice* lattice = column ? column->lattice : nullptr;
    bool builtIn = key && LookupKeyList(key, code) && code <= SW_UHeadPhr;
    switch (builtIn ? code : SW_Node) {
        case SW_Word:
            Put(values, n, GetWord());
            return;
        case SW_HeadWord:
            Put(values, n, HeadWord);
            return;
        case SW_ChunkID:
            if (ChunkID != -1) Put(values, n, std::to_string(ChunkID));
            return;
        case SW_ClauseID:
            Put(values, n, std::to_string(ClauseID));
            return;
        case SW_ChunkPos: {
            CUnit* chunk = lattice ? lattice->GetLatticeUnit(UChunk.c_str()) : nullptr;
            if (!chunk) return;
            Put(values, n, From == chunk->From ? "Beg" : To == chunk->To ? "End" : "In");
            return;
        }
        case SW_ClausePos:
            if (column) Put(values, n, ClausePosName(column->posCode));
            return;
        case SW_From:
            if (From >= 0) Put(values, n, std::to_string(id.second < 0 ? id.second + To + 1 : From));
            return;
        case SW_To:
            if (To >= 0) Put(values, n, std::to_string(To));
            return;
        case SW_Unit:
            Put(values, n, Unit);
            return;
        case SW_UChunk:
            if (UChunk.find("-1") == std::string::npos) Put(values, n, UChunk);
            return;
        case SW_ULeft: {
            if (From <= 0 || !lattice || From - 1 >= lattice->columnCount) return;
            CCandidate& left = lattice->columns[static_cast<size_t>(From - 1)];
            for (int i = left.unitCount - 1; i >= 1; --i) Put(values, n, left.units[static_cast<size_t>(i)].Unit);
            return;
        }
        case SW_ULeftChar:
            if (!ULeftChar.empty()) Put(values, n, ULeftChar);
            return;
        case SW_URight:
            for (int k = column ? column->nextCount - 1 : -1; k >= 0 && lattice; --k) {
                UnitId next = column->next[static_cast<size_t>(k)];
                if (CUnit* unit = lattice->GetUnit(next)) Put(values, n, unit->Unit);
            }
            return;
        case SW_URightChar:
            if (!URightChar.empty()) Put(values, n, URightChar);
            return;
        case SW_USegFrom:
            if (!USegFrom.empty()) Put(values, n, USegFrom);
            return;
        case SW_UParent:
            for (int k = 0; k < links.treeParentCount; ++k)
                Put(values, n, OutputIdText(links.treeParents[static_cast<size_t>(k)]));
            return;
        case SW_UChild:
            for (int k = 0; k < links.treeChildCount; ++k)
                Put(values, n, OutputIdText(links.treeChildren[static_cast<size_t>(k)]));
            return;
        case SW_UHeadPhr:
            if (links.head.first >= 0) Put(values, n, OutputIdText(links.head));
            return;
        default:
            if (attributes && key) attributes->GetKVs(key, values, n);
            return;
    }
}

bool CUnit::CheckAttItem(const char* item) {
    std::string key, value;
    SplitConditionItem(item, key, value);
    CLattice* lattice = column ? column->lattice : nullptr;
    if (lattice && lattice->keyValues && !Unit.empty() &&
        lattice->keyValues->IsKV2Unit(key.c_str(), value.c_str(), Unit.c_str()))
        return true;
    return SatisfiesUnitTest(*this, key.c_str(), value.c_str());
}

bool CUnit::CheckAtt(const char* condition) {
    return CheckConditionItems(condition, [this](const char* item) { return CheckAttItem(item); });
}

void CUnit::GetTree(std::string& out) { AppendTree(*this, out, 0); }

void CUnit::GetUnitPOSInfo(std::string& out, int format) const {
    if (format != 1 && format != 4) return;
    out = Word;
    if (!POS.empty()) out += (format == 4 ? "/" : " ") + POS;
}

void CUnit::GetUnitPOSInfo(std::string& out, const char* condition) const {
    out = Word + "/";
    const char* equals = std::strchr(condition, '=');
    if (!equals || (equals[1] != '\0' && std::strcmp(equals + 1, "*") != 0)) {
        out += condition;
        return;
    }
    const std::string key(condition, static_cast<size_t>(equals - condition));
    out += key + "=";
    if (!attributes) return;
    std::vector<std::string> values;
    int n = 0;
    attributes->GetKVs(key.c_str(), values, n);
    for (int k = 0; k < n; ++k) out += (k ? "_" : "") + values[static_cast<size_t>(k)];
}

}  // namespace zel
