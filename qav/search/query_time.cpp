#include "qav/search/query_time.h"

thread_local int64_t g_nQueryTimeoutMs = 0;
thread_local std::chrono::steady_clock::time_point g_queryStartTime{};

bool IsQueryTimeOut() {
    if (g_nQueryTimeoutMs <= 0) return false;
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - g_queryStartTime);
    return elapsed.count() >= g_nQueryTimeoutMs;
}
