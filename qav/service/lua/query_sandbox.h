// Query programs come from outside (an HTTP body, a query text), so the
// state that runs them offers no file or process access.
#pragma once

struct lua_State;

// Removes io, debug, package, require, dofile and loadfile from the globals,
// keeps only time, clock and date of os, and lets load take source text only
// (a binary chunk can break the interpreter). Call after the standard
// libraries are opened; the registered query functions are unaffected.
void QavSandboxQueryState(lua_State* L);
