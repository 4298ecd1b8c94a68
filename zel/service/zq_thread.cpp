#include "zel/service/zq_thread.h"

#include <memory>

namespace zel {

namespace {

struct StartRecord {
    ThreadFunction function;
    void* argument;
};

void* pthread_wrapper(void* record) {
    std::unique_ptr<StartRecord> start(static_cast<StartRecord*>(record));
    ThreadFunction function = start->function;
    void* argument = start->argument;
    start.reset();
    function(argument);
    return nullptr;
}

}  // namespace

bool zq_thread_start(pthread_t* handle, ThreadFunction function, void* argument) {
    auto record = std::make_unique<StartRecord>(StartRecord{function, argument});
    if (pthread_create(handle, nullptr, pthread_wrapper, record.get()) != 0) return false;
    record.release();  // the new thread frees it
    return true;
}

pthread_t zq_thread_start_ex(ThreadFunction function, void* argument) {
    pthread_t handle{};
    zq_thread_start(&handle, function, argument);
    return handle;
}

int zq_thread_start_and_wait(ThreadFunction function, void* argument) {
    pthread_t handle{};
    if (!zq_thread_start(&handle, function, argument)) return -1;
    return pthread_join(handle, nullptr);
}

void zq_thread_wait(pthread_t* handles, int n) {
    for (int i = 0; i < n; ++i) pthread_join(handles[i], nullptr);
}

pthread_t thread_create_ex(void* (*routine)(void*), void* argument) {
    pthread_t handle{};
    pthread_create(&handle, nullptr, routine, argument);
    return handle;
}

int thread_join_ex(pthread_t handle) { return pthread_join(handle, nullptr); }

}  // namespace zel
