// The time limit of the query running in this thread. The runners set both
// values; joins, merges and outputs test them every kTimeCheckInterval
// records or hits.
#pragma once

#include <chrono>
#include <cstdint>

// Milliseconds a query may run; 0 or less means no limit.
extern thread_local int64_t g_nQueryTimeoutMs;
// When the query started; the clock's zero in a thread that never set it.
extern thread_local std::chrono::steady_clock::time_point g_queryStartTime;

constexpr int64_t kTimeCheckInterval = 4096;

// True when this thread's limit is positive and the whole milliseconds
// elapsed since the start reach it.
bool IsQueryTimeOut();

// Counts records or hits of one walk and reads the clock only at every
// kTimeCheckInterval-th of them.
class QueryTimeCheck {
public:
    // True when this step is a checking one and the limit is reached.
    bool Step() { return ++m_nSteps % kTimeCheckInterval == 0 && IsQueryTimeOut(); }

private:
    int64_t m_nSteps = 0;
};
