// The table matchers by table name, over the process's table cluster: over
// a text (words at its start, at its end, anywhere) and over a lattice from
// or up to a column, where a table's item-KV entries (unit conditions)
// also match the units that satisfy them. Each is false, and leaves out
// as it was, when there is no cluster or no such table; otherwise true
// exactly when out holds a result afterwards.
#pragma once

#include <string>
#include <vector>

#include "zel/rules/tables/table.h"

namespace zel {

class CLattice;
class CUnit;

// ---- over a text ----
bool TableClusterIsStrBegin(const char* text, const char* name, int n, std::vector<CTableItemEx>& out);
bool TableClusterIsStrEnd(const char* text, const char* name, int n, std::vector<CTableItemEx>& out);
bool TableClusterIsStrMid(const char* text, const char* name, int n, std::vector<CTableItemEx>& out,
                          std::vector<int>& positions);
bool TableClusterIsStrMid_R2L(const char* text, const char* name, int n, std::vector<CTableItemEx>& out,
                              std::vector<int>& positions);

// ---- over a lattice ----
// Table words from column c0 on (at most n); when there is none, the first
// unit of columns c0..c0+9 that satisfies an item-KV entry, as its head
// word with the entry's value.
bool TableClusterIsStrBeginEx(CLattice& lattice, const char* name, int n, int c0, std::vector<CTableItemEx>& out);
// Table words ending at column c0 (at most n); when there is none, the
// first unit of column c0 that satisfies an item-KV entry.
bool TableClusterIsStrEndEx(CLattice& lattice, const char* name, int n, int c0, std::vector<CTableItemEx>& out);
// out and positions are emptied; table words from column c0 rightwards,
// then units from c0 on that satisfy item-KV entries (tested with unit's
// identifier as the entry text), until 10 results. A word's position is
// its last column, a unit's its To column.
bool TableClusterIsStrMidEx(CLattice& lattice, const char* name, int c0, std::vector<CTableItemEx>& out,
                            std::vector<int>& positions, CUnit* unit);
// The same leftwards from column c0, appending to out and positions.
bool TableClusterIsStrMid_R2LEx(CLattice& lattice, const char* name, int c0, std::vector<CTableItemEx>& out,
                                std::vector<int>& positions, CUnit* unit);
// Units whose head word differs from their word and is a table word:
// word, "Syn=<head word> <value>" (or "Syn=<head word>"), column. True
// when the table exists.
bool TableClusterIsStrMidUnit(CLattice& lattice, const char* name, std::vector<CTableItemEx>& out,
                              std::vector<int>& positions);

}  // namespace zel
