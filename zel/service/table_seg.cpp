#include "zel/service/table_seg.h"

#include <algorithm>
#include <string>

#include "zel/lattice/lattice.h"
#include "zel/rules/tables/table_functions.h"

namespace zel {

bool LookupDict_Table(CLattice& lattice, const char* table, int from, int to) {
    CTable* loaded = nullptr;
    if (!table || !TableClusterGetTable(table, loaded) || !loaded) return false;
    from = std::max(from, 0);
    to = std::min(to, lattice.columnCount - 1);
    std::string word, attributes, outId;
    for (int c = from; c <= to;) {
        const char* rest = lattice.columns[static_cast<size_t>(c)].rest;
        CUnit* covering = nullptr;
        if (rest && TableClusterMaxSeg(rest, table, word, attributes)) {
            const int length = std::max(1, static_cast<int>(word.size()) / 2);
            if (c + length - 1 <= to && lattice.IsSegment(c, c + length - 1, covering)) {
                lattice.AddNewUnit(c + length - 1, word.c_str(), kUnitWord, outId, -1, true, attributes.c_str());
                c += length;
                continue;
            }
        }
        ++c;
    }
    return true;
}

}  // namespace zel
