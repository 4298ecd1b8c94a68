// Running Lua code in a lattice's state: the code of one rule action (with
// its failures reported to the lattice and its network's dump file), and a
// function of a Lua file for a host.
#pragma once

struct lua_State;

namespace zel {

// Compiled action chunks are kept per state, keyed by their text; the cache
// is emptied when it reaches this many entries.
constexpr int kMaxCachedChunks = 4096;

// Runs one action's code; false only for a null state. A failure to load or
// run is reported when the state has a lattice and a rule network: the
// network's name, ':', the error and "<br/>" are appended to the lattice's
// message buffer (as far as they fit), the code is written to
// "<name>_log.lua" and the error and "Check code file:<name>_log.lua" are
// printed. The state's stack is left as it was found.
bool RunLua_Code(lua_State* L, const char* code);

// Writes text to the file "<name>.lua" in the working folder, replacing it;
// nothing when it cannot be opened.
void WriteLog(const char* name, const char* text);

}  // namespace zel
