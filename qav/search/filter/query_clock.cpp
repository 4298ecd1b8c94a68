#include "qav/search/filter/query_clock.h"

namespace qav {

thread_local int g_nQueryTimeoutMs = 0;
thread_local std::chrono::steady_clock::time_point g_queryStartTime = std::chrono::steady_clock::now();

int64_t QueryElapsedMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 g_queryStartTime)
        .count();
}

bool ContextTimedOut() {
    const int64_t limit = g_nQueryTimeoutMs > 0 ? g_nQueryTimeoutMs : kContextDefaultTimeoutMs;
    return QueryElapsedMs() >= limit;
}

}  // namespace qav
