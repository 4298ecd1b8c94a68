#include "common/platform/zq_thread.h"

#include <cerrno>

pthread_t thread_create_ex(zq_thread_fn fn, void* arg) {
    pthread_t thread;
    if (pthread_create(&thread, nullptr, fn, arg) != 0) return 0;
    return thread;
}

int thread_join_ex(pthread_t thread, void* /*unused*/) {
    if (thread == 0) return ESRCH;
    return pthread_join(thread, nullptr);
}

pthread_t zq_thread_start(zq_thread_fn fn, void* arg) { return thread_create_ex(fn, arg); }

void zq_thread_wait(pthread_t* threads, int count) {
    for (int i = 0; i < count; ++i) thread_join_ex(threads[i], nullptr);
}

int zq_thread_start_and_wait(zq_thread_fn fn, void* arg) { return thread_join_ex(thread_create_ex(fn, arg), nullptr); }

void zq_thread_exit(void) {}

void zq_terminate_process(void) {}
