// Query programs come from outside (an HTTP body, a query text), so the
// state that runs them offers no file or process access.
#pragma once

struct lua_State;

namespace qav {

// Removes io, debug, package, require, dofile and loadfile from the globals,
// keeps only time, clock and date of os, and lets load take source text only
// (a binary chunk can break the interpreter). Protected calls hand a passed
// time limit on, and pattern searches too costly for the time limit are
// refused (lua_limits.h, lua_pattern_guard.h). Call after the standard
// libraries are opened; the registered query functions are unaffected.
void QavSandboxQueryState(lua_State* L);

}  // namespace qav
