#include "common/platform/zq_mutex.h"

#include <pthread.h>

#include <new>

namespace {

struct MutexBlock {
    pthread_mutex_t mutex;
};

}  // namespace

void* zq_mutex_create(void) {
    auto* block = new (std::nothrow) MutexBlock;
    if (!block) return nullptr;
    if (pthread_mutex_init(&block->mutex, nullptr) != 0) {
        delete block;
        return nullptr;
    }
    return block;
}

void zq_mutex_delete(void* mutex) {
    if (!mutex) return;
    auto* block = static_cast<MutexBlock*>(mutex);
    pthread_mutex_destroy(&block->mutex);
    delete block;
}

int zq_mutex_enter(void* mutex) {
    if (!mutex) return 0;
    return pthread_mutex_lock(&static_cast<MutexBlock*>(mutex)->mutex);
}

int zq_mutex_leave(void* mutex) {
    if (!mutex) return 0;
    return pthread_mutex_unlock(&static_cast<MutexBlock*>(mutex)->mutex);
}

namespace qz {

CZQMutex::CZQMutex() : m_hMutex(zq_mutex_create()) {}

CZQMutex::~CZQMutex() { zq_mutex_delete(m_hMutex); }

bool CZQMutex::Lock() {
    zq_mutex_enter(m_hMutex);
    return true;
}

bool CZQMutex::Unlock() {
    zq_mutex_leave(m_hMutex);
    return true;
}

}  // namespace qz
