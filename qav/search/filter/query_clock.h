// Time limit of the query running on the calling thread. The query runners
// set both values before a query program starts; result builders read them.
#pragma once

#include <chrono>
#include <cstdint>

namespace qav {

// Milliseconds a query may run; 0 or less means no limit of its own.
extern thread_local int g_nQueryTimeoutMs;
// When the current query started.
extern thread_local std::chrono::steady_clock::time_point g_queryStartTime;

// Whole milliseconds since g_queryStartTime.
int64_t QueryElapsedMs();

// Context lines stop at the thread's limit, or after five hours when the
// thread has none.
constexpr int64_t kContextDefaultTimeoutMs = 18000000;
bool ContextTimedOut();

}  // namespace qav
