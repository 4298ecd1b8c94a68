// The time limit test of joins, merges and counts: the thread's own limit
// only, read every kTimeCheckInterval records or hits.
#pragma once

#include <cstdint>

#include "qav/search/filter/query_clock.h"

namespace qav {

constexpr int64_t kTimeCheckInterval = 4096;

// True when this thread's limit is positive and the whole milliseconds
// elapsed since the query's start reach it.
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

}  // namespace qav
