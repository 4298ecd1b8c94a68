#include "zel/lattice/unit.h"

#include <cstdio>
#include <cstring>

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

void CUnit::AddOwnAttribute(const char* key, const char* value) {
    CLattice* lattice = column ? column->lattice : nullptr;
    if (!attributes && lattice) attributes = lattice->NewUnitTable();
    if (attributes) attributes->Insert2KV(key, value);
    if (!Unit.empty() && lattice && lattice->keyValues) lattice->keyValues->InsertKV2Unit(key, value, Unit.c_str());
}

}  // namespace zel
