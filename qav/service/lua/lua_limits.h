// Bounds of the Lua states that run text from outside: every state keeps a
// memory cap in its allocator, and a run can be given a deadline that an
// instruction-count hook checks. A run that passes either bound ends with a
// Lua error; its caller asks which bound it was and answers accordingly.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <string>

struct lua_State;

namespace qav {

// What ended a run early.
enum class LuaBreach {
    kNone,
    kTime,       // the deadline passed
    kPattern,    // a pattern search too costly to end before the deadline
    kMemory,     // the run ended for want of memory (the cap, mostly)
    kCancelled,  // the thread's cancel flag was raised
};

// A fresh state (nothing opened) whose allocator refuses to hold more than
// memoryLimit bytes, 0 meaning no cap. Null when memory is short. It is
// closed with lua_close as any other.
lua_State* QavNewBoundedLuaState(size_t memoryLimit);

// Starts the deadline of a run on L: from now on the hook ends the run
// (and every coroutine it makes) once the deadline has passed or this
// thread's cancel flag is raised. Clears the breach of an earlier run.
void QavStartLuaDeadline(lua_State* L, std::chrono::steady_clock::time_point deadline);
// Ends it, for a state that is kept between runs.
void QavStopLuaDeadline(lua_State* L);

// Raises the breach as a Lua error when the run has passed a bound (or
// passes one now: the clock is read). For C functions that return after a
// long time without running a Lua instruction.
void QavCheckLuaBounds(lua_State* L);
// Records a breach and raises it; never returns.
[[noreturn]] void QavRaiseLuaBreach(lua_State* L, LuaBreach breach, const char* message);

// What ended the last run on L early, if anything, given the status the run
// ended with: a memory error only counts when the run ended with it (a
// program that catches one goes on within its cap).
LuaBreach QavLuaBreach(lua_State* L, int status);
// The text of the last breach raised (empty when none).
std::string QavLuaBreachText(lua_State* L);
// Bytes the state holds now, the most it held, and its cap (0: none).
size_t QavLuaBytesInUse(lua_State* L);
size_t QavLuaPeakBytes(lua_State* L);
size_t QavLuaMemoryLimit(lua_State* L);

// Replaces pcall, xpcall, coroutine.resume and coroutine.close so that they
// hand a breach on instead of catching it: a program cannot go on past its
// deadline by catching the error.
void QavGuardProtectedCalls(lua_State* L);

// The cancel flag the deadline hook reads on this thread (null: none). The
// flag must outlive the runs it is set for.
void QavSetThreadCancelFlag(const std::atomic<bool>* flag);

}  // namespace qav
