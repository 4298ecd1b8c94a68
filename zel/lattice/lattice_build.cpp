#include <cstring>
#include <vector>

#include "zel/lattice/char_class.h"
#include "zel/lattice/lattice.h"

namespace zel {

namespace {

// The normalised text of a build, kept per thread so that a build of a
// sentence no longer than an earlier one allocates nothing.
const char* Normalized(const char* text) {
    thread_local std::vector<char> area(kSentenceSize);
    NormalizeOneSentence(text, area.data(), static_cast<int>(area.size()));
    return area.data();
}

void ResetColumn(CCandidate& column, CLattice* lattice, const char* character) {
    column.ClearColumn();
    column.rest = character;
    column.lattice = lattice;
    column.text.assign(character, 2);
}

}  // namespace

bool CLattice::LatticeBuild(const char* text) {
    if (!text || !*text) return false;
    // A lattice never set up is set up even for an unchanged (empty) text,
    // so that it always has its Lua state after a build.
    if (L && keyValues && normSentence == Normalized(text)) return true;
    LatticeInit(true);
    reservedUnits = 1;
    BuildInitLattice(text);
    return true;
}

bool CLattice::BuildInitLattice(const char* text) {
    if (!text) return false;
    normSentence = Normalized(text);
    AssignCut(sentence, text, kSentenceSize);
    columnCount = 0;
    chunkCounter = 0;

    const char* base = normSentence.c_str();
    int clauses = 0;
    bool afterPunc = false;
    // Every character of a normalised text is two bytes.
    for (size_t at = 0; at + 2 <= normSentence.size(); at += 2) {
        const int c = columnCount;
        if (columns.size() == static_cast<size_t>(c)) columns.emplace_back();
        CCandidate& column = columns[static_cast<size_t>(c)];
        ResetColumn(column, this, base + at);

        bool punc = std::strcmp(GetCharType(base + at), "Punc") == 0;
        if (punc) {
            column.posCode = kPosPunc;
            if (c > 0 && columns[static_cast<size_t>(c - 1)].posCode == kPosInside)
                columns[static_cast<size_t>(c - 1)].posCode = kPosBeforePunc;
        } else if (c == 0 || afterPunc) {
            column.posCode = kPosClauseFirst;
            ++clauses;
        } else {
            column.posCode = kPosInside;
        }
        // A mark belongs to the clause it ends.
        column.clauseNo = clauses - 1;
        afterPunc = punc;

        if (column.units.empty()) column.units.emplace_back();
        CUnit& placeholder = column.units[0];
        placeholder.UnitType = kUnitPlaceholder;
        placeholder.id = {c, 0};
        placeholder.From = placeholder.To = c;
        placeholder.column = &column;

        if (column.units.size() == 1) column.units.emplace_back();
        CUnit& character = column.units[1];
        character.ClearUnit();
        character.Word = character.HeadWord = column.text;
        character.UnitType = kUnitChar;
        character.id = {c, 1};
        character.From = character.To = c;
        character.column = &column;
        column.unitCount = 2;
        ++columnCount;
    }
    if (columnCount == 0) return true;

    columns[0].posCode = kPosSentenceFirst;
    columns[static_cast<size_t>(columnCount - 1)].posCode = kPosSentenceLast;
    for (int c = 0; c + 1 < columnCount; ++c) {
        CCandidate& column = columns[static_cast<size_t>(c)];
        if (column.next.empty()) column.next.emplace_back();
        column.next[0] = {c + 1, 1};
        column.nextCount = 1;
    }
    for (int c = 0; c < columnCount; ++c) {
        CCandidate& column = columns[static_cast<size_t>(c)];
        CUnit& character = column.units[1];
        // Not yet indexed: the unit has no identifier text here.
        character.Insert2UnitKV("Char", GetCharType(column.text.c_str()));
        character.Unit = UnitIdText({c, 1});
        character.UChunk = column.chunkUnitId;
        character.ULeftChar = character.URightChar = character.Unit;
        character.ChunkID = column.chunkNo;
        character.ClauseID = column.clauseNo;
        character.Insert2UnitKV("Type", "Char");
    }
    return true;
}

}  // namespace zel
