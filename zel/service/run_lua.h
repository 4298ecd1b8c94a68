// Runs a Lua file in a lattice of its own, as the "-lua" mode does.
#pragma once

namespace zel {

// Loads and runs the file with all results kept; a load or run error is
// printed and, while the print copy file is open, written there with a line
// end. Always true.
bool RunLua(const char* file);

}  // namespace zel
