#include "zel/lattice/candidate.h"

#include <cstdio>

namespace zel {

bool CCandidate::ClearColumn() {
    unitCount = 0;
    nextCount = 0;
    text.clear();
    chunkUnitId.clear();
    clauseNo = 0;
    chunkNo = -1;
    posCode = kPosPunc;
    return true;
}

std::string CCandidate::GetNextInfo() const {
    std::string out = " Word:";
    char item[32];
    for (int i = 0; i < nextCount; ++i) {
        const UnitId& id = next[static_cast<size_t>(i)];
        std::snprintf(item, sizeof item, "(%d %d)", id.first, id.second);
        out += item;
    }
    return out;
}

}  // namespace zel
