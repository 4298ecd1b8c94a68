// The process-wide lock of the corpus-query jobs and the log file.
#pragma once

#include "common/platform/zq_mutex.h"

namespace zel {

// Held by JParserThread for a whole query and by PrintLog while it appends;
// hosts take it with _Lock and _Unlock.
extern qz::CZQMutex g_Mission;

// Holds g_Mission for its scope.
class MissionGuard {
public:
    MissionGuard() { g_Mission.Lock(); }
    ~MissionGuard() { g_Mission.Unlock(); }
    MissionGuard(const MissionGuard&) = delete;
    MissionGuard& operator=(const MissionGuard&) = delete;
};

}  // namespace zel
