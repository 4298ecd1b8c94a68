#include "zel/lattice/unit.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "zel/lattice/attribute_names.h"
#include "zel/lattice/attribute_text.h"
#include "zel/lattice/candidate.h"
#include "zel/lattice/kv_table.h"
#include "zel/lattice/lattice.h"

namespace zel {

void AssignCut(std::string& to, const char* text, size_t field) {
    size_t length = std::strlen(text);
    to.assign(text, length < field ? length : field - 1);
}

std::string UnitIdText(UnitId id) {
    char text[kUnitIdSize];
    std::snprintf(text, sizeof text, "(%d,%d)", id.first, id.second);
    return text;
}

void CUnit::ClearUnit() {
    column = nullptr;
    ruleCount = 0;
    links.head = {-1, -1};
    links.dependentCount = links.treeChildCount = links.treeParentCount = 0;
    From = To = ChunkID = ClauseID = -1;
    for (std::string* text : {&Word, &HeadWord, &POS, &Unit, &UChunk, &ULeftChar, &URightChar, &USegFrom})
        text->clear();
    if (attributes) attributes->Clear();
    if (features) features->Clear();
}

bool CUnit::SetWord(const char* word) {
    AssignCut(Word, word, kUnitTextSize);
    if (HeadWord.empty()) HeadWord = Word;
    return true;
}

bool CUnit::SetHeadWord(const char* word, int) {
    AssignCut(HeadWord, word, kUnitTextSize);
    return true;
}

bool CUnit::SetPOS(const char* pos) {
    if (!pos || !*pos) return false;
    AssignCut(POS, pos, kUnitTextSize);
    return true;
}

std::string CUnit::SpanText() const {
    std::string span;
    if (!column || !column->lattice || id.second >= 0) return span;
    const CLattice& lattice = *column->lattice;
    int c = id.first;
    for (int k = c + id.second + 1; k <= c; ++k)
        if (k >= 0 && k < lattice.columnCount) span += lattice.columns[static_cast<size_t>(k)].text;
    return span;
}

const std::string& CUnit::GetWord() {
    if (UnitType == kUnitPlaceholder && id.second <= 0) Word = SpanText();
    return Word;
}

const std::string& CUnit::GetHeadWord() {
    if (UnitType == kUnitPlaceholder && id.second <= 0) HeadWord = SpanText();
    return HeadWord;
}

void CUnit::Insert2UnitKV(const char* key, const char* value) {
    if (!key || !value) return;
    Switch_Type code = SW_Node;
    const bool builtIn = LookupKeyList(key, code);
    switch (builtIn ? code : SW_Node) {
        case SW_Word:
            AssignCut(Word, value, kUnitTextSize);
            break;
        case SW_HeadWord:
            AssignCut(HeadWord, value, kUnitTextSize);
            break;
        case SW_ChunkID:
            ChunkID = std::atoi(value);
            break;
        case SW_ClauseID:
            ClauseID = std::atoi(value);
            break;
        case SW_From:
            From = std::atoi(value);
            break;
        case SW_To:
            To = std::atoi(value);
            break;
        case SW_Unit:
            AssignCut(Unit, value, kUnitIdSize);
            break;
        case SW_UChunk:
            AssignCut(UChunk, value, kUnitIdSize);
            break;
        case SW_ULeftChar:
            AssignCut(ULeftChar, value, kUnitIdSize);
            break;
        case SW_URightChar:
            AssignCut(URightChar, value, kUnitIdSize);
            break;
        case SW_USegFrom:
            AssignCut(USegFrom, value, kUnitIdSize);
            break;
        default: {
            CLattice* lattice = column ? column->lattice : nullptr;
            if (!attributes && lattice) attributes = lattice->NewUnitTable();
            if (attributes) attributes->Insert2KV(key, value);
        }
    }
    CLattice* lattice = column ? column->lattice : nullptr;
    if (!Unit.empty() && lattice && lattice->keyValues) lattice->keyValues->InsertKV2Unit(key, value, Unit.c_str());
}

void CUnit::Insert2UnitKV(const char* text) {
    if (!text || !*text) return;
    CLattice* lattice = column ? column->lattice : nullptr;
    std::vector<std::string> ownItems;
    std::vector<std::string>& items = lattice ? lattice->workList : ownItems;
    int n = 0;
    SplitAVEx(text, items, n);
    std::string key, value;
    for (int i = 0; i < n; ++i) {
        const std::string& item = items[static_cast<size_t>(i)];
        if (item.size() >= kUnitTextSize) continue;
        SplitItem(item, key, value);
        Insert2UnitKV(key.c_str(), value.c_str());
    }
}

}  // namespace zel
