// Table words in a lattice's sentence that do not cut through its units:
// left to right from a column (stopping at 10 results) and right to left
// up to a column. Each result carries the identifier of a unit that
// IsSegment hands back for its span, and its position (a column).
#pragma once

#include <vector>

#include "zel/rules/tables/table.h"

namespace zel {

class CLattice;

// The search stops after the start column at which out holds this many.
constexpr int kLatticeMatchLimit = 10;

// Every start column s from c0 on, longest word first; position = the
// word's last column. True when out holds a result afterwards.
bool IsStrMid(CLattice& lattice, CTable* table, int c0, std::vector<CTableItemEx>& out,
              std::vector<int>& positions);
// From column c0 leftwards: the longest word ending at the current last
// column, which then moves before it (or by one column when there is
// none); position = the word's last column.
bool IsStrMid_R2L(CLattice& lattice, CTable* table, int c0, std::vector<CTableItemEx>& out,
                  std::vector<int>& positions);

}  // namespace zel
