// The configured bounds of query programs ("QueryTimeLimitMs" and
// "LuaMemoryLimitMB" of the engine's "SizeInfo"), and the deadline of the
// query running on this thread.
#pragma once

#include <chrono>
#include <cstddef>

namespace qav {

// The memory cap of a new Lua state, in bytes.
size_t QavLuaMemoryLimitBytes();

// The time a query may run, in ms: this thread's limit when its query set
// one (the "~N,M:" prefix), else the configured default.
int QavQueryTimeLimitMs();

// The start of this thread's query plus QavQueryTimeLimitMs.
std::chrono::steady_clock::time_point QavQueryDeadline();

}  // namespace qav
