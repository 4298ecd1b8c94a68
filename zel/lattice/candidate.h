// CCandidate: one column of a lattice, one character of the normalised
// sentence, holding the units that end there. Unit 0 is the placeholder,
// unit 1 the character unit.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "zel/lattice/unit.h"

namespace zel {

class CLattice;

// Where a column stands in its clause.
enum : int {
    kPosClauseFirst = 0,
    kPosInside = 1,
    kPosBeforePunc = 2,
    kPosSentenceLast = 3,
    kPosSentenceFirst = 4,
    kPosPunc = 5,
};

class CCandidate {
public:
    const char* rest = nullptr;  // this character in the normalised sentence
    // A deque keeps units in place while more are appended, so pointers to
    // units stay valid while a column grows.
    std::deque<CUnit> units;
    int unitCount = 0;
    CLattice* lattice = nullptr;
    std::vector<UnitId> next;  // units that begin at the next column
    int nextCount = 0;
    std::string text;
    int clauseNo = 0;
    int chunkNo = 0;
    int posCode = kPosInside;
    std::string chunkUnitId;

    // Units stay for reuse; the column reads as empty, chunk number -1,
    // position code 5.
    bool ClearColumn();
    // " Word:" and "(%d %d)" for each successor.
    std::string GetNextInfo() const;
};

}  // namespace zel
