// Mutexes behind a plain handle, and a small owning class on top of them.
// A null handle stands for "no mutex": every function accepts it and does nothing.
#pragma once

#include "common/platform/qz_export.h"

extern "C" {

// A new mutex with default attributes; null when memory is short.
QZ_EXPORT void* zq_mutex_create(void);
// Destroys and frees the mutex; nothing for null.
QZ_EXPORT void zq_mutex_delete(void* mutex);
// Lock / unlock: 0 for null, else the status of the operation.
QZ_EXPORT int zq_mutex_enter(void* mutex);
QZ_EXPORT int zq_mutex_leave(void* mutex);

}

namespace qz {

// Owns exactly one mutex for its lifetime. Not recursive: locking twice in one
// thread deadlocks; only the locking thread may unlock.
class CZQMutex {
public:
    CZQMutex();
    ~CZQMutex();
    CZQMutex(const CZQMutex&) = delete;
    CZQMutex& operator=(const CZQMutex&) = delete;

    bool Lock();
    bool Unlock();

private:
    void* m_hMutex;
};

}  // namespace qz
