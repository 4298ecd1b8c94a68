// Encoded action records, appended to a caller's buffer for the caller to
// interpret. All integers are little-endian int32, texts GBK without a
// terminating zero:
//   buffer: record count, then the records one after the other;
//   record: text length L, the action text, rest size R (4 + the sum over
//           the nodes of 16 + tag length), node count N, N node entries;
//   node:   entry size (tag length + 12), tag number (-1 for none), column,
//           index (negative: a span of -index characters ending at the
//           column), the tag.
// The nodes are the lattice's match path, rightmost position first.
#pragma once

#include <string>

namespace zel {

class CLattice;
struct CMatchNodeEx;

// One path position as a node entry without its entry-size field.
std::string EncodeMatchNode(const CMatchNodeEx& position);

// Appends one record of action with the lattice's current match path.
// used is the number of bytes of the buffer taken by records; below 1 the
// buffer is taken as empty (count 0, used 4). The record is written only
// when used plus the record stay below size; then the count is raised and
// used advanced past it. A buffer that cannot hold the count gets nothing.
// Always true.
bool EncodeOPeration(CLattice& lattice, const std::string& action, char* buffer, int size, int& used);

}  // namespace zel
