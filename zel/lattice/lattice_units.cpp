#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "zel/lattice/attribute_text.h"
#include "zel/lattice/collocation_tables.h"
#include "zel/lattice/lattice.h"
#include "zel/models/seg_globals.h"

namespace zel {

namespace {

const char* TypeName(int kind) { return kind == kUnitWord ? "Word" : "Phrase"; }

}  // namespace

void CLattice::InheritGroups(CUnit& unit) {
    CUnit* chunk = GetLatticeUnit(unit.UChunk.c_str());
    if (!chunk || chunk == &unit) return;
    int n = 0;
    chunk->GetKVs("GroupID", workList, n);
    // Adding the values reads nothing from the work list.
    for (int i = 0; i < n; ++i) unit.Insert2UnitKV("GroupID", workList[static_cast<size_t>(i)].c_str());
}

void CLattice::ReuseUnit(CUnit& unit, CCandidate& col, int kind, int node, const char* attributes) {
    unit.nodeNo = node;
    unit.Insert2UnitKV(attributes);
    switch (kind) {
        case kUnitWord:
        case kUnitPhrase:
            AssignCut(unit.UChunk, col.chunkUnitId.c_str(), kUnitIdSize);
            unit.ChunkID = col.chunkNo;
            unit.ClauseID = col.clauseNo;
            unit.Insert2UnitKV("Type", TypeName(kind));
            if (kind == kUnitWord) InheritGroups(unit);
            break;
        case kUnitChunk:
            col.chunkNo = chunkCounter++;
            col.chunkUnitId = unit.Unit;
            unit.UChunk = unit.Unit;
            unit.ChunkID = col.chunkNo;
            unit.ClauseID = col.clauseNo;
            unit.Insert2UnitKV("Type", "Chunk");
            break;
        default:
            break;
    }
}

bool CLattice::AddNewUnit(int c, const char* word, int kind, std::string& outId, int node, bool reuse,
                          const char* attributes) {
    if (c < 0 || c >= columnCount) {
        // Callers read an empty identifier as "no unit".
        outId.clear();
        return false;
    }
    if (!word) word = "";
    if (!attributes) attributes = "";
    CCandidate& col = columns[static_cast<size_t>(c)];
    if (reuse) {
        for (int i = col.unitCount - 1; i >= reservedUnits; --i) {
            CUnit& unit = col.units[static_cast<size_t>(i)];
            if (unit.Word != word) continue;
            outId = unit.Unit;
            if (unit.UnitType == kind && !*attributes) return true;
            ReuseUnit(unit, col, kind, node, attributes);
            return true;
        }
    }
    if (std::strcmp(attributes, "NONE") == 0) return true;

    const int stored = kind == kUnitReChunk ? kUnitWord : kind;
    const int n = col.unitCount;
    if (col.units.size() > static_cast<size_t>(n))
        col.units[static_cast<size_t>(n)].ClearUnit();
    else
        col.units.emplace_back();
    CUnit& unit = col.units[static_cast<size_t>(n)];
    unit.UnitType = stored;
    unit.id = {c, n};
    unit.column = &col;
    outId = UnitIdText(unit.id);
    unit.Unit = outId;
    unit.Insert2UnitKV(attributes);
    if (!*word) {
        unit.Insert2UnitKV("Type", "NONE");
        ++col.unitCount;
        return true;
    }

    unit.Insert2UnitKV("Word", word);
    unit.SetWord(word);
    // A word longer than the text up to its end column starts at column 0:
    // no span reaches before the sentence.
    unit.From = std::max(0, c - static_cast<int>(std::strlen(word)) / 2 + 1);
    unit.To = c;
    unit.nodeNo = node;
    AddLexiconAttributes(unit);

    CCandidate& colF = columns[static_cast<size_t>(unit.From)];
    if (stored == kUnitChunk) {
        for (int k = unit.From; k <= c; ++k) {
            columns[static_cast<size_t>(k)].chunkNo = chunkCounter;
            columns[static_cast<size_t>(k)].chunkUnitId = outId;
        }
        unit.ChunkID = chunkCounter++;
        unit.ClauseID = col.clauseNo;
        unit.UChunk = outId;
        unit.Insert2UnitKV("Type", "Chunk");
    } else {
        unit.UChunk = colF.chunkUnitId == col.chunkUnitId ? col.chunkUnitId : "(-1,-1)";
        unit.ChunkID = col.chunkNo;
        unit.ClauseID = col.clauseNo;
        unit.Insert2UnitKV("Type", TypeName(stored));
        if (stored == kUnitWord) InheritGroups(unit);
    }
    if (reservedUnits > 0) {
        unit.ULeftChar = UnitIdText({unit.From, 1});
        unit.URightChar = UnitIdText({c, 1});
    }
    const int p = unit.From - 1;
    if (c > 0 && p >= 0 && p < columnCount) {
        CCandidate& before = columns[static_cast<size_t>(p)];
        if (before.next.size() == static_cast<size_t>(before.nextCount)) before.next.emplace_back();
        before.next[static_cast<size_t>(before.nextCount++)] = unit.id;
    }
    ++col.unitCount;
    return true;
}

void CLattice::AddLexiconAttributes(CUnit& unit) {
    CollocationTables* tables = GetCollocationTables();
    std::string text;
    if (lexiconTable.empty() || !tables || !tables->IsUnitEqual(unit, lexiconTable.c_str(), text)) return;
    std::vector<std::string> items;
    int n = 0;
    SplitAVEx(text.c_str(), items, n);
    for (int k = 0; k < n && k < static_cast<int>(items.size()); ++k) unit.Insert2UnitKV(items[static_cast<size_t>(k)].c_str());
}

bool CLattice::IsSegment(int from, int to, CUnit*& covering) {
    if (from < 0) from = to + from + 1;
    CUnit* a = GetUnit(from);
    CUnit* b = GetUnit(to);
    if (a && b && a != b && (a->From != from || b->To != to)) return false;
    if (a && a == b && (a->From < from || a->To > to)) covering = a;
    return true;
}

bool CLattice::Reduce(int from, int to, std::string& outId) {
    const int n = std::min(pathLength, static_cast<int>(matchPath.size()));
    if (from < 0 || to < 0 || from >= n || to >= n) {
        from = 0;
        to = n - 1;
    }
    chosenCount = 0;
    for (int p = from; p <= to; ++p) {
        const CMatchNodeEx& node = matchPath[static_cast<size_t>(n - 1 - p)];
        if (chosenUnits.size() == static_cast<size_t>(chosenCount)) chosenUnits.emplace_back();
        chosenUnits[static_cast<size_t>(chosenCount++)] = {node.column, node.index};
    }
    if (chosenCount == 0) return false;
    UnitId first = chosenUnits[0];
    const int end = chosenUnits[static_cast<size_t>(chosenCount - 1)].first;
    int start = first.first + first.second + 1;
    if (first.second >= 0) {
        CUnit* unit = GetUnit(first);
        if (!unit) return false;
        start = unit->From;
    }
    return AddNewUnit(end, GetStr(start, end).c_str(), kUnitWord, outId, -1, true, "");
}

bool CLattice::LookupDictForSeg() {
    std::string word, outId;
    for (int c = 0; c < columnCount;) {
        const CCandidate& col = columns[static_cast<size_t>(c)];
        if (DictMaxSeg(g_pPOSModel.get(), col.rest, word)) {
            const int length = std::max(1, static_cast<int>(word.size()) / 2);
            AddNewUnit(c + length - 1, word.c_str(), kUnitWord, outId, -1, true, "");
            c += length;
        } else {
            ++c;
        }
    }
    return true;
}

void GetFromTo(const char* text, int& from, int& to) {
    from = to = std::atoi(text);
    if (const char* comma = std::strchr(text, ',')) to = std::atoi(comma + 1);
}

}  // namespace zel
