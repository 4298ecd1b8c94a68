// Segmentation of a lattice by a loaded word table: the table cluster lives
// above the lattice, so this segmenter lives here rather than in CLattice.
#pragma once

namespace zel {

class CLattice;

// Adds the longest table word at each column from..to as a word unit with the
// table item's attributes, where it cuts through no unit; false when no table
// of that name is loaded.
bool LookupDict_Table(CLattice& lattice, const char* table, int from, int to);

}  // namespace zel
